// A PostgreSQL cluster of the test's own: made with initdb in a temporary
// folder, run by an unprivileged account (the postgres account where the
// tests run as root), its socket in that folder and, for the tests that need
// a password, a port on 127.0.0.1. Stopped and removed at the end.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class PgCluster
{
public:
    PgCluster();
    ~PgCluster();

    // initdb and the first start; false with the reason in error().
    bool start();
    // A streaming standby of `primary` (pg_basebackup -R), started.
    bool startStandbyOf(const PgCluster &primary);
    // The standby stops following its primary (asynchronous replication
    // that has fallen behind): what the primary takes from now stays there.
    bool stopReplication();
    // The standby becomes a primary.
    bool promote();
    // Killed as a crash would end it, with nothing flushed to a standby.
    bool crash();
    bool stop();    // the server, not the folder: start() again restarts it
    bool restart(); // after stop()
    bool isRunning() const { return m_running; }
    QString error() const { return m_error; }

    // A libpq connection string for `user` (the superuser: admin) over the
    // socket, or over TCP with a password.
    QString server(const QString &user = QStringLiteral("admin")) const;
    QString serverOverTcp(const QString &user, const QString &password) const;
    // Runs SQL through psql as the superuser; its output (tuples only).
    QString psql(const QString &sql, bool *ok = nullptr) const;
    // Where its socket is, and its port.
    QString socketFolder() const { return m_dir.path(); }
    int port() const { return m_port; }

private:
    QString binary(const QString &name) const;
    int run(const QString &program, const QStringList &args, QByteArray *out = nullptr) const;

    QTemporaryDir m_dir;
    QString m_data;
    int m_port = 0;
    bool m_running = false;
    QString m_error;
};

// PgBouncer in front of a cluster's team database, in transaction mode: each
// transaction gets one of `poolSize` server connections, whichever is free.
class PgPooler
{
public:
    PgPooler();
    ~PgPooler();
    bool start(const PgCluster &cluster, int poolSize);
    void stop();
    QString error() const { return m_error; }
    // A connection string through the pooler, as the superuser.
    QString server() const;

private:
    QTemporaryDir m_dir;
    int m_port = 0;
    QString m_error;
    bool m_running = false;
};
