#include "frminfo.h"

frminfo::frminfo(DesktopServices& services)
    : m_services(services)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Info"));
}
