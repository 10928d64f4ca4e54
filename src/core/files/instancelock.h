// One copy of the program per data folder: a second copy would overwrite
// the first one's counts when it closes.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zentova
{

class InstanceLock
{
public:
    enum class Result { Acquired, HeldByAnotherCopy, Unavailable };

    InstanceLock() = default;
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;
    ~InstanceLock();

    // Locks Zentova.lock in each of `folders` for as long as this object
    // lives. The kernel holds the lock for the process (flock), so it goes
    // when the process does, however it ends; whatever is found in the lock
    // file's place (a dead copy's file, garbage, a link, a directory) never
    // stops a start. HeldByAnotherCopy: a live copy holds one of the folders.
    // Unavailable: a folder cannot hold a lock (it cannot be written); the
    // program runs without it there, and the data file's own errors tell the
    // user.
    Result acquire(const QStringList &folders);
    Result acquire(const QString &folder) { return acquire(QStringList{folder}); }

private:
    void release();
    std::vector<int> m_fds;
};

// True while a live copy holds the lock of `folder`. Nothing is created.
bool lockIsHeld(const QString &folder);

QString alreadyRunningMessage(); // Zentova は既に起動しています。

} // namespace zentova
