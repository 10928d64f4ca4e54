#include "core/remote/countchannel.h"
#include "core/base/language.h"

#include "core/files/instancelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zentova
{

namespace
{

// "/zentova-" and sixteen hex digits.
constexpr int kSocketNameLength = 25;

// A folder no account but ours can enter or change: ours, a folder itself
// (not a link to one), and closed to group and others.
bool isOurPrivateFolder(const QString &folder, QString *why)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0) {
        *why = folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        *why = translate("Command", "%1 は自分専用のフォルダーではありません").arg(folder);
        return false;
    }
    return true;
}

bool fitsASocketAddress(const QString &folder, QString *why)
{
    if (QFile::encodeName(folder).size() + kSocketNameLength < int(sizeof(sockaddr_un::sun_path)))
        return true;
    *why = translate("Command", "%1 はソケットの名前には長すぎます").arg(folder);
    return false;
}

// Makes `folder` and whatever is missing above it, each closed to others
// (a fresh account has no ~/.cache yet). What exists is left as it is.
void makeClosedFolders(const QString &folder)
{
    const QString parent = QFileInfo(folder).path();
    if (parent != folder && !QFileInfo::exists(parent))
        makeClosedFolders(parent);
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
}

} // namespace

QString countSocketFolder(QString *why)
{
    QString reason;
    // The session's runtime folder, where the desktop made one for us.
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!session.isEmpty() && QFileInfo(session).isAbsolute() &&
        isOurPrivateFolder(session, &reason) && fitsASocketAddress(session, &reason))
        return session;
    // Else a folder of our own, made closed, in the temporary folder and
    // then in our cache. One that another account made first is not used.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    for (const QString &folder :
         {QDir::tempPath() + QStringLiteral("/zentova-%1").arg(::geteuid()),
          cache.isEmpty() ? QString() : cache + QStringLiteral("/zentova-run")}) {
        if (folder.isEmpty() || !fitsASocketAddress(folder, &reason))
            continue;
        makeClosedFolders(folder);
        if (isOurPrivateFolder(folder, &reason))
            return folder;
    }
    if (why)
        *why = reason;
    return QString();
}

QString countSocketPath(const QString &dataFolder, QString *why)
{
    const QString folder = countSocketFolder(why);
    if (folder.isEmpty())
        return QString();
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? dataFolder : canonical);
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return folder + QStringLiteral("/zentova-") + QString::fromLatin1(hash);
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
    if (request.undo)
        return "undo\n";
    if (request.focus)
        return "focus\n";
    QByteArray line =
        (request.delta > 0 ? "count " : "uncount ") + QByteArray::number(request.counter + 1);
    if (request.by > 0)
        line += " by " + QByteArray::number(request.by);
    return line + '\n';
}

std::optional<CountRequest> parseCountRequestLine(const QByteArray &line)
{
    if (line == "undo\n" || line == "focus\n") {
        CountRequest request;
        request.undo = line == "undo\n";
        request.focus = !request.undo;
        return request;
    }
    // Only lines the program writes: no spaces of another kind, no signs,
    // no leading zeros.
    const QList<QByteArray> words =
        line.endsWith('\n') ? line.chopped(1).split(' ') : QList<QByteArray>();
    if (words.size() != 2 && !(words.size() == 4 && words[0] == "count" && words[2] == "by"))
        return std::nullopt;
    CountRequest request;
    if (words[0] == "count")
        request.delta = 1;
    else if (words[0] == "uncount")
        request.delta = -1;
    else
        return std::nullopt;
    const QByteArray counter = words[1];
    if (counter.size() != 1 || counter[0] < '1' || counter[0] > '5')
        return std::nullopt;
    request.counter = counter[0] - '1';
    if (words.size() == 4) {
        bool ok = false;
        request.by = words[3].toInt(&ok);
        if (!ok || request.by < 1 || request.by > 1000 ||
            words[3] != QByteArray::number(request.by))
            return std::nullopt;
    }
    return request;
}

bool countSocketAnswers(const QString &dataFolder)
{
    sockaddr_un address;
    if (!socketAddress(countSocketPath(dataFolder, nullptr), &address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return answers;
}

// Why the running copy's socket at `path` took no connection (`cause`).
static QString unreachableReason(const QString &dataFolder, const QString &path,
                                 const char *socketFile, int cause)
{
    struct stat st = {};
    const bool somethingElse = ::lstat(socketFile, &st) == 0 && !S_ISSOCK(st.st_mode);
    return somethingElse
            ? translate("Command", "Zentova に件数を渡せません。%1 はソケットではありません "
                                   "(%1 is not a socket).")
                  .arg(path)
        : (cause == ENOENT || cause == ECONNREFUSED) && lockIsHeld(dataFolder)
            ? translate("Command", "Zentova は起動していますが、%1 で件数を受け付けていません。"
                                   "起動時のメッセージを見てください (Zentova runs, but does "
                                   "not listen at %1: see what it said as it started).")
                  .arg(path)
        : cause == ENOENT || cause == ECONNREFUSED
            ? translate("Command", "Zentova は起動していません (Zentova is not running).")
            : translate("Command", "Zentova に件数を渡せません (%1): %2")
                  .arg(path, QString::fromLocal8Bit(std::strerror(cause)));
}

const char *replyFor(CountOutcome outcome)
{
    switch (outcome) {
    case CountOutcome::Nothing:
        return NothingReply;
    case CountOutcome::Untitled:
        return UntitledReply;
    case CountOutcome::Limit:
        return LimitReply;
    case CountOutcome::Done:
        break;
    }
    return AcceptedReply;
}

int sendCountRequest(const QString &dataFolder, const CountRequest &request, QString *error)
{
    constexpr int kWaitMs = 1000;
    QString why;
    const QString path = countSocketPath(dataFolder, &why);
    if (path.isEmpty()) {
        *error = translate("Command",
                           "件数を渡すソケットを置くフォルダーがありません (no folder for the "
                           "count socket): %1")
                     .arg(why);
        return 3;
    }
    sockaddr_un address;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || !socketAddress(path, &address) ||
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        const int cause = errno;
        if (fd >= 0)
            ::close(fd);
        *error = unreachableReason(dataFolder, path, address.sun_path, cause);
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
    if (reply == NothingReply) {
        *error = translate("Command", "取り消すものがありません (nothing to take back).");
        return 1;
    }
    if (reply == UntitledReply) {
        *error = translate("Command", "%1 番目の項目には項目名がないので数えません (counter %1 "
                                      "has no title; nothing was counted).")
                     .arg(request.counter + 1);
        return 4;
    }
    if (reply == LimitReply) {
        *error = translate("Command", "%1 番目の項目は 32767 を超えるので数えません (counter %1 "
                                      "would pass 32767; nothing was counted).")
                     .arg(request.counter + 1);
        return 5;
    }
    *error = reply == EndingReply
                 ? translate("Command", "Zentova は終了するところです (Zentova is closing).")
                 : translate("Command", "Zentova が応答しません (Zentova did not answer).");
    return 3;
}

} // namespace zentova
