#include "platform/countchannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>

namespace zentova
{

QString countSocketPath(const QString &dataFolder)
{
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? dataFolder : canonical);
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/zentova-") + QString::fromLatin1(hash);
}

QByteArray countRequestLine(const CountRequest &request)
{
    return (request.delta > 0 ? "count " : "uncount ") + QByteArray::number(request.counter + 1) +
           '\n';
}

std::optional<CountRequest> parseCountRequestLine(const QByteArray &line)
{
    static const QRegularExpression form(QStringLiteral("^(count|uncount) ([1-5])\\n\\z"));
    const auto match = form.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return std::nullopt;
    return CountRequest{match.captured(2).toInt() - 1, match.captured(1) == u"count" ? 1 : -1};
}

int sendCountRequest(const QString &dataFolder, const CountRequest &request, QString *error)
{
    constexpr int kWaitMs = 1000;
    QLocalSocket socket;
    socket.connectToServer(countSocketPath(dataFolder));
    if (!socket.waitForConnected(kWaitMs)) {
        *error = QStringLiteral("Zentova は起動していません (Zentova is not running).");
        return 3;
    }
    socket.write(countRequestLine(request));
    socket.flush();
    QByteArray reply;
    while (!reply.endsWith('\n') && reply.size() < 16 && socket.waitForReadyRead(kWaitMs))
        reply += socket.readAll();
    if (reply == AcceptedReply)
        return 0;
    *error = reply == EndingReply
                 ? QStringLiteral("Zentova は終了するところです (Zentova is closing).")
                 : QStringLiteral("Zentova が応答しません (Zentova did not answer).");
    return 3;
}

} // namespace zentova
