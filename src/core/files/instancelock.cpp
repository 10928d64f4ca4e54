#include "core/files/instancelock.h"
#include "core/base/language.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentova
{

namespace
{

constexpr int kOpenFlags = O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// An open descriptor on the lock file, whatever stands in its place: a file
// that cannot be written is locked through a read-only descriptor, a
// directory through itself, and a link or an unreadable file is replaced
// by a file of our own. -1 only where the folder itself refuses.
int openLockFile(const QByteArray &path)
{
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | kOpenFlags, 0644);
    if (fd >= 0)
        return fd;
    fd = ::open(path.constData(), O_RDONLY | kOpenFlags);
    if (fd >= 0)
        return fd;
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    if (::unlink(path.constData()) != 0)
        return -1;
    return ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, 0644);
}

} // namespace

InstanceLock::~InstanceLock()
{
    release();
}

void InstanceLock::release()
{
    for (int fd : m_fds)
        ::close(fd);
    m_fds.clear();
}

InstanceLock::Result InstanceLock::acquire(const QStringList &folders)
{
    release();
    Result result = Result::Acquired;
    for (const QString &folder : folders) {
        const int fd = openLockFile(QFile::encodeName(folder + QStringLiteral("/Zentova.lock")));
        if (fd < 0) {
            result = Result::Unavailable;
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) {
                release();
                return Result::HeldByAnotherCopy;
            }
            result = Result::Unavailable; // a file system without locks
            continue;
        }
        // Who holds it, for a person who looks; the lock never reads it.
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), size_t(pid.size())) < 0) {
            // a read-only descriptor: the lock holds all the same
        }
        m_fds.push_back(fd);
    }
    return result;
}

bool lockIsHeld(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder + QStringLiteral("/Zentova.lock")).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

QString alreadyRunningMessage()
{
    return translate("Files", "Zentova は既に起動しています。");
}

} // namespace zentova
