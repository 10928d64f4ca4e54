#include "core/files/atomicfile.h"

#include "core/base/runtime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zentova
{

namespace
{

BeforeCommitHook g_beforeCommit = nullptr;
SyncFunction g_sync = nullptr;

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

// The errno of a failed call, or what the device's error says where the
// call left none.
int failure(const QSaveFile &file)
{
    if (errno != 0)
        return errno;
    return file.error() == QFileDevice::ResourceError ? ENOSPC : EIO;
}

// fdatasync, or what a test puts in its place.
int syncData(int fd)
{
    return g_sync ? g_sync(fd) : ::fdatasync(fd);
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

int syncFileData(int fd)
{
    return syncData(fd);
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

void writeFileAtomically(const QString &path, const QByteArray &bytes, DirectWrite direct)
{
    const QString target = writtenPath(path);
    const QString folder = QFileInfo(target).absolutePath();
    // QSaveFile keeps the old file's mode, and leaves nothing behind a kill
    // where the file system has O_TMPFILE.
    QSaveFile file(target);
    file.setDirectWriteFallback(direct == DirectWrite::Allowed);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        raiseForErrno(failure(file), folder);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush())
        raiseForErrno(failure(file), folder);
    // QSaveFile's commit does not check this: an I/O error that only the
    // sync reports would otherwise be taken for a stored record.
    errno = 0;
    if (syncData(file.handle()) != 0)
        raiseForErrno(failure(file), folder);
    if (g_beforeCommit)
        g_beforeCommit();
    errno = 0;
    if (!file.commit())
        raiseForErrno(failure(file), folder);
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
    // Six letters or digits after the name, as QSaveFile names its temporary
    // file where the file system has no O_TMPFILE. Matched
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
