#include "core/team/teamserver.h"

#include <QUrl>
#include <QVarLengthArray>
#include <QDeadlineTimer>
#include <cerrno>
#include <dlfcn.h>
#include <libpq-fe.h>
#include <memory>
#include <poll.h>
#include <span>
#include <utility>

namespace zentova
{

namespace
{

// 2: each row's change to its person's day line (`worked`).
// 3: the day lines kept by the server as rows arrive (`zentova_total`).
constexpr int kSchemaVersion = 3;

const char *const kTables[] = {
    "CREATE TABLE IF NOT EXISTS zentova_schema (version integer NOT NULL)",
    "CREATE TABLE IF NOT EXISTS zentova_change (\n"
    "    id uuid PRIMARY KEY,\n"
    "    person text NOT NULL,\n"
    "    folder text NOT NULL,\n"
    "    day date NOT NULL,\n"
    "    at timestamptz NOT NULL,\n"
    "    counter smallint NOT NULL CHECK (counter BETWEEN 1 AND 5),\n"
    "    title text NOT NULL,\n"
    "    delta integer NOT NULL,\n"
    "    count integer NOT NULL,\n"
    "    kind text NOT NULL DEFAULT '',\n"
    "    worked integer)",
    "CREATE INDEX IF NOT EXISTS zentova_change_day ON zentova_change (day, person)",
    "CREATE TABLE IF NOT EXISTS zentova_strip (\n"
    "    folder text PRIMARY KEY,\n"
    "    person text NOT NULL,\n"
    "    seen timestamptz NOT NULL)",
    "INSERT INTO zentova_schema (version) SELECT 1\n"
    "    WHERE NOT EXISTS (SELECT 1 FROM zentova_schema)",
};

// The day lines made again from the rows: the upgrade's, and the one
// statement an administrator runs should the two ever disagree.
#define ZENTOVA_REBUILD_TOTALS                                                              \
    "INSERT INTO zentova_total AS t (day, person, folder, counter, title, total, last)\n"  \
    "    SELECT day, person, folder, counter, title, sum(coalesce(worked, delta)), max(at)\n" \
    "    FROM zentova_change GROUP BY day, person, folder, counter, title\n"                \
    "    ON CONFLICT (day, person, folder, counter, title) DO UPDATE\n"                    \
    "    SET total = excluded.total, last = excluded.last, changed = pg_current_xact_id()"

// From schema 1: rows of before have no `worked`, and are read by their delta.
// From schema 2: the day lines, kept by a trigger in the statement that
// inserts the rows, from the rows it really inserted (a row sent again adds
// nothing), whichever program inserts them. Made under a lock that holds
// inserts back meanwhile, so that no row escapes both the rebuild and the
// trigger. The function runs with its owner's rights: the strips' role only
// reads the day lines.
const char *const kUpgrades[] = {
    "ALTER TABLE zentova_change ADD COLUMN IF NOT EXISTS worked integer",
    "LOCK TABLE zentova_change IN SHARE ROW EXCLUSIVE MODE",
    "CREATE TABLE IF NOT EXISTS zentova_total (\n"
    "    day date NOT NULL,\n"
    "    person text NOT NULL,\n"
    "    folder text NOT NULL,\n"
    "    counter smallint NOT NULL,\n"
    "    title text NOT NULL,\n"
    "    total bigint NOT NULL,\n"
    "    last timestamptz NOT NULL,\n"
    "    changed xid8 NOT NULL DEFAULT pg_current_xact_id(),\n"
    "    PRIMARY KEY (day, person, folder, counter, title))",
    "CREATE INDEX IF NOT EXISTS zentova_total_changed ON zentova_total (changed)",
    "CREATE INDEX IF NOT EXISTS zentova_total_person ON zentova_total (person, title, day)",
    "CREATE OR REPLACE FUNCTION zentova_add_totals() RETURNS trigger\n"
    "    LANGUAGE plpgsql SECURITY DEFINER SET search_path FROM CURRENT AS $$\n"
    "BEGIN\n"
    "    INSERT INTO zentova_total AS t (day, person, folder, counter, title, total, last)\n"
    "    SELECT day, person, folder, counter, title, sum(coalesce(worked, delta)), max(at)\n"
    "    FROM zentova_new GROUP BY day, person, folder, counter, title\n"
    "    ON CONFLICT (day, person, folder, counter, title) DO UPDATE\n"
    "    SET total = t.total + excluded.total, last = greatest(t.last, excluded.last),\n"
    "        changed = pg_current_xact_id();\n"
    "    RETURN NULL;\n"
    "END $$",
    "CREATE OR REPLACE TRIGGER zentova_change_totals AFTER INSERT ON zentova_change\n"
    "    REFERENCING NEW TABLE AS zentova_new\n"
    "    FOR EACH STATEMENT EXECUTE FUNCTION zentova_add_totals()",
    ZENTOVA_REBUILD_TOTALS,
    "INSERT INTO zentova_schema (version) SELECT 3\n"
    "    WHERE NOT EXISTS (SELECT 1 FROM zentova_schema WHERE version >= 3)",
};

QString quoted(const QString &value)
{
    QString v = value;
    v.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + v + u'\'';
}

// libpq is opened at the first connection rather than with the program: it
// brings its TLS, Kerberos and LDAP libraries, two dozen, that a strip with
// no team never needs.
#define ZENTOVA_LIBPQ(F)                                                                  \
    F(PQcancel) F(PQclear) F(PQconnectdb) F(PQconsumeInput) F(PQerrorMessage)             \
    F(PQfinish) F(PQfreeCancel) F(PQgetCancel) F(PQgetResult) F(PQgetisnull) F(PQgetvalue) \
    F(PQisBusy) F(PQnfields) F(PQntuples) F(PQresultErrorField) F(PQresultErrorMessage)   \
    F(PQresultStatus) F(PQsendQueryParams) F(PQsetClientEncoding) F(PQsocket) F(PQstatus)
struct LibPq {
#define ZENTOVA_FUNCTION(f) decltype(&::f) f = nullptr;
    ZENTOVA_LIBPQ(ZENTOVA_FUNCTION)
#undef ZENTOVA_FUNCTION
};
// Set once, before the first connection is handed out; null while libpq
// cannot be opened.
const LibPq *pq = nullptr;

bool openLibPq()
{
    static const bool opened = [] {
        void *lib = ::dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return false;
        static LibPq functions;
#define ZENTOVA_FUNCTION(f)                                                    \
    functions.f = reinterpret_cast<decltype(functions.f)>(::dlsym(lib, #f)); \
    if (!functions.f)                                                         \
        return false;
        ZENTOVA_LIBPQ(ZENTOVA_FUNCTION)
#undef ZENTOVA_FUNCTION
        pq = &functions;
        return true;
    }();
    return opened;
}

using PgResult = std::unique_ptr<PGresult, void (*)(PGresult *)>;

// A text as the server keeps it: UTF-8, a NUL (which PostgreSQL's text
// cannot hold) as U+FFFD.
QByteArray serverText(const QString &s)
{
    QString t = s;
    return t.replace(QChar(u'\0'), QChar(0xFFFD)).toUtf8();
}

QByteArray serverTime(const QDateTime &at)
{
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs).toLatin1();
}

thread_local const std::atomic<bool> *t_stop = nullptr;

// Asks the server to give the statement under way up; it answers the
// statement with an error soon after.
void cancelStatement(PGconn *conn)
{
    if (PGcancel *cancel = pq->PQgetCancel(conn)) {
        char error[256];
        pq->PQcancel(cancel, error, sizeof error);
        pq->PQfreeCancel(cancel);
    }
}

// A statement whose values go as bound parameters, in text form: nothing of
// them is put into the SQL, and no named statement stays on the server (a
// pooler in transaction mode may hand each statement to another of its
// connections). It is cancelled past its time limit (a table locked for
// long) or once this thread's stop flag is set.
PgResult execWith(PGconn *conn, const QByteArray &sql, const QList<QByteArray> &values)
{
    QVarLengthArray<const char *, 16> params;
    for (const QByteArray &v : values)
        params.append(v.constData());
    if (!pq->PQsendQueryParams(conn, sql.constData(), int(params.size()), nullptr,
                               params.constData(), nullptr, nullptr, 0))
        return PgResult(nullptr, pq->PQclear);
    QDeadlineTimer deadline(TeamStatementMs);
    bool cancelled = false;
    while (pq->PQisBusy(conn)) {
        if (!cancelled && (deadline.hasExpired() || (t_stop && t_stop->load()))) {
            cancelStatement(conn);
            cancelled = true;
        }
        // Looks at the stop flag a few times a second, only while a
        // statement runs.
        pollfd socket{pq->PQsocket(conn), POLLIN, 0};
        if (::poll(&socket, 1, 100) < 0 && errno != EINTR)
            break;
        if (!pq->PQconsumeInput(conn))
            break;
    }
    PgResult result(nullptr, pq->PQclear);
    while (PGresult *next = pq->PQgetResult(conn))
        result.reset(next);
    return result;
}

enum class Outcome { Done, Refused, Failed };

// Refused: the server turned down what the statement holds (a data
// exception, a broken constraint) on a connection that still works.
Outcome outcomeOf(PGconn *conn, const PgResult &result, QString *error)
{
    const ExecStatusType status = result ? pq->PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return Outcome::Done;
    QString message =
        QString::fromUtf8(result ? pq->PQresultErrorMessage(result.get()) : "").trimmed();
    if (message.isEmpty())
        message = QString::fromUtf8(pq->PQerrorMessage(conn)).trimmed();
    if (error)
        *error = message;
    const QByteArray state = result ? pq->PQresultErrorField(result.get(), PG_DIAG_SQLSTATE) : "";
    return pq->PQstatus(conn) == CONNECTION_OK && (state.startsWith("22") || state.startsWith("23"))
               ? Outcome::Refused
               : Outcome::Failed;
}

bool noConnection(QString *error)
{
    if (error)
        *error = QStringLiteral("not connected to the server");
    return false;
}

Outcome insertRows(PGconn *conn, std::span<const TeamRow> rows, QString *error)
{
    QByteArray sql = "INSERT INTO zentova_change"
                     " (id, person, folder, day, at, counter, title, delta, count, kind, worked)"
                     " VALUES ";
    QList<QByteArray> values;
    for (const TeamRow &r : rows) {
        const int n = int(values.size());
        sql += QStringLiteral("%1($%2::uuid, $%3, $%4, $%5::date, $%6::timestamptz, $%7::smallint,"
                              " $%8, $%9::integer, $%10::integer, $%11, $%12::integer)")
                   .arg(n ? QStringLiteral(", ") : QString())
                   .arg(n + 1).arg(n + 2).arg(n + 3).arg(n + 4).arg(n + 5).arg(n + 6)
                   .arg(n + 7).arg(n + 8).arg(n + 9).arg(n + 10).arg(n + 11)
                   .toLatin1();
        values << r.id.toString(QUuid::WithoutBraces).toLatin1() << serverText(r.person)
               << serverText(r.folder) << r.day.toString(Qt::ISODate).toLatin1()
               << serverTime(r.at) << QByteArray::number(r.counter) << serverText(r.title)
               << QByteArray::number(r.delta) << QByteArray::number(r.count)
               << serverText(r.kind) << QByteArray::number(r.worked);
    }
    sql += " ON CONFLICT (id) DO NOTHING";
    return outcomeOf(conn, execWith(conn, sql, values), error);
}

QString decoded(QStringView part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

// The hosts of a URI, each host[:port] or [IPv6]:port, comma-separated.
bool appendHosts(QStringView rest, QList<std::pair<QString, QString>> &pairs)
{
    QStringList hosts, ports;
    for (QStringView hostPort : rest.split(u',', Qt::SkipEmptyParts)) {
        QStringView host = hostPort, port;
        if (hostPort.startsWith(u'[')) { // [IPv6]:port
            const qsizetype close = hostPort.indexOf(u']');
            if (close < 0)
                return false;
            host = hostPort.mid(1, close - 1);
            if (hostPort.mid(close + 1).startsWith(u':'))
                port = hostPort.mid(close + 2);
        } else if (const qsizetype colon = hostPort.lastIndexOf(u':'); colon >= 0) {
            host = hostPort.left(colon);
            port = hostPort.mid(colon + 1);
        }
        hosts << decoded(host);
        ports << port.toString();
    }
    if (!hosts.isEmpty() && !hosts.join(QString()).isEmpty())
        pairs.append({QStringLiteral("host"), hosts.join(u',')});
    if (!ports.join(QString()).isEmpty())
        pairs.append({QStringLiteral("port"), ports.join(u',')});
    return true;
}

// A URI after its scheme.
std::optional<QList<std::pair<QString, QString>>> uriPairs(QStringView rest)
{
    QList<std::pair<QString, QString>> pairs;
    // libpq's own form: [user[:password]@][host[:port][,...]][/dbname][?key=value&...],
    // each part percent-encoded (a socket folder as host is %2F...).
    QStringView query;
    if (const qsizetype q = rest.indexOf(u'?'); q >= 0) {
        query = rest.mid(q + 1);
        rest = rest.left(q);
    }
    QStringView path;
    if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
        path = rest.mid(slash + 1);
        rest = rest.left(slash);
    }
    if (const qsizetype at = rest.lastIndexOf(u'@'); at >= 0) {
        const QStringView user = rest.left(at);
        const qsizetype colon = user.indexOf(u':');
        pairs.append({QStringLiteral("user"), decoded(user.left(colon))});
        if (colon >= 0)
            pairs.append({QStringLiteral("password"), decoded(user.mid(colon + 1))});
        rest = rest.mid(at + 1);
    }
    if (!appendHosts(rest, pairs))
        return std::nullopt;
    if (!path.isEmpty())
        pairs.append({QStringLiteral("dbname"), decoded(path)});
    for (QStringView item : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(u'=');
        if (eq <= 0)
            return std::nullopt;
        pairs.append({decoded(item.left(eq)), decoded(item.mid(eq + 1))});
    }
    return pairs;
}

// key = value pairs.
std::optional<QList<std::pair<QString, QString>>> keywordPairs(const QString &text)
{
    QList<std::pair<QString, QString>> pairs;
    // key = value, the value bare or in single quotes with \ escapes.
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && text[i].isSpace())
            ++i;
    };
    while (skipBlanks(), i < text.size()) {
        const qsizetype eq = text.indexOf(u'=', i);
        if (eq < 0)
            return std::nullopt;
        const QString key = text.mid(i, eq - i).trimmed();
        if (key.isEmpty() || key.contains(u' '))
            return std::nullopt;
        i = eq + 1;
        skipBlanks();
        QString value;
        if (i < text.size() && text[i] == u'\'') {
            ++i;
            while (i < text.size() && text[i] != u'\'') {
                if (text[i] == u'\\' && i + 1 < text.size())
                    ++i;
                value += text[i++];
            }
            if (i >= text.size())
                return std::nullopt;
            ++i;
        } else {
            while (i < text.size() && !text[i].isSpace())
                value += text[i++];
        }
        pairs.append({key, value});
    }
    return pairs;
}

// The key=value pairs of a connection string (quotes undone), or of a URI.
std::optional<QList<std::pair<QString, QString>>> connectPairs(const QString &server)
{
    const QString text = server.trimmed();
    const qsizetype scheme = text.startsWith(QLatin1String("postgresql://")) ? 13
                             : text.startsWith(QLatin1String("postgres://"))  ? 11
                                                                               : 0;
    if (scheme)
        return uriPairs(QStringView(text).mid(scheme));
    return keywordPairs(text);
}

} // namespace

