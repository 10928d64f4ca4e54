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

} // namespace zentova
