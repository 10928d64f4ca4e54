#include "testsupport.h"

#include "platform/folders.h"
#include "sound/mdlsound.h"
#include "state/counterstate.h"

#include <QFile>

namespace zentova::test {

Sandbox::Sandbox()
{
    resetCounterState();
    gChimeData.clear();
    setAppFolder(m_dir.path());
    setUserDataFolder(m_userDir.path() + QStringLiteral("/user"));
    setMessageBoxBackend(&boxes);
    setClock(&clock);
}

Sandbox::~Sandbox()
{
    setMessageBoxBackend(nullptr);
    setClock(nullptr);
    setAppFolder(QString());
    setUserDataFolder(QString());
    resetCounterState();
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

} // namespace zentova::test
