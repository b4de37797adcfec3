#pragma once

#include <QWidget>

class DesktopServices;
class frmquaylink;

// Asks for a user ID, a password and a site, and opens the FTP address they make.
class frminput : public QWidget
{
    Q_OBJECT
public:
    frminput(frmquaylink& main, DesktopServices& services);

private:
    frmquaylink& m_main;
    DesktopServices& m_services;
};
