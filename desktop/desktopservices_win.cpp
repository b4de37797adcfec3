#include "desktopservices_qt.h"

#include "browserpane.h"
#include "win32shell.h"

#include <QWidget>
#include <string>
#include <utility>

namespace
{

// Windows wide strings are UTF-16, as QString is, so the address reaches the handler
// exactly as the user has it, whatever the system's 8-bit code page could hold.
std::wstring wide(const QString& text)
{
    return text.toStdWString();
}

} // namespace

void QtDesktopServices::shellopen(QWidget* owner, const QString& address, const QString& parameters,
                                  const QString& directory)
{
    void* handle = owner ? reinterpret_cast<void*>(owner->window()->winId()) : nullptr;
    const std::wstring file = wide(address);
    const std::wstring params = wide(parameters);
    const std::wstring dir = wide(directory);
    // A null string means "none" to the shell; an empty one is passed as it is.
    win32shell::open(handle, file.c_str(), parameters.isNull() ? nullptr : params.c_str(),
                     directory.isNull() ? nullptr : dir.c_str());
    // The shell has the address: a pane held back by navigate() may start its engine.
    if (auto* pane = std::exchange(m_heldpane, nullptr).data())
        pane->releaseload();
}

// Not yet on Windows: the taskbar button's progress and toasts need the shell's COM interfaces.
void QtDesktopServices::taskprogress(double) { }

void QtDesktopServices::notify(const QString&, std::function<void()> unheard)
{
    unheard();
}

void QtDesktopServices::chooseplatform()
{
    // Windows has one window system.
}

// Not yet: drops are not uploaded on Windows.
Upload* QtDesktopServices::upload(const QStringList&, const QString&, QObject*)
{
    return nullptr;
}
