#include "gui/desktop/look.h"
#include "gui/desktop/portal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPointer>
#include <QWidget>

namespace zentova
{

namespace
{

const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kScheme = QStringLiteral("color-scheme");

// The portal wraps a value in as many variants as its version does.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

// The portal's color-scheme: 1 prefers dark, 2 light, 0 no preference.
int portalScheme()
{
    QDBusMessage read = QDBusMessage::createMethodCall(portal::service, portal::path, kSettings,
                                                       QStringLiteral("Read"));
    read << kAppearance << kScheme;
    // Asked as a window opens; a portal that does not answer soon is none.
    const QDBusMessage reply = QDBusConnection::sessionBus().call(read, QDBus::Block, 500);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return unwrapped(reply.arguments().first()).toInt();
}

void applyLook(QWidget *window, bool dark)
{
    window->setPalette(dark ? darkPalette() : QPalette());
}

// Hears the portal tell that the desktop's choice changed.
class LookFollower : public QObject
{
    Q_OBJECT
public:
    explicit LookFollower(QWidget *window) : QObject(window), m_window(window)
    {
        QDBusConnection::sessionBus().connect(portal::service, portal::path, kSettings,
                                              QStringLiteral("SettingChanged"), this,
                                              SLOT(settingChanged(QString, QString, QDBusVariant)));
    }

private slots:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value)
    {
        if (group == kAppearance && key == kScheme && m_window &&
            qEnvironmentVariableIsEmpty("GTK_THEME"))
            applyLook(m_window, unwrapped(value.variant()).toInt() == 1);
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

bool desktopPrefersDark()
{
    const QString gtkTheme = qEnvironmentVariable("GTK_THEME");
    if (!gtkTheme.isEmpty())
        return gtkTheme.endsWith(QLatin1String(":dark"), Qt::CaseInsensitive) ||
               gtkTheme.section(u':', 0, 0).endsWith(QLatin1String("-dark"), Qt::CaseInsensitive);
    return portalScheme() == 1;
}

QPalette darkPalette()
{
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230), muted(128, 128, 128);
    QPalette p(window);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 45));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, muted);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 100, 100));
    p.setColor(QPalette::Light, QColor(75, 75, 75));
    p.setColor(QPalette::Midlight, QColor(62, 62, 62));
    p.setColor(QPalette::Mid, QColor(80, 80, 80));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Shadow, QColor(10, 10, 10));
    p.setColor(QPalette::Link, QColor(90, 160, 240));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, muted);
    return p;
}

void followDesktopLook(QWidget *window)
{
    if (desktopPrefersDark())
        applyLook(window, true);
    new LookFollower(window);
}

} // namespace zentova

#include "look.moc"
