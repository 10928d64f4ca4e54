// One copy of the program per data folder: a second copy would overwrite
// the first one's counts when it closes.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace zentova
{

class InstanceLock
{
public:
    enum class Result { Acquired, HeldByAnotherCopy, Unavailable };

    // Takes the lock in `folder` for as long as this object lives. A lock
    // left by a copy that was killed is taken over. Unavailable: the folder
    // cannot hold a lock (it cannot be written); the program runs unlocked
    // and the data file's own errors tell the user.
    Result acquire(const QString &folder);

private:
    std::unique_ptr<QLockFile> m_lock;
};

QString alreadyRunningMessage(); // Zentova は既に起動しています。

} // namespace zentova
