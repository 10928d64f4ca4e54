// mdlSound: the chime file read whole into memory, then played from there.
#pragma once

#include <QByteArray>
#include <QString>

namespace zentova
{

// The bytes of the file last loaded followed by one byte of 0; released once
// played.
extern QByteArray gChimeData;

// A chime file larger than this is not read: it loads as empty, and the
// alarm beeps. 64 MiB hold over six minutes of CD-quality stereo, far longer
// than any chime.
constexpr qint64 MaxChimeBytes = 64 * 1024 * 1024;

// Which file LoadChime reads for `name`: beside the program; where the
// program's folder cannot be written, the per-user data folder's copy, then
// the one beside the program, then the copy installed with the program.
QString chimePath(const QString &name);

// Reads the chime into a fresh gChimeData, one byte longer than the file. A
// missing file is created empty. Errors are runtime errors. A chime still
// playing is stopped first, since its samples are about to be replaced.
void LoadChime(const QString &name);

// Plays gChimeData asynchronously and returns at once. Never reports an
// error: data that is no WAV plays the desktop's notification sound.
void PlayChime();

void stopChime();

// The chime `name` read ahead, on a worker thread, so that the alarm's
// minute only starts it: at the start and whenever the alarm is set, and
// again when the file changes. LoadChime takes what was read while the file
// is still the one read (same place, size and time); any other case (a file
// missing, unreadable, too large, or changed since) is read then, as before.
// Chimes larger than PreparedChimeBytes are not kept all day.
constexpr qint64 PreparedChimeBytes = 8 * 1024 * 1024;
void prepareChime(const QString &name);
// Forgets what was read ahead and stops following the file (no alarm set).
void forgetPreparedChime();
// Whether LoadChime(name) would now take the copy read ahead.
bool chimeReadAhead(const QString &name);

} // namespace zentova