void setTeamQueryStop(const std::atomic<bool> *stop)
{
    t_stop = stop;
}

QString teamConnectOptions(const QString &server)
{
    const auto pairs = connectPairs(server);
    if (!pairs || pairs->isEmpty())
        return QString();
    QStringList out;
    bool connectTimeout = false, userTimeout = false;
    for (const auto &[key, value] : *pairs) {
        connectTimeout = connectTimeout || key == QLatin1String("connect_timeout");
        userTimeout = userTimeout || key == QLatin1String("tcp_user_timeout");
        out << key + u'=' + quoted(value);
    }
    // A server that never answers is given up on, and tried again later.
    if (!connectTimeout)
        out << QStringLiteral("connect_timeout=10");
    if (!userTimeout)
        out << QStringLiteral("tcp_user_timeout=20000");
    out << QStringLiteral("application_name=zentova");
    return out.join(u' ');
}

bool teamServerHasPassword(const QString &server)
{
    const auto pairs = connectPairs(server);
    if (!pairs)
        return false;
    for (const auto &[key, value] : *pairs)
        if (key == QLatin1String("password") && !value.isEmpty())
            return true;
    return false;
}

bool TeamConnection::open(const QString &server, QString *error)
{
    close();
    const QString options = teamConnectOptions(server);
    if (options.isEmpty()) {
        *error = QStringLiteral("the server's address is not a libpq connection string or URI");
        return false;
    }
    if (!openLibPq()) {
        *error = QStringLiteral("libpq (libpq.so.5) cannot be loaded");
        return false;
    }
    PGconn *conn = pq->PQconnectdb(options.toUtf8().constData());
    if (!conn) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    m_conn = conn;
    if (pq->PQstatus(conn) != CONNECTION_OK) {
        *error = QString::fromUtf8(pq->PQerrorMessage(conn)).trimmed();
        close();
        return false;
    }
    // Texts both ways in UTF-8, whatever the server's own setting (a pooler
    // keeps it for each client). Times go as ISO texts and come back as
    // milliseconds, whatever its DateStyle.
    if (pq->PQsetClientEncoding(conn, "UTF8") != 0) {
        *error = QString::fromUtf8(pq->PQerrorMessage(conn)).trimmed();
        close();
        return false;
    }
    return true;
}

