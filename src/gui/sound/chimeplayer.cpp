#include "gui/sound/chimeplayer.h"
#include "core/base/language.h"

#include "core/files/folders.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <cstdio>

namespace zentova
{

namespace
{

class PluginSoundOutput : public SoundOutput
{
public:
    bool playImage(const QByteArray &image) override
    {
        SoundOutput *sound = plugin();
        return sound && sound->playImage(image);
    }
    void stop() override
    {
        if (m_plugin)
            m_plugin->stop();
    }
    bool isPlaying() const override { return m_plugin && m_plugin->isPlaying(); }
    void beep() override { QApplication::beep(); }

    bool loaded() const { return m_plugin != nullptr; }

private:
    SoundOutput *plugin()
    {
        if (m_plugin || m_tried)
            return m_plugin;
        m_tried = true;
        QString errors;
        for (const QString &path : soundPluginCandidates(QCoreApplication::applicationDirPath())) {
            if (!QFileInfo::exists(path))
                continue;
            QPluginLoader loader(path);
            // Never unloaded: a sink must not outlive its code.
            m_plugin = qobject_cast<SoundOutput *>(loader.instance());
            if (m_plugin)
                return m_plugin;
            errors += QStringLiteral("\n  ") + loader.errorString();
        }
        // No plugin, no sound: the alarm box still shows, with a beep. Said
        // once, where someone who wonders can see it.
        const QString why = errors.isEmpty()
                                ? translate("Command", "（zentova_sound.so が見つかりません）")
                                : errors;
        std::fprintf(stderr, "zentova: %s\n",
                     qUtf8Printable(translate("Command", "サウンドのプラグインを読み込めないため、"
                                                         "チャイムの代わりにビープを鳴らします%1")
                                        .arg(why)));
        return nullptr;
    }

    SoundOutput *m_plugin = nullptr;
    bool m_tried = false;
};

PluginSoundOutput &realOutput()
{
    static PluginSoundOutput output;
    return output;
}

SoundOutput *g_output = nullptr;

} // namespace

SoundOutput &soundOutput()
{
    return g_output ? *g_output : realOutput();
}

void setSoundOutput(SoundOutput *output)
{
    g_output = output;
}

QStringList soundPluginCandidates(const QString &programFolder)
{
    return moduleCandidates(programFolder, QStringLiteral("zentova_sound.so"));
}

bool soundPluginLoaded()
{
    return realOutput().loaded();
}

} // namespace zentova
