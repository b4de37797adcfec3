#include "frmquaylink.h"

#include "addressbook.h"
#include "addresslist.h"
#include "controls/accessiblerole.h"
#include "controls/backgroundpainter.h"
#include "controls/commondialog.h"
#include "controls/fonts.h"
#include "controls/picturebutton.h"
#include "controls/twips.h"
#include "controls/uploadprogress.h"
#include "controls/webbrowserhost.h"
#include "desktop/desktopservices.h"
#include "desktop/siteaddress.h"
#include "desktop/upload.h"
#include "desktop/webaddresses.h"
#include "frmreplace.h"
#include "info_dialog/frminfo.h"
#include "login_dialog/frminput.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSessionManager>
#include <QShortcut>
#include <limits>

namespace
{

const QString notescaption = QStringLiteral("Notes");
// What a screen reader says for the notes button in each state; its caption is a sign.
const QString shownotes = QStringLiteral("Show notes");
const QString hidenotes = QStringLiteral("Hide notes");
const QColor cyan(192, 255, 255);
const QColor peach(255, 224, 192);

QFont buttonfont()
{
    return layoutfont(QStringLiteral("Arial"), 6.75);
}

} // namespace

frmquaylink::frmquaylink(DesktopServices& services, const QString& appdir, const QString& book)
    : QWidget(nullptr,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
    , m_services(services)
    , m_appdir(appdir)
    , m_book(book.isEmpty() ? appdir + QStringLiteral("/ftpurl.txt") : book)
{
    setaccessiblerole(*this, QAccessible::Window);
    setObjectName(QStringLiteral("frmquaylink"));
    setWindowTitle(QStringLiteral("Quaylink -- Freeware from ") + webaddresses::makerhost);
    setFont(windowfont());
    createcontrols();

    // Load, all before the window is first shown.
    m_services.keepontop(*this);
    combourl->view()->setMinimumWidth(320);
    loadurls();
    const QRect client = twiprect(5580, 330, 5340, collapsedheight - frameheight);
    setGeometry(client);
    setouterheight(collapsedheight);
    // Files dropped anywhere on the bar go to the address in its box; no control takes them
    // for itself (the address box and the notes would type their paths).
    for (QWidget* control : findChildren<QWidget*>())
        control->setAcceptDrops(false);
    setAcceptDrops(true);
    // A site that refused the user ID and password of an address asks for them again.
    m_services.loginrefused = [bar = QPointer<frmquaylink>(this)](const QString& address) {
        if (bar)
            bar->showlogin(address);
    };
    // Qt closes no window when the session ends; logging off closes the bar as its close box does.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &frmquaylink::commitdata);
}

frmquaylink::~frmquaylink() = default;

void frmquaylink::createcontrols()
{
    // Made lowest first, so that where two controls overlap the later one is drawn above.
    cmddelete = new PictureButton(QStringLiteral("Delete Url"), peach, this);
    cmddelete->setGeometry(twiprect(2010, 1000, 1140, 240));
    cmdadd = new PictureButton(QStringLiteral("Save Url"), peach, this);
    cmdadd->setGeometry(twiprect(3165, 1000, 930, 240));

    WebBrowser1 = new WebBrowserHost(this);
    WebBrowser1->setGeometry(twiprect(30, 0, 5280, 975));

    Text1 = new QPlainTextEdit(this);
    Text1->setGeometry(twiprect(0, 1560, 5385, 1455));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setTabChangesFocus(true);
    QPalette navy = Text1->palette();
    navy.setColor(QPalette::Base, QColor(0, 0, 64));
    navy.setColor(QPalette::Text, QColor(255, 255, 128));
    Text1->setPalette(navy);

    cmdtextbox = new PictureButton(notescaption, palette().color(QPalette::Button), this);
    cmdtextbox->setGeometry(twiprect(4110, 1000, 780, 240));
    cmdopen = new PictureButton(QStringLiteral("Upload Files"), cyan, this);
    cmdopen->setGeometry(twiprect(825, 1000, 1170, 240));
    cmdinfo = new PictureButton(QStringLiteral("?"), cyan, this);
    cmdinfo->setGeometry(twiprect(4905, 1000, 420, 240));
    cmdftp = new PictureButton(QStringLiteral("Go"), cyan, this);
    cmdftp->setGeometry(twiprect(20, 1000, 800, 240));

    combourl = new QComboBox(this);
    combourl->setGeometry(twiprect(35, 1230, 5280, 315));
    combourl->setEditable(true);
    combourl->setModel(new AddressList(combourl));
    // The list changes only through Save Url and Delete Url, and the text is the user's own:
    // no inserting on Enter, no completing what is typed.
    combourl->setInsertPolicy(QComboBox::NoInsert);
    combourl->setCompleter(nullptr);
    // Nor does leaving the field pick an entry that matches the text: that would ask to go
    // online in the middle of a click on another button.
    disconnect(combourl->lineEdit(), &QLineEdit::editingFinished, combourl, nullptr);
    // Filling the list picks no entry either. Qt picks the first entry of a list filled
    // from empty unless the combo has a placeholder; an editable combo never shows it.
    combourl->setPlaceholderText(QStringLiteral(" "));
    combourl->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    // Every entry is one line of text, so the list need not measure each entry of a large
    // book before it drops down: with a million entries that took 10 seconds.
    if (auto* list = qobject_cast<QListView*>(combourl->view()))
        list->setUniformItemSizes(true);
    QPalette tooltip = combourl->palette();
    tooltip.setColor(QPalette::Base, tooltip.color(QPalette::ToolTipBase));
    combourl->setPalette(tooltip);

    cd = new CommonDialog(this);

    // In the gap between the browser pane and the buttons, the full width: it covers nothing.
    ProgressBar1 = new UploadProgress(this);
    ProgressBar1->setGeometry(twiprect(0, 975, 5340, 25));
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    connect(ProgressBar1, &UploadProgress::clicked, this, &frmquaylink::ProgressBar1_click);
    // Its tooltip shows also while another window is active, as the one the files came from is.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_stopkey = new QShortcut(Qt::Key_Escape, this, this, &frmquaylink::ProgressBar1_click);
    m_stopkey->setEnabled(false);

    P1 = maketilebox(*this, twiprect(960, -240, 1500, 1500));

    for (PictureButton* button : { cmdftp, cmdinfo, cmdopen, cmdadd, cmddelete, cmdtextbox })
        button->setFont(buttonfont());

    const QList<QWidget*> taborder { combourl,  cmdftp,     cmdinfo, cmdopen,    cmdadd,
                                     cmddelete, cmdtextbox, Text1,   WebBrowser1 };
    for (qsizetype i = 1; i < taborder.size(); ++i)
        setTabOrder(taborder[i - 1], taborder[i]);

    combourl->setObjectName(QStringLiteral("combourl"));
    cmdftp->setObjectName(QStringLiteral("cmdftp"));
    cmdinfo->setObjectName(QStringLiteral("cmdinfo"));
    cmdopen->setObjectName(QStringLiteral("cmdopen"));
    cmdadd->setObjectName(QStringLiteral("cmdadd"));
    cmddelete->setObjectName(QStringLiteral("cmddelete"));
    cmdtextbox->setObjectName(QStringLiteral("cmdtextbox"));
    Text1->setObjectName(QStringLiteral("Text1"));
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));

    // Names a screen reader says, in words, for the controls whose captions are signs or
    // that have no caption; nothing drawn changes.
    cmdinfo->setAccessibleName(QStringLiteral("Help"));
    cmdtextbox->setAccessibleName(shownotes);
    combourl->setAccessibleName(QStringLiteral("Address"));
    keepaccessiblename(*combourl);
    combourl->lineEdit()->setAccessibleName(QStringLiteral("Address"));
    combourl->view()->setAccessibleName(QStringLiteral("Address book"));
    Text1->setAccessibleName(QStringLiteral("Notes"));
    WebBrowser1->setAccessibleName(QStringLiteral("Browser pane"));
    // The notes box lies below the window's edge until the notes are shown: hidden, it takes
    // no typing that nobody would see, and a screen reader does not count it as on screen.
    Text1->hide();
    // The wheel picks an entry only in the box that holds the focus, and gives no focus.
    combourl->setFocusPolicy(Qt::StrongFocus);

    connect(cmdadd, &QPushButton::clicked, this, &frmquaylink::cmdadd_click);
    connect(cmddelete, &QPushButton::clicked, this, &frmquaylink::cmddelete_click);
    connect(cmdftp, &QPushButton::clicked, this, &frmquaylink::cmdftp_click);
    connect(cmdinfo, &QPushButton::clicked, this, &frmquaylink::cmdinfo_click);
    connect(cmdopen, &QPushButton::clicked, this, &frmquaylink::cmdopen_click);
    connect(cmdtextbox, &QPushButton::clicked, this, &frmquaylink::cmdtextbox_click);
    connect(combourl, &QComboBox::activated, this, &frmquaylink::combourl_click);
    // Typing over a picked entry leaves no entry picked, so Delete Url cannot remove an
    // entry the user no longer sees.
    connect(combourl->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        if (combourl->currentIndex() != -1)
            setaddress(text);
    });
    // Keys reach the combo box itself, which hands them to its field by a direct call.
    combourl->installEventFilter(this);
    // The control first in the tab order holds the focus when the window first shows; Qt
    // would give it to the first control made.
    combourl->setFocus();
}