void TeamConnection::close()
{
    if (m_conn)
        pq->PQfinish(std::exchange(m_conn, nullptr));
}

bool runTeamStatement(TeamConnection &db, const QString &sql, QList<QStringList> *rows,
                      QString *error)
{
    PGconn *conn = db.handle();
    if (!conn)
        return noConnection(error);
    const PgResult r = execWith(conn, sql.toUtf8(), {});
    if (outcomeOf(conn, r, error) != Outcome::Done)
        return false;
    if (rows) {
        rows->clear();
        for (int i = 0; i < pq->PQntuples(r.get()); ++i) {
            QStringList row;
            for (int c = 0; c < pq->PQnfields(r.get()); ++c)
                row << (pq->PQgetisnull(r.get(), i, c)
                            ? QString()
                            : QString::fromUtf8(pq->PQgetvalue(r.get(), i, c)));
            rows->append(row);
        }
    }
    return true;
}

bool prepareTeamTables(TeamConnection &db, QString *error)
{
    QList<QStringList> rows;
    if (!runTeamStatement(db,
                          QStringLiteral("SELECT to_regclass('zentova_change') IS NOT NULL"
                                         " AND to_regclass('zentova_strip') IS NOT NULL"
                                         " AND to_regclass('zentova_schema') IS NOT NULL"),
                          &rows, error))
        return false;
    const bool made = rows.value(0).value(0) == u't';
    const auto runAll = [&](const auto &statements) {
        // Two strips starting together make them one after the other.
        bool ok = runTeamStatement(db, QStringLiteral("BEGIN"), nullptr, error) &&
                  runTeamStatement(db, QStringLiteral("SELECT pg_advisory_xact_lock(2026120801)"),
                                   nullptr, error);
        for (const char *statement : statements)
            ok = ok && runTeamStatement(db, QString::fromLatin1(statement), nullptr, error);
        if (!ok) {
            runTeamStatement(db, QStringLiteral("ROLLBACK"), nullptr, nullptr);
            return false;
        }
        return runTeamStatement(db, QStringLiteral("COMMIT"), nullptr, error);
    };
    // Made where the role may make them; otherwise the administrator's
    // script (README) makes them first.
    if (!made && !runAll(kTables))
        return false;
    if (!runTeamStatement(db, QStringLiteral("SELECT max(version) FROM zentova_schema"), &rows,
                          error))
        return false;
    const int version = rows.value(0).value(0).toInt();
    if (version > kSchemaVersion) {
        *error = QStringLiteral("the tables are of a newer Zentova (schema %1)").arg(version);
        return false;
    }
    if (version < kSchemaVersion && !runAll(kUpgrades)) {
        *error = QStringLiteral("the tables are of an earlier Zentova (schema %1) and cannot be "
                                "brought up to date by this role: run docs/team.sql as their "
                                "owner (%2)")
                     .arg(version)
                     .arg(*error);
        return false;
    }
    return true;
}

