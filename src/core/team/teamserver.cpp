#include "core/team/teamserver.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

namespace zentova
{

namespace
{

constexpr int kSchemaVersion = 1;

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
    "    kind text NOT NULL DEFAULT '')",
    "CREATE INDEX IF NOT EXISTS zentova_change_day ON zentova_change (day, person)",
    "CREATE TABLE IF NOT EXISTS zentova_strip (\n"
    "    folder text PRIMARY KEY,\n"
    "    person text NOT NULL,\n"
    "    seen timestamptz NOT NULL)",
    "INSERT INTO zentova_schema (version) SELECT 1\n"
    "    WHERE NOT EXISTS (SELECT 1 FROM zentova_schema)",
};

QString quoted(const QString &value)
{
    QString v = value;
    v.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + v + u'\'';
}

// An empty text, never NULL: Qt binds a null QString as NULL.
QString text(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

bool failed(const QSqlError &e, QString *error)
{
    if (error)
        *error = e.databaseText().isEmpty() ? e.text() : e.databaseText().trimmed();
    return false;
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

bool openTeamDatabase(const QString &name, const QString &server, QString *error)
{
    const QString options = teamConnectOptions(server);
    if (options.isEmpty()) {
        *error = QStringLiteral("the server's address is not a libpq connection string or URI");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                    : QSqlDatabase::addDatabase("QPSQL", name);
    if (!db.isValid()) {
        *error = QStringLiteral("Qt's PostgreSQL driver (QPSQL) is missing");
        return false;
    }
    db.close();
    // Qt's driver passes the options on to libpq as they stand; a ';' in
    // them would become a blank, so none is let through.
    db.setConnectOptions(options);
    if (options.contains(u';')) {
        *error = QStringLiteral("a ';' in the server's address");
        return false;
    }
    if (!db.open())
        return failed(db.lastError(), error);
    return true;
}

bool prepareTeamTables(QSqlDatabase &db, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT to_regclass('zentova_change') IS NOT NULL"
                               " AND to_regclass('zentova_strip') IS NOT NULL"
                               " AND to_regclass('zentova_schema') IS NOT NULL")) ||
        !q.next())
        return failed(q.lastError(), error);
    if (!q.value(0).toBool()) {
        // Made where the role may make them; otherwise the administrator's
        // script (README) makes them first.
        if (!db.transaction())
            return failed(db.lastError(), error);
        // Two strips starting together make them one after the other.
        if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(2026120801)"))) {
            const QSqlError e = q.lastError();
            db.rollback();
            return failed(e, error);
        }
        for (const char *statement : kTables) {
            if (!q.exec(QString::fromLatin1(statement))) {
                const QSqlError e = q.lastError();
                db.rollback();
                return failed(e, error);
            }
        }
        if (!db.commit())
            return failed(db.lastError(), error);
    }
    if (!q.exec(QStringLiteral("SELECT max(version) FROM zentova_schema")) || !q.next())
        return failed(q.lastError(), error);
    if (q.value(0).toInt() > kSchemaVersion) {
        *error = QStringLiteral("the tables are of a newer Zentova (schema %1)")
                     .arg(q.value(0).toInt());
        return false;
    }
    return true;
}

bool insertTeamRows(QSqlDatabase &db, const QList<TeamRow> &rows, QString *error)
{
    if (rows.isEmpty())
        return true;
    QString sql = QStringLiteral("INSERT INTO zentova_change"
                                 " (id, person, folder, day, at, counter, title, delta, count, kind)"
                                 " VALUES ");
    for (qsizetype i = 0; i < rows.size(); ++i)
        sql += QLatin1String(i ? ", " : "") +
               QLatin1String("(CAST(? AS uuid), ?, ?, CAST(? AS date), CAST(? AS timestamptz), ?,"
                             " ?, ?, ?, ?)");
    sql += QLatin1String(" ON CONFLICT (id) DO NOTHING");
    QSqlQuery q(db);
    if (!q.prepare(sql))
        return failed(q.lastError(), error);
    for (const TeamRow &r : rows) {
        q.addBindValue(r.id.toString(QUuid::WithoutBraces));
        q.addBindValue(text(r.person));
        q.addBindValue(text(r.folder));
        q.addBindValue(r.day.toString(Qt::ISODate));
        q.addBindValue(r.at.toOffsetFromUtc(r.at.offsetFromUtc()).toString(Qt::ISODateWithMs));
        q.addBindValue(r.counter);
        q.addBindValue(text(r.title));
        q.addBindValue(r.delta);
        q.addBindValue(r.count);
        q.addBindValue(text(r.kind));
    }
    if (!q.exec())
        return failed(q.lastError(), error);
    return true;
}

bool markStripSeen(QSqlDatabase &db, const QString &folder, const QString &person, QString *error)
{
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO zentova_strip (folder, person, seen)"
                                  " VALUES (?, ?, now()) ON CONFLICT (folder) DO UPDATE"
                                  " SET person = excluded.person, seen = excluded.seen")))
        return failed(q.lastError(), error);
    q.addBindValue(text(folder));
    q.addBindValue(text(person));
    if (!q.exec())
        return failed(q.lastError(), error);
    return true;
}

bool readTeamTotals(QSqlDatabase &db, const QDate &first, const QDate &last, TeamTotals *out,
                    QString *error)
{
    // One query: the strips' last words, then the totals of the range.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral(
            "SELECT person, NULL, 0, NULL, seen, now() FROM zentova_strip"
            " UNION ALL"
            " SELECT person, title, sum(delta), max(at), NULL, now() FROM zentova_change"
            " WHERE day BETWEEN CAST(? AS date) AND CAST(? AS date)"
            " GROUP BY person, title")))
        return failed(q.lastError(), error);
    q.addBindValue(first.toString(Qt::ISODate));
    q.addBindValue(last.toString(Qt::ISODate));
    if (!q.exec())
        return failed(q.lastError(), error);
    *out = {};
    while (q.next()) {
        out->serverNow = q.value(5).toDateTime();
        if (q.value(1).isNull())
            out->strips.append({q.value(0).toString(), q.value(4).toDateTime()});
        else
            out->totals.append({q.value(0).toString(), q.value(1).toString(),
                                q.value(2).toLongLong(), q.value(3).toDateTime()});
    }
    return true;
}

QString teamSetupScript(const QString &role)
{
    QString script = QStringLiteral(
        "-- Zentova's tables, for a database where the strips' role may not make\n"
        "-- them: run once as the database's owner, then give that role its rights.\n");
    for (const char *statement : kTables)
        script += QString::fromLatin1(statement) + QStringLiteral(";\n");
    script += QStringLiteral("GRANT SELECT ON zentova_schema TO %1;\n"
                             "GRANT SELECT, INSERT ON zentova_change TO %1;\n"
                             "GRANT SELECT, INSERT, UPDATE ON zentova_strip TO %1;\n")
                  .arg(role);
    return script;
}

} // namespace zentova
