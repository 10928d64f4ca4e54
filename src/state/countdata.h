// Countdata.dat: reading it into gSaved at start-up and writing gSaved back.
#pragma once

#include "platform/files/atomicfile.h"
#include "state/countrecord.h"

#include <QString>
#include <QStringList>

namespace zentova
{

QString countDataPath();
// The folders a running copy locks: the data folder, and the folder of the
// file really written when Countdata.dat is a link, since two data folders
// may link to one file.
QStringList countDataLockFolders();

// The record of the live state as the close stores it, dated today.
CountRecord recordFromLiveState();

// Replaces Countdata.dat with `record`, once whatever must be kept of the
// record it holds has been kept, and the count log's waiting lines appended.
void storeRecord(const CountRecord &record);

// While Countdata.dat holds something that has no other place yet (a
// finished day whose history line could not be written), `keep` runs before
// every replacement and throws as long as it still cannot keep it, so the
// file is not replaced. nullptr once it is kept.
using KeepBeforeReplace = void (*)();
void setKeepBeforeReplace(KeepBeforeReplace keep);

// Fills gSaved from the file, creating a missing file empty.
void LoadCountData();
// Writes gSaved to the file, atomically.
void SaveCountData();

// The file operations underneath, for any path. Errors are runtime errors.
CountRecord readRecordFile(const QString &path);
// Writes the record to a temporary file beside the target and renames it
// over the old one, so a crash or a full disk leaves the old record whole.
// A link is written through to its target.
void writeRecordFile(const QString &path, const CountRecord &record);

} // namespace zentova
