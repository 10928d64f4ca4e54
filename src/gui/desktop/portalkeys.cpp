// Keys asked of a Wayland desktop through its GlobalShortcuts portal (KDE
// Plasma 5.27 has one): a session of the portal's, the keys bound to it as
// shortcuts the desktop shows the user to confirm, and each press told back
// as an Activated signal.
#include "gui/desktop/globalkeys.h"
#include "gui/desktop/portal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QUuid>

namespace zentova
{

namespace
{

const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &out, const PortalShortcut &s)
{
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, PortalShortcut &s)
{
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

} // namespace
} // namespace zentova

Q_DECLARE_METATYPE(zentova::PortalShortcut)
Q_DECLARE_METATYPE(zentova::PortalShortcuts)

namespace zentova
{

namespace
{

// The portal's own spelling of a key: CTRL+ALT+1, LOGO for the Super key.
QString portalTrigger(const QString &text)
{
    QString trigger = text;
    for (const auto &[qt, portal] : {std::pair{"Ctrl+", "CTRL+"}, std::pair{"Alt+", "ALT+"},
                                     std::pair{"Shift+", "SHIFT+"}, std::pair{"Meta+", "LOGO+"}})
        trigger.replace(QLatin1String(qt), QLatin1String(portal), Qt::CaseInsensitive);
    return trigger;
}

QString describe(const KeyBinding &binding)
{
    switch (binding.action) {
    case KeyBinding::Action::Count:
        return QStringLiteral("Zentova: +%1").arg(binding.counter + 1);
    case KeyBinding::Action::Uncount:
        return QStringLiteral("Zentova: -%1").arg(binding.counter + 1);
    case KeyBinding::Action::Undo:
        return QStringLiteral("Zentova: undo");
    case KeyBinding::Action::Focus:
        return QStringLiteral("Zentova: focus");
    }
    return QString();
}

class PortalKeys final : public GlobalKeys
{
    Q_OBJECT
public:
    PortalKeys()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(portal::service, portal::path, kShortcuts, QStringLiteral("Activated"), this,
                    SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        createSession();
    }
    ~PortalKeys() override
    {
        if (!m_session.isEmpty())
            QDBusConnection::sessionBus().call(
                QDBusMessage::createMethodCall(portal::service, m_session,
                                               QStringLiteral("org.freedesktop.portal.Session"),
                                               QStringLiteral("Close")),
                QDBus::NoBlock);
    }

    Reach reach() const override { return Reach::Anywhere; }

    // The desktop answers later, once the user has confirmed them: refused
    // keys are known then, and said as the options window opens.
    // The desktop is asked again only for another set of keys (it shows
    // each set to confirm); none at all leaves the set bound, unheard.
    QStringList hold(const QList<KeyBinding> &bindings) override
    {
        m_deaf = bindings.isEmpty();
        if (m_deaf || bindings == m_bindings)
            return {};
        m_bindings = bindings;
        m_refused.clear();
        if (!m_session.isEmpty())
            bind();
        return {};
    }

private slots:
    void activated(const QDBusObjectPath &session, const QString &id, qulonglong,
                   const QVariantMap &)
    {
        bool ok = false;
        const int at = id.toInt(&ok);
        if (!m_deaf && session.path() == m_session && ok && at >= 0 && at < m_bindings.size())
            emit pressed(m_bindings[at]);
    }
    void sessionCreated(uint response, const QVariantMap &results)
    {
        if (response != 0)
            return;
        // A string in the portal's documents, an object path from some
        // of its versions.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                        ? handle.value<QDBusObjectPath>().path()
                        : handle.toString();
        if (!m_bindings.isEmpty())
            bind();
    }
    void bound(uint response, const QVariantMap &results)
    {
        m_refused.clear();
        QSet<QString> given;
        if (response == 0) {
            PortalShortcuts shortcuts;
            results.value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> shortcuts;
            for (const PortalShortcut &s : std::as_const(shortcuts))
                given.insert(s.id);
        }
        for (qsizetype i = 0; i < m_bindings.size(); ++i)
            if (!given.contains(QString::number(i)))
                m_refused.append(m_bindings[i].text);
    }

private:
    // The path the portal answers a request on, known before it is asked so
    // that no answer comes before we listen.
    QString requestPath(const QString &token) const
    {
        QString sender = QDBusConnection::sessionBus().baseService().mid(1);
        sender.replace(u'.', u'_');
        return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    }

    QString listen(const char *slot)
    {
        const QString token = u'z' + QUuid::createUuid().toString(QUuid::Id128).left(16);
        QDBusConnection::sessionBus().connect(portal::service, requestPath(token), kRequest,
                                              QStringLiteral("Response"), this, slot);
        return token;
    }

    void createSession()
    {
        const QString token = listen(SLOT(sessionCreated(uint, QVariantMap)));
        QDBusMessage create = QDBusMessage::createMethodCall(
            portal::service, portal::path, kShortcuts, QStringLiteral("CreateSession"));
        create << QVariantMap{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), token}};
        QDBusConnection::sessionBus().call(create, QDBus::NoBlock);
    }

    void bind()
    {
        PortalShortcuts shortcuts;
        for (qsizetype i = 0; i < m_bindings.size(); ++i)
            shortcuts.append(
                {QString::number(i),
                 {{QStringLiteral("description"), describe(m_bindings[i])},
                  {QStringLiteral("preferred_trigger"), portalTrigger(m_bindings[i].text)}}});
        const QString token = listen(SLOT(bound(uint, QVariantMap)));
        QDBusMessage call = QDBusMessage::createMethodCall(
            portal::service, portal::path, kShortcuts, QStringLiteral("BindShortcuts"));
        call << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts)
             << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
        QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
    }

    QString m_session;
    bool m_deaf = false;
};

} // namespace

std::unique_ptr<GlobalKeys> portalGlobalKeys()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    // The portal says which of its interfaces it has by their versions.
    QDBusMessage get = QDBusMessage::createMethodCall(
        portal::service, portal::path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kShortcuts << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 500);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return nullptr;
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
    return std::make_unique<PortalKeys>();
}

} // namespace zentova

#include "portalkeys.moc"
