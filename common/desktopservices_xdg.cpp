#include "desktopservices_qt.h"

#include <QProcess>

// Freedesktop systems: xdg-open looks up the default handler for the address's scheme.
// The address goes over as one argument, exactly as the user has it, and never through a
// shell; xdg-open takes no parameters of its own.
void QtDesktopServices::shellopen(QWidget*, const QString& address, const QString&, const QString& directory)
{
    QProcess::startDetached(QStringLiteral("xdg-open"), { address }, directory);
}

void QtDesktopServices::chooseplatform()
{
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland && qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}
