#include "gui/sound/mdlsound.h"

#include "core/base/runtime.h"
#include "core/files/folders.h"
#include "gui/sound/chimeplayer.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMutex>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <optional>
#include <sys/stat.h>

namespace zentova
{

QByteArray gChimeData;

QString chimePath(const QString &name)
{
    const QString besideProgram = appFolder() + QLatin1Char('/') + name;
    if (dataBesideProgram())
        return besideProgram;

    const QString inUserFolder = userDataFolder() + QLatin1Char('/') + name;
    if (QFileInfo::exists(inUserFolder))
        return inUserFolder;
    if (folderIsPrivate(appFolder()) && QFileInfo::exists(besideProgram))
        return besideProgram;
    const QString installed = installedChimePath();
    if (!installed.isEmpty() && name == QLatin1String("Chimes.wav"))
        return installed;
    return dataFolder() + QLatin1Char('/') + name;
}

namespace
{

// What identifies a file's content well enough to reuse a copy read before:
// a write changes its change time, a file renamed over it its inode.
struct FileStamp {
    QString path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec changed = {};
    bool operator==(const FileStamp &o) const
    {
        return path == o.path && device == o.device && inode == o.inode && size == o.size &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

FileStamp stampOf(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {path};
    return {path, st.st_dev, st.st_ino, st.st_size, st.st_ctim};
}

class PreparedChime
{
public:
    void prepare(const QString &path)
    {
        m_seen = stampOf(path);
        follow(path);
        const quint64 generation = ++m_generation;
        QThreadPool::globalInstance()->start([this, path, generation] { read(path, generation); });
    }
    void forget()
    {
        ++m_generation;
        delete m_watcher;
        const QMutexLocker lock(&m_mutex);
        m_stamp = {};
        m_image = {};
    }
    // The image read ahead, while `path` is still the file read.
    std::optional<QByteArray> take(const QString &path)
    {
        const FileStamp now = stampOf(path);
        const QMutexLocker lock(&m_mutex);
        if (now.size < 0 || !(now == m_stamp))
            return std::nullopt;
        return m_image;
    }

private:
    void read(const QString &path, quint64 generation)
    {
        const FileStamp before = stampOf(path);
        QByteArray image;
        if (before.size >= 0 && before.size <= PreparedChimeBytes) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) {
                image = file.read(before.size);
                image.append('\0');
            }
        }
        // Kept only where nothing changed while it was read.
        const QMutexLocker lock(&m_mutex);
        if (generation != m_generation)
            return;
        const bool whole = image.size() == before.size + 1 && stampOf(path) == before;
        m_stamp = whole ? before : FileStamp();
        m_image = whole ? image : QByteArray();
    }
    // A chime replaced or written again is read again. The folder is
    // followed too: a file saved by renaming a new one over it, or made
    // where there was none, shows there.
    void follow(const QString &path)
    {
        if (!m_watcher) {
            m_watcher = new QFileSystemWatcher;
            // The folder may be the data folder, written at every count:
            // only a change of the chime itself is read again.
            const auto again = [this] {
                if (!m_path.isEmpty() && !(stampOf(m_path) == m_seen))
                    prepare(m_path);
            };
            QObject::connect(m_watcher.data(), &QFileSystemWatcher::fileChanged, again);
            QObject::connect(m_watcher.data(), &QFileSystemWatcher::directoryChanged, again);
        }
        if (path != m_path && !m_watcher->files().isEmpty())
            m_watcher->removePaths(m_watcher->files());
        if (path != m_path && !m_watcher->directories().isEmpty())
            m_watcher->removePaths(m_watcher->directories());
        m_path = path;
        if (QFileInfo(path).isFile() && !m_watcher->files().contains(path))
            m_watcher->addPath(path);
        const QString folder = QFileInfo(path).absolutePath();
        if (!m_watcher->directories().contains(folder))
            m_watcher->addPath(folder);
    }

    QPointer<QFileSystemWatcher> m_watcher;
    QString m_path;
    FileStamp m_seen; // the chime as last asked for
    std::atomic<quint64> m_generation{0};
    QMutex m_mutex;
    FileStamp m_stamp;
    QByteArray m_image;
};

PreparedChime &prepared()
{
    // Never destroyed: a read may still be running as the program ends.
    static auto *chime = new PreparedChime;
    return *chime;
}

} // namespace

void prepareChime(const QString &name)
{
    try {
        prepared().prepare(chimePath(name));
    } catch (...) {
        // Read at the alarm, which tells what is wrong.
    }
}

void forgetPreparedChime()
{
    prepared().forget();
}

bool chimeReadAhead(const QString &name)
{
    return prepared().take(chimePath(name)).has_value();
}

void LoadChime(const QString &name)
{
    stopChime();
    const QString path = chimePath(name);
    requireRegularFileOrMissing(path);
    if (auto image = prepared().take(path)) {
        gChimeData = *image;
        return;
    }

    QFile file(path);
    // An existing chime is only read, so a read-only installed copy plays; a
    // missing one is created empty, so the user sees where a chime of their
    // own goes.
    const bool exists = QFileInfo::exists(path);
    if (!file.open(exists ? QIODevice::ReadOnly : QIODevice::ReadWrite)) {
        if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
            raiseError(ErrorCode::PathNotFound);
        raiseError(ErrorCode::PathFileAccessError);
    }
    const qint64 length = file.size();
    if (length > MaxChimeBytes) {
        // Far more than any chime: reading it would freeze the strip and hold
        // the memory all day. The alarm rings with the desktop's beep instead.
        gChimeData = QByteArray(1, '\0');
        return;
    }
    QByteArray data(qsizetype(length) + 1, '\0');
    qint64 done = 0;
    while (done < length) {
        const qint64 got = file.read(data.data() + done, length - done);
        if (got <= 0)
            break; // the file shrank under us: the rest stays zero
        done += got;
    }
    gChimeData = data;
}

void PlayChime()
{
    try {
        if (!soundOutput().playImage(gChimeData))
            soundOutput().beep();
    } catch (...) {
        // The chime never stops the alarm.
    }
    // The output keeps its own decoded copy; the file's image is not needed
    // until the next alarm loads it again.
    gChimeData = QByteArray();
}

void stopChime()
{
    soundOutput().stop();
}

} // namespace zentova
