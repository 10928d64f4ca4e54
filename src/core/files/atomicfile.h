// Replacing a file whole, so that a kill, a crash or a power cut at any
// instant leaves either the old contents or the new ones.
#pragma once

#include <QByteArray>
#include <QString>

namespace zentova
{

// Writes `bytes` to a temporary file beside the file really written (a link
// is written through to its target), flushes and syncs it, and renames it
// over the target, keeping the target's mode. Any failure, the sync's
// included, is a runtime error and leaves the old file as it was: a full
// disk is DiskFull, an I/O error is DeviceIoError, a folder that cannot take
// the file is PathNotFound or PathFileAccessError. With DirectWrite::Allowed
// a folder that refuses temporary files (a file the user may write in a
// folder they may not) is written in place instead.
enum class DirectWrite { Refused, Allowed };
void writeFileAtomically(const QString &path, const QByteArray &bytes,
                         DirectWrite direct = DirectWrite::Refused);

// The file a write to `path` replaces: the target of a link, else `path`.
QString writtenPath(const QString &path);

// Removes what writeFileAtomically leaves beside `path` when it is killed
// between the temporary file and the rename (on file systems without
// O_TMPFILE). Call only while holding the
// folder's lock, so that no running copy's temporary file is taken.
void removeWriteLeftovers(const QString &path);

// Seams for tests: run between the synced temporary file and the rename, and
// the sync itself (returns 0 or -1 with errno, like fdatasync).
using BeforeCommitHook = void (*)();
void setBeforeCommitHook(BeforeCommitHook hook);
using SyncFunction = int (*)(int fd);
void setSyncFunction(SyncFunction sync); // nullptr restores fdatasync
// fdatasync, or what a test put in its place.
int syncFileData(int fd);

} // namespace zentova
