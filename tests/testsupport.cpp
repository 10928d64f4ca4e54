#include "testsupport.h"

#include "core/files/folders.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QDirIterator>
#include <QThread>
#include <cmath>
#include <csignal>
#include <sys/prctl.h>

namespace zentova::test
{

Sandbox::Sandbox()
{
    setDayStartHour(0);
    setAppFolder(m_dir.path());
    setUserDataFolder(m_userDir.path() + QStringLiteral("/user"));
    setMessageBoxBackend(&boxes);
    setClock(&clock);
    // The user's settings and runtime folder, never the real ones.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       m_userDir.path() + QStringLiteral("/config"));
    QDir().mkpath(m_userDir.path() + QStringLiteral("/run"));
    QFile::setPermissions(m_userDir.path() + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_userDir.path() + QStringLiteral("/run")));
    model = std::make_unique<CounterModel>();
}

Sandbox::~Sandbox()
{
    setMessageBoxBackend(nullptr);
    setClock(nullptr);
    setAppFolder(QString());
    setUserDataFolder(QString());
}

void Sandbox::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path(name)));
}

QByteArray Sandbox::readFile(const QString &name) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

double peakRms(const QByteArray &s16le, int window)
{
    const auto *s = reinterpret_cast<const qint16 *>(s16le.constData());
    double peak = 0;
    if (window <= 0)
        return peak;
    for (qsizetype start = 0; start + window <= s16le.size() / 2; start += window) {
        double sum = 0;
        for (qsizetype i = start; i < start + window; ++i)
            sum += double(s[i]) * s[i];
        peak = std::max(peak, std::sqrt(sum / window));
    }
    return peak;
}

namespace
{

QList<pid_t> childrenOfThisProcess()
{
    QList<pid_t> children;
    const QByteArray self = QByteArray::number(::getpid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid ...: the name may hold blanks and brackets.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (after.size() > 1 && after[1] == self)
            children.append(pid);
    }
    return children;
}

} // namespace

ProcessReaper::ProcessReaper()
{
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
}

ProcessReaper::~ProcessReaper()
{
    // Each round ends the children there are; what they leave comes to this
    // process in turn. Asked politely first, then killed.
    for (int round = 0; round < 100; ++round) {
        const QList<pid_t> children = childrenOfThisProcess();
        if (children.isEmpty())
            return;
        for (pid_t child : children)
            ::kill(child, round < 40 ? SIGTERM : SIGKILL);
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        QThread::msleep(50);
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
}

} // namespace zentova::test
