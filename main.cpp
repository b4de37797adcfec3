#include "common/desktopservices_qt.h"
#include "common/fonts.h"
#include "main_window/frmquaylink.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QtDesktopServices::chooseplatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaylink"));
    substitutefonts();
    QtDesktopServices services;
    frmquaylink window(services, QCoreApplication::applicationDirPath());
    window.show();
    return QApplication::exec();
}
