#include "frminput.h"

frminput::frminput(frmquaylink& main, DesktopServices& services)
    : m_main(main)
    , m_services(services)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Input"));
}