void frmquaylink::setaddress(const QString& address)
{
    QLineEdit* edit = combourl->lineEdit();
    const int cursor = edit->cursorPosition();
    {
        const QSignalBlocker quiet(combourl);
        combourl->setCurrentIndex(-1);
    }
    edit->setText(address);
    edit->setCursorPosition(std::min<int>(cursor, address.size()));
}

void frmquaylink::setouterheight(int twips)
{
    setFixedSize(px(5340), px(twips - frameheight));
}

void frmquaylink::paintEvent(QPaintEvent*)
{
    paintbackground(*this, *P1);
}

// ---- The address book ----

void frmquaylink::loadurls()
{
    // A second try follows only the creation of a missing file.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool missing = false;
        QList<addressbook::Entry> entries = m_book.load(&missing);
        if (!missing) {
            // Appending picks nothing and leaves the edit text alone: the combo has a placeholder.
            static_cast<AddressList*>(combourl->model())->append(std::move(entries));
            return;
        }
        m_services.msgbox(QStringLiteral("Previous record of FTP addresses -- as ftpurl.txt -- cannot be found or has "
                                         "not been created yet. A new empty record will now be created."),
                          DesktopServices::OkOnly);
        if (!createurlfile(urlfile()))
            return;
    }
}

bool frmquaylink::createurlfile(const QString& path)
{
    return BookFile(path).create();
}

