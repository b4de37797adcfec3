#pragma once

#include <QWidget>
#include <functional>

class DesktopServices;
class PictureButton;
class QLabel;
class QLineEdit;
class WebBrowserHost;

// What the dialog needs of the window that opens it, handed over when that window makes it.
struct LoginTarget {
    std::function<void(const QString&)> setaddress; // puts the composed address into the address box
    std::function<QString()> address; // the address box's text as it stands now
    WebBrowserHost& pane; // where the advertisement page goes
    QString appdir; // where opened sites start
};

// Asks for a user ID, a password and a site, and opens the FTP address they make through
// the bar, which keeps that address in its combo box.
class frminput : public QWidget
{
    Q_OBJECT
public:
    frminput(const LoginTarget& target, DesktopServices& services);

    // "ftp://" + user ID + ":" + password + "@" + site. Characters that would end the user
    // ID or the password early are percent-encoded; the site goes in as typed. A site typed
    // with its own "ftp://", "ftps://" or "sftp://" keeps it, and the credentials follow it.
    static QString composeaddress(const QString& userid, const QString& password, const QString& site);

    // Asks again for the password of `address`, which its site refused: the user ID and the
    // site as the address has them, the password box empty and focused.
    void askagain(const QString& address);

    // The controls, in tab order.
    QLineEdit* Text1; // user ID
    QLabel* Label1; // "User ID"
    QLineEdit* Text2; // password, shown as typed
    QLineEdit* Text3; // FTP site, without its "ftp://"
    QLabel* Label2; // "Password"
    PictureButton* Command1; // "OK": composes the address and opens it
    QLabel* Label3; // "FTP Site"
    QLabel* Label4; // the hint above the site box
    QLabel* P1; // never shown; holds the background tile

    void Command1_click();
    void Text_keypress(int& keyascii);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const LoginTarget m_target;
    DesktopServices& m_services;
};
