#include "pgcluster.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QThread>
#include <csignal>
#include <unistd.h>

namespace
{

// The server refuses to run as root: as root, it runs as the postgres
// account that Debian's package makes.
bool asRoot()
{
    return ::geteuid() == 0;
}

// The same tools run as the same account.
int runAsServerAccount(const QString &folder, const QString &program, const QStringList &args,
                       QByteArray *out)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(folder);
    if (asRoot())
        p.start(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--", program} + args);
    else
        p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    if (out)
        *out = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

PgCluster::PgCluster() : m_dir(QDir::tempPath() + QStringLiteral("/zentova-pg-XXXXXX")) {}

PgCluster::~PgCluster()
{
    if (m_running)
        stop();
}

QString PgCluster::binary(const QString &name) const
{
    for (const char *version : {"15", "16", "17", "14", "13"}) {
        const QString path = QStringLiteral("/usr/lib/postgresql/%1/bin/%2").arg(QLatin1String(version), name);
        if (QFile::exists(path))
            return path;
    }
    return name;
}

int PgCluster::run(const QString &program, const QStringList &args, QByteArray *out) const
{
    return runAsServerAccount(m_dir.path(), program, args, out);
}

bool PgCluster::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_data = m_dir.filePath(QStringLiteral("data"));
    if (asRoot() && QProcess::execute("chown", {"postgres", m_dir.path()}) != 0) {
        m_error = QStringLiteral("no postgres account to run the server as");
        return false;
    }
    m_port = freePort(); // for the TCP tests
    QByteArray out;
    if (run(binary("initdb"), {"-D", m_data, "-U", "admin", "-A", "trust", "-E", "UTF8",
                               "--locale=C", "--no-sync"},
            &out) != 0) {
        m_error = QString::fromLocal8Bit(out);
        return false;
    }
    // The socket for the superuser; a password over TCP for the rest.
    QFile hba(m_data + QStringLiteral("/pg_hba.conf"));
    if (!hba.open(QIODevice::WriteOnly) ||
        hba.write("local all all trust\nlocal replication all trust\n"
                  "host all all 127.0.0.1/32 scram-sha-256\n") < 0) {
        m_error = QStringLiteral("pg_hba.conf");
        return false;
    }
    hba.close();
    if (!restart())
        return false;
    bool ok = false;
    psql(QStringLiteral("CREATE DATABASE team"), &ok);
    if (!ok)
        m_error = QStringLiteral("CREATE DATABASE failed");
    return ok;
}

bool PgCluster::startStandbyOf(const PgCluster &primary)
{
    m_data = m_dir.filePath(QStringLiteral("data"));
    if (asRoot() && QProcess::execute("chown", {"postgres", m_dir.path()}) != 0) {
        m_error = QStringLiteral("no postgres account to run the server as");
        return false;
    }
    m_port = freePort();
    QByteArray out;
    if (run(binary("pg_basebackup"), {"-D", m_data, "-R", "-X", "stream", "-c", "fast", "-h",
                                      primary.socketFolder(), "-p",
                                      QString::number(primary.port()), "-U", "admin"},
            &out) != 0) {
        m_error = QString::fromLocal8Bit(out);
        return false;
    }
    return restart();
}

bool PgCluster::stopReplication()
{
    bool ok = false;
    psql(QStringLiteral("ALTER SYSTEM SET primary_conninfo = ''"), &ok);
    if (ok)
        psql(QStringLiteral("SELECT pg_reload_conf()"), &ok);
    // Its receiver gone, it follows nothing more.
    for (int i = 0; ok && i < 100; ++i) {
        if (psql(QStringLiteral("SELECT count(*) FROM pg_stat_wal_receiver")) == "0")
            return true;
        QThread::msleep(50);
    }
    return false;
}

bool PgCluster::promote()
{
    return run(binary("pg_ctl"), {"-D", m_data, "-w", "promote"}) == 0;
}

bool PgCluster::crash()
{
    m_running = false;
    return run(binary("pg_ctl"), {"-D", m_data, "-m", "immediate", "-w", "stop"}) == 0;
}

bool PgCluster::restart()
{
    QByteArray out;
    // Set up unlike what the program wants (dates day first, Latin-1 for
    // clients): it asks for ISO dates and UTF-8 itself.
    const QString options = QStringLiteral("-k %1 -p %2 -c listen_addresses=127.0.0.1 -c fsync=off"
                                           " -c DateStyle=SQL,DMY -c client_encoding=LATIN1")
                                .arg(m_dir.path())
                                .arg(m_port);
    if (run(binary("pg_ctl"), {"-D", m_data, "-o", options, "-l",
                               m_dir.filePath(QStringLiteral("server.log")), "-w", "start"},
            &out) != 0) {
        m_error = QString::fromLocal8Bit(out);
        return false;
    }
    m_running = true;
    return true;
}

bool PgCluster::stop()
{
    m_running = false;
    return run(binary("pg_ctl"), {"-D", m_data, "-m", "fast", "-w", "stop"}) == 0;
}

QString PgCluster::server(const QString &user) const
{
    return QStringLiteral("host=%1 port=%2 dbname=team user=%3")
        .arg(m_dir.path())
        .arg(m_port)
        .arg(user);
}

QString PgCluster::serverOverTcp(const QString &user, const QString &password) const
{
    return QStringLiteral("host=127.0.0.1 port=%1 dbname=team user=%2 password=%3")
        .arg(m_port)
        .arg(user, password);
}

QString PgCluster::psql(const QString &sql, bool *ok) const
{
    QByteArray out;
    const int status = run(binary("psql"), {"-X", "-q", "-t", "-A", "-v", "ON_ERROR_STOP=1", "-h",
                                            m_dir.path(), "-p", QString::number(m_port), "-U",
                                            "admin", "-d",
                                            QStringLiteral("client_encoding=UTF8 dbname=") +
                                                (sql.startsWith("CREATE DATABASE") ? "postgres"
                                                                                   : "team"),
                                            "-c", sql},
                           &out);
    if (ok)
        *ok = status == 0;
    return QString::fromUtf8(out).trimmed();
}

PgPooler::PgPooler() : m_dir(QDir::tempPath() + QStringLiteral("/zentova-pool-XXXXXX")) {}

PgPooler::~PgPooler()
{
    stop();
}

bool PgPooler::start(const PgCluster &cluster, int poolSize)
{
    if (!m_dir.isValid() ||
        (asRoot() && QProcess::execute("chown", {"postgres", m_dir.path()}) != 0)) {
        m_error = QStringLiteral("no folder for the pooler");
        return false;
    }
    m_port = freePort();
    const QString ini = m_dir.filePath(QStringLiteral("pgbouncer.ini"));
    QFile config(ini), users(m_dir.filePath(QStringLiteral("users.txt")));
    // Its server connections taken in turn, so that anything a strip left
    // in one session is soon missing from the next.
    const QString text =
        QStringLiteral("[databases]\nteam = host=%1 port=%2 dbname=team\n"
                       "[pgbouncer]\nlisten_addr =\nlisten_port = %3\nunix_socket_dir = %4\n"
                       "auth_type = trust\nauth_file = %4/users.txt\npool_mode = transaction\n"
                       "default_pool_size = %5\nmax_client_conn = 2000\nserver_round_robin = 1\n"
                       "pidfile = %4/pgbouncer.pid\nlogfile = %4/pgbouncer.log\n")
            .arg(cluster.socketFolder())
            .arg(cluster.port())
            .arg(m_port)
            .arg(m_dir.path())
            .arg(poolSize);
    if (!config.open(QIODevice::WriteOnly) || config.write(text.toUtf8()) < 0 ||
        !users.open(QIODevice::WriteOnly) || users.write("\"admin\" \"\"\n") < 0) {
        m_error = QStringLiteral("pgbouncer.ini");
        return false;
    }
    config.close();
    users.close();
    QByteArray out;
    if (runAsServerAccount(m_dir.path(), QStringLiteral("pgbouncer"), {"-d", ini}, &out) != 0) {
        m_error = QString::fromLocal8Bit(out);
        return false;
    }
    m_running = true;
    // Up once its socket is there.
    const QString socket = m_dir.filePath(QStringLiteral(".s.PGSQL.%1").arg(m_port));
    for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
        QThread::msleep(50);
    if (!QFile::exists(socket))
        m_error = QStringLiteral("pgbouncer made no socket");
    return QFile::exists(socket);
}

void PgPooler::stop()
{
    if (!m_running)
        return;
    m_running = false;
    QFile pid(m_dir.filePath(QStringLiteral("pgbouncer.pid")));
    if (pid.open(QIODevice::ReadOnly)) {
        const pid_t p = pid_t(pid.readAll().trimmed().toInt());
        if (p > 0 && ::kill(p, SIGINT) == 0) {
            for (int i = 0; i < 100 && ::kill(p, 0) == 0; ++i)
                QThread::msleep(50);
        }
    }
}

QString PgPooler::server() const
{
    return QStringLiteral("host=%1 port=%2 dbname=team user=admin").arg(m_dir.path()).arg(m_port);
}
