#include "platform/files/atomicfile.h"

#include "platform/runtime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentova
{

namespace
{

BeforeCommitHook g_beforeCommit = nullptr;
SyncFunction g_sync = nullptr;

// The temporary file is the target's name and six letters or digits, as
// mkstemp makes it (and as earlier versions, through QSaveFile, did too).
constexpr char kSuffix[] = ".XXXXXX";

[[noreturn]] void raiseForErrno(int error, const QString &folder)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        raiseError(ErrorCode::DiskFull);
    case EIO:
        raiseError(ErrorCode::DeviceIoError);
    case ENOENT:
    case ENOTDIR:
        if (!QFileInfo(folder).isDir())
            raiseError(ErrorCode::PathNotFound);
        [[fallthrough]];
    default:
        raiseError(ErrorCode::PathFileAccessError);
    }
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void setBeforeCommitHook(BeforeCommitHook hook)
{
    g_beforeCommit = hook;
}

void setSyncFunction(SyncFunction sync)
{
    g_sync = sync;
}

QString writtenPath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    if (info.exists())
        return info.canonicalFilePath();
    // A dangling link: writing creates its target.
    return info.symLinkTarget();
}

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QString target = writtenPath(path);
    const QString folder = QFileInfo(target).absolutePath();
    QByteArray temp = QFile::encodeName(target) + kSuffix;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        raiseForErrno(errno, folder);

    struct stat old = {};
    const mode_t mode = ::stat(QFile::encodeName(target).constData(), &old) == 0
                            ? (old.st_mode & 07777)
                            : newFileMode();
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.constData());
        raiseForErrno(error, folder);
    };
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes))
        fail(errno);
    // Qt's own atomic save does not check this: an I/O error that only the
    // sync reports would otherwise be taken for a stored record.
    if ((g_sync ? g_sync(fd) : ::fdatasync(fd)) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        raiseForErrno(error, folder);
    }
    if (g_beforeCommit)
        g_beforeCommit();
    if (::rename(temp.constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        raiseForErrno(error, folder);
    }
    // The rename itself is only durable once the folder is synced.
    const int dirFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

void removeWriteLeftovers(const QString &path)
{
    const QFileInfo target(writtenPath(path));
    const QString base = target.fileName() + u'.';
    QDir dir = target.absoluteDir();
    // Six letters or digits after the name, as mkstemp makes them. Matched
    // by hand: a name filter or a regular expression would load PCRE at
    // every start, half a megabyte of memory.
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (name.size() != base.size() + 6 || !name.startsWith(base))
            continue;
        const QStringView suffix = QStringView(name).mid(base.size());
        if (std::all_of(suffix.begin(), suffix.end(),
                        [](QChar c) { return c.isDigit() || (c.isLetter() && c.unicode() < 128); }))
            dir.remove(name);
    }
}

} // namespace zentova
