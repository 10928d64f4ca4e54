// Where the program finds and keeps its files.
//
// The program's own folder comes first, so a copy carried on a stick keeps its
// data beside it. Where that folder cannot be written (a copy installed under
// /usr), the per-user application data folder takes the data instead.
#pragma once

#include <QString>

namespace zentova
{

// The program's folder, no trailing separator. Tests point it elsewhere.
QString appFolder();
// The running program's folder as the system names it, in its own bytes
// (which need not be UTF-8), before the application object exists; empty
// when it cannot be told.
QByteArray programFolderBytes();
void setAppFolder(const QString &folder); // empty restores the real one
// Where the per-user data lives when the program's folder is read-only.
QString userDataFolder();
void setUserDataFolder(const QString &folder); // empty restores the real one

// True when a file can be created in `folder` (tried for real, so that the
// answer holds for root and for read-only mounts alike).
bool folderIsWritable(const QString &folder);

// True when no other user can create or replace files in `folder`: it
// belongs to us (or to root) and neither the world nor a group of others may
// write it. Another user could plant links in any other folder, and the
// program would follow them with our rights.
bool folderIsPrivate(const QString &folder);
// The folder and every folder above it: nobody else could have put or
// replaced anything below them (a sticky folder above, as /tmp, lets nobody
// replace what is ours in it).
bool folderAndParentsArePrivate(const QString &folder);

// A copy installed by a package: bin/ with share/zentova/ beside it. Such a
// copy keeps its data per user even where root could write to /usr/bin.
bool isInstalledLocation(const QString &folder);

// What Qt would load from a program's folder while it starts: its own
// configuration (qt.conf) and plugin folders (platforms, platformthemes...).
// Names relative to `folder`; none, nothing.
QStringList qtFilesIn(const QString &folder);

// Why the program may not start from `folder`, or empty where it may. Qt
// puts the program's folder on its plugin path and reads a qt.conf there
// while it builds the application object, after anything the program could
// set before it: in a folder another account can write, a plugin renamed in
// during that moment would run as this user, so such a folder is refused
// whatever it holds now.
QString refusalToStartFrom(const QString &folder);

// The program's folder holds the data when it is a copy of its own (not an
// installed one) in a private folder that can be written.
bool dataBesideProgram();

// The folder that holds Countdata.dat and the lock: the program's folder
// when dataBesideProgram(), else the per-user folder (created on demand) when
// that can be written, else the program's folder all the same, whose errors
// then show.
QString dataFolder();

// Refuses (with a runtime error) a path that names a directory, a FIFO or a
// device: opening a FIFO would wait forever for a writer. A missing file and
// a dangling link (writing creates its target) pass.
void requireRegularFileOrMissing(const QString &path);

// Where the program's own module `fileName` (the strip, the sound) is looked
// for, for a program in `programFolder`: beside it (a build tree, a portable
// copy), then in the installed lib/<architecture>/zentova; each only where
// no other account can write, since its code runs as the user.
QStringList moduleCandidates(const QString &programFolder, const QString &fileName);

// The chime installed with the program (share/zentova/Chimes.wav), or empty.
QString installedChimePath();

} // namespace zentova
