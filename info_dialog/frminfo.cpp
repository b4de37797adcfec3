#include "frminfo.h"

#include "controls/accessiblerole.h"
#include "controls/backgroundpainter.h"
#include "controls/boxedlabel.h"
#include "controls/fonts.h"
#include "controls/picturebutton.h"
#include "controls/twips.h"
#include "desktop/desktopservices.h"
#include "desktop/webaddresses.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace
{

const QString crlf = QStringLiteral("\r\n");
const QString examplehost = QStringLiteral("ftp.example.com");

// A label as the layouts have it: text wrapped at word boundaries from the top, and what
// does not fit below the bottom edge cut off.
QLabel* makelabel(const QString& caption, const QFont& font, const QColor& text, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, text);
    label->setPalette(colours);
    return label;
}

BoxedLabel* makeboxedlabel(const QString& caption, const QFont& font, const QColor& text, const QColor& back,
                           QWidget* parent)
{
    auto* label = new BoxedLabel(caption, parent);
    label->setFont(font);
    label->setcolours(text, back);
    return label;
}

} // namespace

const QColor frminfo::linktext(192, 0, 192);
const QColor frminfo::linkback(255, 255, 192);

frminfo::frminfo(DesktopServices& services)
    : QWidget(nullptr,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
    , m_services(services)
{
    setaccessiblerole(*this, QAccessible::Dialog);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frminfo"));
    setWindowTitle(QStringLiteral("Info"));
    setFont(windowfont());
    // The link goes back to its rest colours when the pointer crosses the bare surface.
    setMouseTracking(true);
    createcontrols();

    load();
    // Opened without an owner, so centred on the screen; the frame is not known before the
    // window manager has it, so the client area is what is centred. Only now: keeping the
    // window on top sets its flags anew, which would drop a place given before.
    QRect client = twiprect(0, 0, 8505, 7860);
    setFixedSize(client.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        client.moveCenter(screen->geometry().center());
        setGeometry(client);
    }
}

void frminfo::createcontrols()
{
    // The labels are made in the order they are drawn, lowest first; the OK button lies
    // above them all.
    Label4 = makeboxedlabel(QStringLiteral("Quaylink"), layoutfont(QStringLiteral("Verdana"), 12), QColor(128, 0, 128),
                            QColor(255, 224, 192), this);
    Label4->setGeometry(twiprect(240, 120, 2415, 375));
    Label3 = makelabel(QStringLiteral("Why FTP from another application when you can do it from the webbrowser?"),
                       layoutfont(QStringLiteral("Verdana"), 9, true, true), QColor(192, 255, 192), this);
    Label3->setGeometry(twiprect(240, 1080, 7935, 375));
    Label1 = makeboxedlabel(QStringLiteral("--  Freeware from Tarnholt  --"),
                            layoutfont(QStringLiteral("Verdana"), 8.25), linktext, linkback, this);
    Label1->setGeometry(twiprect(2760, 120, 5475, 855));
    // A link: reached by Tab after OK and followed by Enter or the space bar, announced as one.
    setaccessiblerole(*Label1, QAccessible::Link);
    Label1->setAccessibleName(QStringLiteral("Freeware from Tarnholt: ") + webaddresses::maker);
    Label1->setFocusPolicy(Qt::TabFocus);
    Label1->setMouseTracking(true);
    Label1->installEventFilter(this);
    Label = makelabel(QString(), layoutfont(QStringLiteral("Arial"), 9), Qt::white, this);
    Label->setGeometry(twiprect(240, 1560, 8175, 5655));
    Label2 = makeboxedlabel(QStringLiteral("  "), layoutfont(QStringLiteral("Verdana"), 8.25), QColor(128, 0, 128),
                            QColor(192, 255, 192), this);
    Label2->setGeometry(twiprect(240, 480, 2415, 495));

    P1 = maketilebox(*this, twiprect(2880, -1200, 1500, 1500));

    cmdok = new PictureButton(QStringLiteral("OK"), QColor(192, 255, 255), this);
    cmdok->setGeometry(twiprect(3840, 7365, 975, 375));
    cmdok->setFont(layoutfont(QStringLiteral("MS Sans Serif"), 8.25));
    // The only control that takes the focus, so Enter and the space bar press it.
    cmdok->setAutoDefault(true);
    cmdok->setDefault(true);
    cmdok->setFocus();
    setTabOrder(cmdok, Label1);

    Label2->setObjectName(QStringLiteral("Label2"));
    cmdok->setObjectName(QStringLiteral("cmdok"));
    Label->setObjectName(QStringLiteral("Label"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));

    connect(cmdok, &QPushButton::clicked, this, &frminfo::cmdok_click);
}

QString frminfo::helptext()
{
    const QString paragraph = crlf + crlf;
    QString text = QStringLiteral("If you are looking for a browser-based FTP, this is it!")
        + QStringLiteral("  No more switching back and forth between your browser and a FTP application.");
    text = text + QStringLiteral("  No more truncated filenames to make you wonder")
        + QStringLiteral(" which files you are actually dealing with.") + paragraph
        + QStringLiteral(
               "Quaylink allows you to do FTP at both public and restricted FTP sites from Internet Explorer.")
        + QStringLiteral(" Your ISP FTP server used for putting your webpages is an")
        + QStringLiteral(" instance of restricted sites.") + paragraph
        + QStringLiteral(" To begin, click the \"Go\" button. Fill in the FTP site address.")
        + QStringLiteral(" Leave out the prefix") + QStringLiteral(" \"ftp://\". Example: If the site is ftp://")
        + examplehost + QStringLiteral(" just") + QStringLiteral(" type ") + examplehost + QStringLiteral(".")
        + QStringLiteral(" If the site is restricted, you must enter your User ID and Password. Click \"OK\".")
        + QStringLiteral(" If you have made Internet Explorer as the default browser, it will launch.") + paragraph
        + QStringLiteral(" The FTP site will open in IE showing the main directory.")
        + QStringLiteral(" Double click the directory to open it. At some ftp sites some folders are not seen when you")
        + QStringLiteral(
               " log onto the main directory. To move to a hidden folder you simply add to the main directory "
               "name a \"/\" followed by the name")
        + QStringLiteral(" of the sub-folder.") + paragraph
        + QStringLiteral(" Now Click the \"Open Files\" button in Quaylink and drag files from the popup file-opening "
                         "pane into the ftp site. ")
        + QStringLiteral(" To download files from the FTP site, select them in IE window, then")
        + QStringLiteral(" right click and select \"Copy to Folder\".")
        + QStringLiteral(" From the same right-clicked menu, new folders can be created. Folders and files")
        + QStringLiteral(" can be renamed; they can also be deleted.  FTP addresses are saved in a file called "
                         "ftpurl.txt in the application directory.")
        + QStringLiteral(" Depending on the type of server, a folder with files in it can or cannot be deleted.")
        + paragraph + QStringLiteral("If your browser is Netscape, only the uploading function via drag-and-drop")
        + QStringLiteral(" works.");
    return text;
}

QString frminfo::copyright()
{
    return QStringLiteral("(c) 2001 Tarnholt") + crlf + QStringLiteral("All rights reserved.");
}

void frminfo::load()
{
    m_services.keepontop(*this);
    Label->setText(helptext());
    Label1->setText(Label1->text() + crlf + QStringLiteral("This Quaylink is included as one of the unique")
                    + QStringLiteral(" features in Wendlow available at: ") + webaddresses::maker);
    Label2->setText(copyright());
}

void frminfo::paintEvent(QPaintEvent*)
{
    paintbackground(*this, *P1);
}

void frminfo::form_mousemove()
{
    Label1->setcolours(linktext, linkback);
}

void frminfo::Label1_mousemove()
{
    Label1->setcolours(linkback, linktext);
}

void frminfo::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over the other controls reach here too when they have no use for them; only
    // the bare surface counts.
    if (!childAt(event->position().toPoint()))
        form_mousemove();
}

bool frminfo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1) {
        switch (event->type()) {
        case QEvent::KeyPress:
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space:
                Label1_click();
                return true;
            default:
                break;
            }
            break;
        case QEvent::MouseMove:
            Label1_mousemove();
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && Label1->rect().contains(mouse->position().toPoint())) {
                Label1_click();
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frminfo::Label1_click()
{
    m_services.shellopen(this, webaddresses::maker, QString(), QString());
    close();
}

void frminfo::cmdok_click()
{
    close();
}