bool insertTeamRows(TeamConnection &db, const QList<TeamRow> &rows, QList<RefusedRow> *refused,
                    QString *error)
{
    if (rows.isEmpty())
        return true;
    PGconn *conn = db.handle();
    if (!conn)
        return noConnection(error);
    const Outcome all = insertRows(conn, rows, error);
    if (all != Outcome::Refused)
        return all == Outcome::Done;
    // A row of them is refused for what it holds: each alone, so that only
    // that one stays out.
    for (const TeamRow &row : rows) {
        QString why;
        switch (insertRows(conn, {&row, 1}, &why)) {
        case Outcome::Done:
            break;
        case Outcome::Refused:
            refused->append({row, why});
            break;
        case Outcome::Failed:
            *error = why;
            return false;
        }
    }
    return true;
}

bool serverStartedAt(TeamConnection &db, QByteArray *started, QString *error)
{
    PGconn *conn = db.handle();
    if (!conn)
        return noConnection(error);
    const PgResult r = execWith(conn, "SELECT pg_postmaster_start_time()::text", {});
    if (outcomeOf(conn, r, error) != Outcome::Done || pq->PQntuples(r.get()) != 1)
        return false;
    *started = pq->PQgetvalue(r.get(), 0, 0);
    return true;
}

bool markStripSeen(TeamConnection &db, const QString &folder, const QString &person, QString *error)
{
    PGconn *conn = db.handle();
    if (!conn)
        return noConnection(error);
    return outcomeOf(conn,
                     execWith(conn,
                              "INSERT INTO zentova_strip (folder, person, seen)"
                              " VALUES ($1, $2, now()) ON CONFLICT (folder) DO UPDATE"
                              " SET person = excluded.person, seen = excluded.seen",
                              {serverText(folder), serverText(person)}),
                     error) == Outcome::Done;
}

