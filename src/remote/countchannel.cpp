#include "remote/countchannel.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

bool socketAddress(const QString &path, sockaddr_un *address)
{
    const QByteArray name = QFile::encodeName(path);
    *address = {};
    address->sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, name.constData(), size_t(name.size()));
    return true;
}

QByteArray countRequestLine(const CountRequest &request)
{
    return (request.delta > 0 ? "count " : "uncount ") + QByteArray::number(request.counter + 1) +
           '\n';
}

std::optional<CountRequest> parseCountRequestLine(const QByteArray &line)
{
    for (int delta : {1, -1}) {
        for (int counter = 0; counter < 5; ++counter) {
            if (line == countRequestLine(CountRequest{counter, delta}))
                return CountRequest{counter, delta};
        }
    }
    return std::nullopt;
}

bool countSocketAnswers(const QString &dataFolder)
{
    sockaddr_un address;
    if (!socketAddress(countSocketPath(dataFolder), &address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return answers;
}

int sendCountRequest(const QString &dataFolder, const CountRequest &request, QString *error)
{
    constexpr int kWaitMs = 1000;
    sockaddr_un address;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || !socketAddress(countSocketPath(dataFolder), &address) ||
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        *error = QStringLiteral("Zentova は起動していません (Zentova is not running).");
        return 3;
    }
    const QByteArray line = countRequestLine(request);
    QByteArray reply;
    if (::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size()) {
        pollfd wait{fd, POLLIN, 0};
        char buffer[16];
        while (!reply.endsWith('\n') && reply.size() < 16 && ::poll(&wait, 1, kWaitMs) > 0) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            reply.append(buffer, n);
        }
    }
    ::close(fd);
    if (reply == AcceptedReply)
        return 0;
    *error = reply == EndingReply
                 ? QStringLiteral("Zentova は終了するところです (Zentova is closing).")
                 : QStringLiteral("Zentova が応答しません (Zentova did not answer).");
    return 3;
}

} // namespace zentova