QString frmquaylink::saveurls()
{
    return m_book.save(static_cast<AddressList*>(combourl->model())->entries());
}

void frmquaylink::afterbookchange(const QString& error, const QString& typed)
{
    combourl->clear();
    combourl->clearEditText();
    loadurls();
    if (error.isEmpty())
        return;
    setaddress(typed);
    m_services.msgbox(
        QStringLiteral("The address book could not be saved to %1: %2").arg(QDir::toNativeSeparators(urlfile()), error),
        DesktopServices::OkOnly);
}

void frmquaylink::cmdadd_click()
{
    const QString typed = combourl->currentText();
    if (typed.isEmpty())
        return;
    combourl->addItem(typed);
    afterbookchange(saveurls(), typed);
}

void frmquaylink::cmddelete_click()
{
    const QString typed = combourl->currentText();
    if (typed.isEmpty())
        return;
    combourl->removeItem(combourl->currentIndex());
    afterbookchange(saveurls(), typed);
}

// ---- Opening a site ----

void frmquaylink::openaddress(const QString& adpage)
{
    m_services.navigate(*WebBrowser1, adpage);
    m_services.shellopen(this, combourl->currentText(), QString(""), m_appdir);
}

void frmquaylink::cmdftp_click()
{
    if (combourl->currentText().isEmpty()) {
        showlogin({});
        return;
    }
    openaddress(webaddresses::placeholderad);
}

// The login dialog, made on first use; asking again for the password of the address a site
// `refused`, when there is one.
void frmquaylink::showlogin(const QString& refused)
{
    if (!m_frminput)
        m_frminput = new frminput({ [this](const QString& address) { setaddress(address); },
                                    [this] { return combourl->currentText(); }, *WebBrowser1, m_appdir },
                                  m_services);
    if (!refused.isEmpty())
        m_frminput->askagain(refused);
    m_frminput->show();
    m_frminput->raise();
    m_frminput->activateWindow();
}

void frmquaylink::combourl_click()
{
    if (combourl->currentText().isEmpty())
        return;
    if (m_services.msgbox(QStringLiteral("Do you wish to go online?"), DesktopServices::YesNoCritical,
                          QStringLiteral("Warning"))
        == DesktopServices::Yes)
        openaddress(webaddresses::makerad);
}