bool readTeamChanges(TeamConnection &db, const QDate &first, const QDate &last, const QDate &busy,
                     const QByteArray &since, TeamChanges *out, QString *error)
{
    PGconn *conn = db.handle();
    if (!conn)
        return noConnection(error);
    // One statement, so that one snapshot answers it all: the server's time
    // and the oldest transaction still under way in that snapshot (what
    // changes after it is read next time), on a standby how far behind it
    // is, the strips' last words, and the totals of the range by person and
    // title (of those changed since `since`, when given), the busy day's
    // apart from the other days': a change on the busy day, nearly every
    // change, costs the lines of that one day, however long the range. Each
    // day line below none counts none, as its strip shows. Times as
    // milliseconds since the epoch.
#define ZENTOVA_MS(t) "floor(extract(epoch FROM " t ") * 1000)::bigint::text"
    // The whole range is summed by the range; its changes are found by
    // their transaction and summed by person and title, which stays a walk
    // down an index from each changed line however many days the range
    // holds (a filter over the range's lines, the planner's choice for one
    // statement of both, grows with it).
#define ZENTOVA_SUM "sum(greatest(0, total))::text, " ZENTOVA_MS("max(last)")
#define ZENTOVA_WHOLE(kind, days)                                                     \
    " SELECT '" kind "', person, title, " ZENTOVA_SUM " FROM zentova_total WHERE " days \
    " AND title <> '' GROUP BY person, title"
#define ZENTOVA_CHANGED(kind, which, days)                                             \
    " SELECT '" kind "', person, title, " ZENTOVA_SUM " FROM (SELECT person, title FROM" \
    " changed WHERE " which ") AS c JOIN zentova_total USING (person, title) WHERE " days \
    " GROUP BY person, title"
#define ZENTOVA_BUSY "day = $3::date AND day BETWEEN $1::date AND $2::date"
#define ZENTOVA_OTHER "day BETWEEN $1::date AND $2::date AND day <> $3::date"
    const QByteArray head =
        "SELECT 'n', CASE WHEN pg_is_in_recovery() THEN floor(extract(epoch FROM now() -"
        " coalesce(pg_last_xact_replay_timestamp(), now())))::bigint::text END, NULL,"
        " pg_snapshot_xmin(pg_current_snapshot())::text, "
        ZENTOVA_MS("now()") " UNION ALL"
        " SELECT 'p', person, NULL, NULL, " ZENTOVA_MS("seen") " FROM zentova_strip UNION ALL";
    const PgResult r = execWith(
        conn,
        since.isEmpty()
            ? head + ZENTOVA_WHOLE("b", ZENTOVA_BUSY) " UNION ALL"
                  ZENTOVA_WHOLE("t", ZENTOVA_OTHER)
            : "WITH changed AS (SELECT DISTINCT person, title, day = $3::date AS busy"
              " FROM zentova_total WHERE changed >= $4::xid8 AND day BETWEEN $1::date AND"
              " $2::date AND title <> '') " +
                  head + ZENTOVA_CHANGED("b", "busy", ZENTOVA_BUSY) " UNION ALL"
                      ZENTOVA_CHANGED("t", "NOT busy", ZENTOVA_OTHER),
        QList<QByteArray>{first.toString(Qt::ISODate).toLatin1(),
                          last.toString(Qt::ISODate).toLatin1(),
                          busy.toString(Qt::ISODate).toLatin1()} +
            (since.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{since}));
#undef ZENTOVA_SUM
#undef ZENTOVA_WHOLE
#undef ZENTOVA_CHANGED
#undef ZENTOVA_BUSY
#undef ZENTOVA_OTHER
#undef ZENTOVA_MS
    if (outcomeOf(conn, r, error) != Outcome::Done)
        return false;
    const auto value = [&](int row, int column) {
        return QString::fromUtf8(pq->PQgetvalue(r.get(), row, column));
    };
    const auto time = [&](int row) {
        return QDateTime::fromMSecsSinceEpoch(value(row, 4).toLongLong());
    };
    *out = {};
    for (int i = 0; i < pq->PQntuples(r.get()); ++i) {
        switch (pq->PQgetvalue(r.get(), i, 0)[0]) {
        case 'n':
            out->serverNow = time(i);
            out->snapshot = value(i, 3).toLatin1();
            out->behindSecs = pq->PQgetisnull(r.get(), i, 1) ? -1 : value(i, 1).toLongLong();
            break;
        case 'p':
            out->strips.append({value(i, 1), time(i)});
            break;
        default:
            (value(i, 0) == u'b' ? out->busyDay : out->changed)
                .append({value(i, 1), value(i, 2), value(i, 3).toLongLong(), time(i)});
        }
    }
    return true;
}

