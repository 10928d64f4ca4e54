#include "platform/instancelock.h"

namespace zentova
{

InstanceLock::Result InstanceLock::acquire(const QString &folder)
{
    m_lock = std::make_unique<QLockFile>(folder + QStringLiteral("/Zentova.lock"));
    // Never stale by age: the strip runs all day. A dead holder's lock is
    // still recognised (its process is gone) and taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Result::Acquired;
    const QLockFile::LockError error = m_lock->error();
    m_lock.reset();
    return error == QLockFile::LockFailedError ? Result::HeldByAnotherCopy : Result::Unavailable;
}

QString alreadyRunningMessage()
{
    return QStringLiteral("Zentova は既に起動しています。");
}

} // namespace zentova