void frmquaylink::combourl_keypress(int& keyascii)
{
    if (keyascii == 13)
        combourl_click();
}

bool frmquaylink::eventFilter(QObject* watched, QEvent* event)
{
    // A wheel turn over a box that has not the focus would pick an entry and ask to go online.
    if (watched == combourl && event->type() == QEvent::Wheel && !combourl->hasFocus()) {
        event->ignore();
        return true;
    }
    if (watched == combourl && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int keyascii = 13;
            combourl_keypress(keyascii);
            // The combo box itself has nothing to do with Enter: left to it, it would pick
            // a matching entry and open it a second time.
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Notes, upload, info ----

void frmquaylink::cmdtextbox_click()
{
    if (cmdtextbox->text() == notescaption) {
        setouterheight(expandedheight);
        cmdtextbox->setText(QStringLiteral("^"));
        cmdtextbox->setAccessibleName(hidenotes);
        Text1->show();
    } else {
        setouterheight(collapsedheight);
        cmdtextbox->setText(notescaption);
        cmdtextbox->setAccessibleName(shownotes);
        if (Text1->hasFocus())
            cmdtextbox->setFocus();
        Text1->hide();
    }
}

void frmquaylink::cmdopen_click()
{
    // The pane is only there to drag files from: what the user picks, or a cancel, changes nothing.
    cd->CancelError = true;
    cd->Flags = CommonDialog::Explorer | CommonDialog::NoLongNames | CommonDialog::AllowMultiSelect
        | CommonDialog::HideReadOnly; // 786948
    cd->Filter = QStringLiteral("*.*");
    cd->ShowOpen();
}

// ---- Files dropped on the bar ----

bool frmquaylink::takesdrop() const
{
    const QString address = combourl->currentText();
    const qsizetype colon = address.indexOf(QStringLiteral("://"));
    return !m_closing && colon > 0 && colon + 3 < address.size()
        && QStringList { "ftp", "ftps", "sftp" }.contains(address.left(colon).toLower());
}

QString frmquaylink::shownaddress(const QString& address)
{
    const SiteAddress parts = splitaddress(address);
    return parts.scheme.isEmpty() || !parts.hasuser ? address : parts.scheme + "://" + parts.site;
}

// Local files and folders only, copied: the files dropped stay where they are.
void frmquaylink::dragEnterEvent(QDragEnterEvent* event)
{
    dragged(event);
}

void frmquaylink::dragMoveEvent(QDragMoveEvent* event)
{
    dragged(event);
}

void frmquaylink::dropEvent(QDropEvent* event)
{
    dragged(event);
}

void frmquaylink::dragged(QDropEvent* drag)
{
    QStringList paths;
    for (const QUrl& url : drag->mimeData()->urls())
        paths << (url.isLocalFile() ? url.toLocalFile() : QString());
    if (paths.isEmpty() || paths.contains(QString()) || !(drag->possibleActions() & Qt::CopyAction) || !takesdrop()) {
        drag->ignore();
        return;
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (drag->type() != QEvent::Drop)
        return;
    m_drops.append({ paths, combourl->currentText() });
    if (!m_upload)
        startupload();
}

void frmquaylink::startupload()
{
    const Drop drop = m_drops.takeFirst();
    m_uploadaddress = drop.address;
    m_stopping = false;
    m_upload = m_services.upload(drop.paths, drop.address, this);
    if (!m_upload) {
        uploaded(0, QStringLiteral("files cannot be uploaded to this address from here"), false);
        return;
    }
    connect(m_upload, &Upload::progress, this, [this](const Upload::Progress& progress) {
        ProgressBar1->setprogress(progress, int(m_drops.size()));
        m_services.taskprogress(progress.total > 0 ? double(progress.done) / double(progress.total) : 0);
    });
    connect(m_upload, &Upload::exists, this, &frmquaylink::askreplace);
    connect(m_upload, &Upload::finished, this, &frmquaylink::uploaded);
    m_stopkey->setEnabled(true);
    ProgressBar1->setprogress({}, int(m_drops.size()));
    m_services.taskprogress(0);
    m_upload->start();
}

void frmquaylink::askreplace(const QString& name)
{
    if (m_frmreplace)
        m_frmreplace->dismiss();
    m_frmreplace = new frmreplace(name, shownaddress(m_uploadaddress), m_services);
    connect(m_frmreplace, &frmreplace::answered, m_upload, &Upload::answer);
    m_frmreplace->show();
    m_frmreplace->raise();
    m_frmreplace->activateWindow();
}

void frmquaylink::uploaded(int count, const QString& error, bool stopped)
{
    if (m_upload)
        m_upload->deleteLater();
    m_upload = nullptr;
    m_stopkey->setEnabled(false);
    if (m_frmreplace)
        m_frmreplace->dismiss();
    m_services.taskprogress(-1);
    if (m_closing) {
        close();
        return;
    }
    const QString files = count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
    const QString where = shownaddress(m_uploadaddress);
    const bool failed = !error.isEmpty();
    // The reason goes inside a sentence: a full stop of its own (GIO's texts vary) would double the one after it.
    const QString reason = error.endsWith(u'.') ? error.chopped(1) : error;
    const QString text = failed ? QStringLiteral("Upload to %1 failed: %2. %3 uploaded.").arg(where, reason, files)
        : stopped               ? QStringLiteral("Upload to %1 stopped; %2 uploaded.").arg(where, files)
                                : QStringLiteral("%1 uploaded to %2").arg(files, where);
    ProgressBar1->hide();
    m_services.notify(text, [bar = QPointer<frmquaylink>(this), text, failed] {
        if (bar && !bar->m_upload)
            bar->ProgressBar1->showend(text, failed);
    });
    if (!m_drops.isEmpty())
        startupload();
}

void frmquaylink::ProgressBar1_click()
{
    if (!m_upload || m_stopping)
        return;
    const QString question = QStringLiteral("Do you wish to stop uploading to %1? The file being written is removed "
                                            "from the site; the files already uploaded stay.")
                                 .arg(shownaddress(m_uploadaddress));
    if (m_services.msgbox(question, DesktopServices::YesNoCritical, QStringLiteral("Warning")) == DesktopServices::Yes
        && m_upload)
        stopupload();
}

// Ends the upload under way, once, and lets the drops waiting go; finished() follows.
void frmquaylink::stopupload()
{
    m_drops.clear();
    if (!std::exchange(m_stopping, true))
        m_upload->stop();
}

void frmquaylink::cmdinfo_click()
{
    if (!m_frminfo)
        m_frminfo = new frminfo(m_services);
    m_frminfo->show();
    m_frminfo->raise();
    m_frminfo->activateWindow();
}

// ---- Closing ----

void frmquaylink::closeEvent(QCloseEvent* event)
{
    // Said yes to already: the upload has stopped meanwhile.
    if (m_closing) {
        event->accept();
        return;
    }
    if (Text1->toPlainText().isEmpty() && !m_upload) {
        event->accept();
        return;
    }
    const auto yes = [this](const QString& question) {
        return m_services.msgbox(question, DesktopServices::YesNoCritical, QStringLiteral("Warning"))
            == DesktopServices::Yes;
    };
    if (!Text1->toPlainText().isEmpty()
        && !yes(QStringLiteral("You have input some text in the scrathboard which you may want to note. Do you wish "
                               "to exit now?"))) {
        event->ignore();
        return;
    }
    if (m_upload
        && !yes(QStringLiteral("Files are being uploaded to %1. Do you wish to stop the upload and exit now?")
                    .arg(shownaddress(m_uploadaddress)))) {
        event->ignore();
        return;
    }
    if (m_frminput)
        m_frminput->close();
    if (m_frminfo)
        m_frminfo->close();
    if (stopforclose())
        event->ignore();
    else
        event->accept();
}

// Stops an upload under way for the bar to close once it has stopped cleanly; false when none runs.
bool frmquaylink::stopforclose()
{
    if (!m_upload)
        return false;
    m_closing = true;
    stopupload();
    // The bar closes when finished() has come: perhaps already, from within stop().
    return m_upload != nullptr;
}

void frmquaylink::commitdata(QSessionManager& manager)
{
    const bool asks = !Text1->toPlainText().isEmpty() || m_upload;
    // A session that may not wait for an answer ends the bar as it is.
    if (asks && !manager.allowsInteraction())
        return;
    // Closing after the upload has stopped is no refusal.
    if (!close() && !m_closing)
        manager.cancel();
    if (asks)
        manager.release();
}
