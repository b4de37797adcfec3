// Start-up of the real bar: as main.cpp, with the real desktop services, the book's location
// and its single-bar lock, on the application directory given, and quits once the window has
// painted for the first time. The program
// itself takes no arguments; this launcher exists for the benchmark alone.
#include "controls/fonts.h"
#include "desktop/desktopservices_qt.h"
#include "main_window/bookfile.h"
#include "main_window/frmquaylink.h"
#include "main_window/singlebar.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace
{

// Quits the application after the first paint of the object it watches.
class QuitAfterPaint : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaylink"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quaylink"));
    const QString appdir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath();
    const QString book = BookFile::locate(appdir);
    SingleBar single(book);
    if (!single.first())
        return 1;
    substitutefonts();
    QtDesktopServices services;
    frmquaylink window(services, appdir, book);
    single.setwindow(window);
    QuitAfterPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return QApplication::exec();
}