bool readTeamTotals(TeamConnection &db, const QDate &first, const QDate &last, TeamTotals *out,
                    QString *error)
{
    TeamChanges all;
    if (!readTeamChanges(db, first, last, last, {}, &all, error))
        return false;
    TeamTotalsKept kept;
    kept.apply(all);
    *out = kept.totals();
    return true;
}

void TeamTotalsKept::apply(const TeamChanges &changes)
{
    for (const TeamTotal &t : changes.changed)
        m_totals[{t.person, t.title}].otherDays = t;
    for (const TeamTotal &t : changes.busyDay)
        m_totals[{t.person, t.title}].busyDay = t;
    m_strips = changes.strips;
    m_serverNow = changes.serverNow;
    m_behindSecs = changes.behindSecs;
}

TeamTotals TeamTotalsKept::totals() const
{
    TeamTotals out;
    for (auto i = m_totals.cbegin(); i != m_totals.cend(); ++i)
        out.totals.append({i.key().first, i.key().second,
                           i->otherDays.count + i->busyDay.count,
                           std::max(i->otherDays.lastChange, i->busyDay.lastChange)});
    out.strips = m_strips;
    out.serverNow = m_serverNow;
    out.behindSecs = m_behindSecs;
    return out;
}

QString teamSetupScript(const QString &role)
{
    QString script = QStringLiteral(
        "-- Zentova's tables, for a database where the strips' role may not make\n"
        "-- them: run once as the database's owner, then give that role its rights.\n");
    for (const char *statement : kTables)
        script += QString::fromLatin1(statement) + QStringLiteral(";\n");
    script += QStringLiteral("-- Tables of an earlier Zentova are brought up to date.\n");
    for (const char *statement : kUpgrades)
        script += QString::fromLatin1(statement) + QStringLiteral(";\n");
    script.replace(QStringLiteral("LOCK TABLE"), QStringLiteral("BEGIN;\nLOCK TABLE"));
    script.replace(QStringLiteral("WHERE version >= 3);\n"),
                   QStringLiteral("WHERE version >= 3);\nCOMMIT;\n"));
    script += QStringLiteral("GRANT SELECT ON zentova_schema TO %1;\n"
                             "GRANT SELECT, INSERT ON zentova_change TO %1;\n"
                             "GRANT SELECT ON zentova_total TO %1;\n"
                             "GRANT SELECT, INSERT, UPDATE ON zentova_strip TO %1;\n")
                  .arg(role);
    return script;
}

} // namespace zentova
