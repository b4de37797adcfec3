// The taskbar entry's progress and the desktop's notifications, both over the session bus.
#include "desktopservices_qt.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QVariantMap>
#include <cmath>

namespace
{

// The menu entry the program's windows belong to, as the launcher knows it.
QString appuri()
{
    const QString entry = QGuiApplication::desktopFileName();
    return QStringLiteral("application://") + (entry.isEmpty() ? QStringLiteral("quaylink") : entry)
        + QStringLiteral(".desktop");
}

} // namespace

// The launcher entry's signal, which Plasma's task manager and Ubuntu's dock read. Sent when the
// fraction has moved by a hundredth or the bar shows or clears it, not for every block written.
void QtDesktopServices::taskprogress(double fraction)
{
    const bool visible = fraction >= 0;
    if (visible == (m_taskprogress >= 0) && (!visible || std::abs(fraction - m_taskprogress) < 0.01)
        && (fraction < 1 || m_taskprogress >= 1))
        return;
    m_taskprogress = visible ? std::min(fraction, 1.0) : -1;
    auto signal
        = QDBusMessage::createSignal(QStringLiteral("/example/tarnholt/Quaylink/LauncherEntry"),
                                     QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    QVariantMap properties { { QStringLiteral("progress-visible"), visible } };
    if (visible)
        properties.insert(QStringLiteral("progress"), m_taskprogress);
    signal << appuri() << properties;
    QDBusConnection::sessionBus().send(signal);
}

// Asked without waiting; where no service answers (none runs, or no session bus), `unheard`
// runs instead, once the bus has said so.
void QtDesktopServices::notify(const QString& text, std::function<void()> unheard)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        unheard();
        return;
    }
    auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString entry = QGuiApplication::desktopFileName();
    // The text is the summary: servers read the body as markup, and a file name may hold "<".
    call << QStringLiteral("Quaylink") << 0u << QStringLiteral("quaylink") << text << QString() << QStringList()
         << QVariantMap { { QStringLiteral("desktop-entry"), entry.isEmpty() ? QStringLiteral("quaylink") : entry } }
         << -1;
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, answer, [answer, unheard] {
        if (answer->isError())
            unheard();
        answer->deleteLater();
    });
}
