#include "controls/fonts.h"
#include "desktop/desktopservices_qt.h"
#include "main_window/bookfile.h"
#include "main_window/frmquaylink.h"
#include "main_window/singlebar.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QtDesktopServices::chooseplatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaylink"));
    // The menu entry the windows belong to, whose icon and name desktops show for them.
    QGuiApplication::setDesktopFileName(QStringLiteral("quaylink"));
    const QString appdir = QCoreApplication::applicationDirPath();
    const QString book = BookFile::locate(appdir);
    SingleBar single(book);
    if (!single.first())
        return 0;
    substitutefonts();
    QtDesktopServices services;
    frmquaylink window(services, appdir, book);
    single.setwindow(window);
    window.show();
    return QApplication::exec();
}
