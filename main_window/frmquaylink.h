#pragma once

#include "bookfile.h"

#include <QPointer>
#include <QWidget>

class CommonDialog;
class DesktopServices;
class PictureButton;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSessionManager;
class WebBrowserHost;
class frminfo;
class frminput;
class frmreplace;
class QShortcut;
class Upload;
class UploadProgress;

// The bar: always on top, it keeps the address book in its combo box and opens sites.
class frmquaylink : public QWidget
{
    Q_OBJECT
public:
    // `appdir` is where opened sites start: the program's own directory. `book` is the
    // address book's file, by default ftpurl.txt in `appdir`. Runs the load steps; the caller
    // shows the window.
    frmquaylink(DesktopServices& services, const QString& appdir, const QString& book = {});
    ~frmquaylink() override;

    // Outer heights in twips, and what they leave for the client area under a 25-pixel frame.
    static constexpr int collapsedheight = 1935;
    static constexpr int expandedheight = 3345;
    static constexpr int frameheight = 375;

    const QString& appdir() const { return m_appdir; }
    const QString& urlfile() const { return m_book.path(); }

    // The address book: the combo's list mirrored by ftpurl.txt.
    void loadurls();
    QString saveurls(); // the reason it failed, or an empty string
    static bool createurlfile(const QString& path);

    // Puts an address into the combo's edit text, as typed text: no entry stays picked.
    void setaddress(const QString& address);

    // The controls, in tab order.
    QComboBox* combourl; // the address book's list, and the address to open
    PictureButton* cmdftp; // "Go": opens the address, or asks for a login when there is none
    PictureButton* cmdinfo; // "?": help and the maker's link
    PictureButton* cmdopen; // "Upload Files": a file pane to drag uploads from
    QLabel* P1; // never shown; holds the background tile
    PictureButton* cmdadd; // "Save Url": adds the address to the book
    PictureButton* cmddelete; // "Delete Url": removes the picked entry from the book
    PictureButton* cmdtextbox; // "Notes" or "^": shows or hides the notes area
    QPlainTextEdit* Text1; // the notes area, a scratchboard that is never stored
    WebBrowserHost* WebBrowser1; // the browser pane, which shows an advertisement page
    CommonDialog* cd; // the open-file pane behind "Upload Files"
    UploadProgress* ProgressBar1; // how far dropped files have gone up; a click asks to stop

    // Whether files dropped now would go up: the address box holds an address of a site
    // they can be uploaded to.
    bool takesdrop() const;
    // The address as it may be shown: without the user ID and password it may hold.
    static QString shownaddress(const QString& address);

    // Control events.
    void cmdadd_click();
    void cmddelete_click();
    void cmdftp_click();
    void cmdinfo_click();
    void cmdopen_click();
    void cmdtextbox_click();
    void combourl_click();
    void combourl_keypress(int& keyascii);
    void ProgressBar1_click(); // also Escape while files go up

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Files dropped on the bar, with the address they go to, waiting their turn.
    struct Drop {
        QStringList paths;
        QString address;
    };
    void dragged(QDropEvent* drag);
    void startupload();
    void uploaded(int count, const QString& error, bool stopped);
    void askreplace(const QString& name);
    bool stopforclose();
    void stopupload();

    void commitdata(QSessionManager& manager);
    void createcontrols();
    void setouterheight(int twips);
    void afterbookchange(const QString& error, const QString& typed);
    void openaddress(const QString& adpage);
    void showlogin(const QString& refused);

    DesktopServices& m_services;
    const QString m_appdir;
    QPointer<frminput> m_frminput;
    QPointer<frminfo> m_frminfo;
    BookFile m_book; // ftpurl.txt
    QList<Drop> m_drops; // the drops waiting behind the upload under way
    QPointer<Upload> m_upload; // under way, or null
    QString m_uploadaddress; // where it goes
    QPointer<frmreplace> m_frmreplace;
    QShortcut* m_stopkey; // Escape, while files go up
    bool m_stopping = false; // the upload under way has been asked to stop
    bool m_closing = false; // the user has said yes to closing; the upload is stopping
};
