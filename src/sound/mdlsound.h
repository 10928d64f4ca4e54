// mdlSound: the chime file read whole into memory, then played from there.
#pragma once

#include <QByteArray>
#include <QString>

namespace zentova
{

// The bytes of the file last loaded followed by one byte of 0.
extern QByteArray gChimeData;

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
