// Countdata.dat: reading it into gSaved at start-up and writing gSaved back.
#pragma once

#include "state/countrecord.h"

#include <QString>

namespace zentova
{

QString countDataPath();

// The record of the live state as the close stores it, dated today.
CountRecord recordFromLiveState();

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

// Called once the new record is in the temporary file and before it replaces
// the old one; tests use it to interrupt a save at its most delicate point.
using BeforeCommitHook = void (*)();
void setBeforeCommitHook(BeforeCommitHook hook);

// Refuses a path that names a directory, a FIFO or a device: opening a FIFO
// would wait forever for a writer.
void requireRegularFileOrMissing(const QString &path);

} // namespace zentova
