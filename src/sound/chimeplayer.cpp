#include "sound/chimeplayer.h"

#include "sound/module/soundapi.h"

#include <QApplication>
#include <QFile>
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

// The module's bytes, built into the program (see embed_sound_module.S).
// Weak: programs without it, the tests, load it from a file instead.
extern "C" {
extern const unsigned char zentova_sound_module_begin[] __attribute__((weak));
extern const unsigned char zentova_sound_module_end[] __attribute__((weak));
}

namespace zentova
{

namespace
{

QString g_moduleFile;

void *openEmbeddedModule()
{
    if (!zentova_sound_module_begin || !zentova_sound_module_end)
        return nullptr;
    const size_t size = size_t(zentova_sound_module_end - zentova_sound_module_begin);
    // An anonymous in-memory file keeps the program a single file: nothing
    // is unpacked to disk, and the mapping goes when the process does.
    const int fd = memfd_create("zentova-sound", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, zentova_sound_module_begin + done, size - done);
        if (n <= 0) {
            ::close(fd);
            return nullptr;
        }
        done += size_t(n);
    }
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd);
    void *handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    ::close(fd);
    return handle;
}

class ModuleSoundOutput : public SoundOutput
{
public:
    bool playImage(const QByteArray &image) override
    {
        const ZentovaSoundApi *sound = api();
        return sound && sound->playImage(image.constData(), image.size()) != 0;
    }
    void stop() override
    {
        if (m_api)
            m_api->stop();
    }
    bool isPlaying() const override { return m_api && m_api->isPlaying() != 0; }
    void beep() override { QApplication::beep(); }

    bool loaded() const { return m_api != nullptr; }

private:
    const ZentovaSoundApi *api()
    {
        if (m_api || m_tried)
            return m_api;
        m_tried = true;
        void *handle = openEmbeddedModule();
        if (!handle && !g_moduleFile.isEmpty())
            handle = dlopen(QFile::encodeName(g_moduleFile).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return nullptr; // no module, no sound: the alarm box still shows
        const auto entry = reinterpret_cast<ZentovaSoundEntry>(dlsym(handle, ZENTOVA_SOUND_ENTRY));
        const ZentovaSoundApi *sound = entry ? entry() : nullptr;
        if (sound && sound->abiVersion == ZENTOVA_SOUND_ABI)
            m_api = sound;
        return m_api;
    }

    const ZentovaSoundApi *m_api = nullptr;
    bool m_tried = false;
};

ModuleSoundOutput &realOutput()
{
    static ModuleSoundOutput output;
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

void setSoundModuleFile(const QString &path)
{
    g_moduleFile = path;
}

bool soundModuleLoaded()
{
    return realOutput().loaded();
}

} // namespace zentova
