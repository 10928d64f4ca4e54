// The sound plugin: everything that touches audio (libsndfile, Qt
// Multimedia), loaded with QPluginLoader at the first chime so that no start
// of the strip pays for it.
#include "gui/sound/chimeplayer.h"
#include "gui/sound/module/audiosinkplayer.h"

#include <QApplication>
#include <QObject>
#include <QtPlugin>

namespace zentova
{

class SoundPlugin : public QObject, public SoundOutput
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ZentovaSoundOutput_iid)
    Q_INTERFACES(zentova::SoundOutput)

public:
    bool playImage(const QByteArray &image) override { return m_player.playImage(image); }
    void stop() override { m_player.stop(); }
    bool isPlaying() const override { return m_player.isPlaying(); }
    void beep() override { QApplication::beep(); }

private:
    AudioSinkPlayer m_player;
};

} // namespace zentova

#include "soundplugin.moc"
