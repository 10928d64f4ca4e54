// Where the program finds and keeps its files.
//
// The program's own folder comes first, so a copy carried on a stick keeps its
// data beside it. Where that folder cannot be written (a copy installed under
// /usr), the per-user application data folder takes the data instead.
#pragma once

#include <QString>

namespace zentova {

// The program's folder, no trailing separator. Tests point it elsewhere.
QString appFolder();
void setAppFolder(const QString &folder); // empty restores the real one
// Where the per-user data lives when the program's folder is read-only.
QString userDataFolder();
void setUserDataFolder(const QString &folder); // empty restores the real one

// True when a file can be created in `folder` (tried for real, so that the
// answer holds for root and for read-only mounts alike).
bool folderIsWritable(const QString &folder);

// The folder that holds Countdata.dat and the lock: the program's folder when
// it can be written, else the per-user folder (created on demand) when that
// can, else the program's folder all the same, whose errors then show.
QString dataFolder();

// Chime lookup order: the data folder's candidates, then the copy installed
// with the program (share/zentova), if any.
QString installedChimePath();

} // namespace zentova
