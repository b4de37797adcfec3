#pragma once

#include <QWidget>

class DesktopServices;

// Help on using the bar, the maker's link and the copyright notice.
class frminfo : public QWidget
{
    Q_OBJECT
public:
    explicit frminfo(DesktopServices& services);

private:
    DesktopServices& m_services;
};
