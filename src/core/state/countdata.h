// Countdata.dat: where it is, and reading and writing one record.
#pragma once

#include "core/files/atomicfile.h"
#include "core/state/countrecord.h"

#include <QString>
#include <QStringList>

namespace zentova
{

QString countDataPath();
// The folders a running copy locks: the data folder, and the folder of the
// file really written when Countdata.dat is a link, since two data folders
// may link to one file.
QStringList countDataLockFolders();

// The file operations underneath, for any path. Errors are runtime errors.
CountRecord readRecordFile(const QString &path);
// Writes the record to a temporary file beside the target and renames it
// over the old one, so a crash or a full disk leaves the old record whole.
// A link is written through to its target.
void writeRecordFile(const QString &path, const CountRecord &record);

} // namespace zentova
