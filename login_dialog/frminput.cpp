#include "frminput.h"

#include "controls/accessiblerole.h"
#include "controls/backgroundpainter.h"
#include "controls/fonts.h"
#include "controls/picturebutton.h"
#include "controls/twips.h"
#include "controls/webbrowserhost.h"
#include "desktop/desktopservices.h"
#include "desktop/siteaddress.h"
#include "desktop/webaddresses.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <limits>

namespace
{

QLabel* makelabel(const QString& caption, const QRect& place, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(place);
    label->setFont(layoutfont(QStringLiteral("MS Sans Serif"), 8.25));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette green = label->palette();
    green.setColor(QPalette::WindowText, QColor(192, 255, 192));
    label->setPalette(green);
    return label;
}

// In a user ID or a password, these would end the field early or start the path: the
// handler would connect to the wrong host and send it the credentials.
QString escapecredential(const QString& field)
{
    static const QString reserved = QStringLiteral("%:@/?#\\");
    QString escaped;
    escaped.reserve(field.size());
    for (const QChar c : field) {
        if (reserved.contains(c))
            escaped += QLatin1Char('%') + QString::number(c.unicode(), 16).toUpper();
        else
            escaped += c;
    }
    return escaped;
}

// The schemes a site typed into the dialog may keep.
const QStringList ownschemes { QStringLiteral("ftp"), QStringLiteral("ftps"), QStringLiteral("sftp") };

} // namespace

frminput::frminput(const LoginTarget& target, DesktopServices& services)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_target(target)
    , m_services(services)
{
    setaccessiblerole(*this, QAccessible::Dialog);
    setObjectName(QStringLiteral("frminput"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window would not keep the program running on its own once the bar has closed.
    setAttribute(Qt::WA_QuitOnClose);
    setWindowTitle(QStringLiteral("Input"));
    setFont(windowfont());

    // Labels first: they lie beneath every box and the button.
    Label1 = makelabel(QStringLiteral("User ID"), twiprect(240, 200, 735, 255), this);
    Label2 = makelabel(QStringLiteral("Password"), twiprect(240, 620, 975, 255), this);
    Label3 = makelabel(QStringLiteral("FTP Site"), twiprect(240, 1280, 975, 255), this);
    Label4 = makelabel(QStringLiteral("The prefix ftp:// is not needed here:"), twiprect(1680, 960, 3255, 495), this);

    Text1 = new QLineEdit(this);
    Text1->setGeometry(twiprect(1170, 100, 1935, 285));
    Text2 = new QLineEdit(this);
    Text2->setGeometry(twiprect(1200, 520, 1935, 285));
    Text3 = new QLineEdit(this);
    Text3->setGeometry(twiprect(1170, 1200, 4695, 285));
    for (QLineEdit* box : { Text1, Text2, Text3 })
        box->setMaxLength(std::numeric_limits<int>::max());
    // Each label names its box for a screen reader; the captions carry no access key.
    Label1->setBuddy(Text1);
    Label2->setBuddy(Text2);
    Label3->setBuddy(Text3);
    Text3->setAccessibleDescription(Label4->text());
    Command1 = new PictureButton(QStringLiteral("OK"), palette().color(QPalette::Button), this);
    Command1->setGeometry(twiprect(4920, 600, 855, 300));
    Command1->setFont(layoutfont(QStringLiteral("MS Sans Serif"), 8.25));

    P1 = maketilebox(*this, twiprect(3360, -960, 1500, 1500));

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Command1);

    Text1->setObjectName(QStringLiteral("Text1"));
    Text2->setObjectName(QStringLiteral("Text2"));
    Text3->setObjectName(QStringLiteral("Text3"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));

    connect(Command1, &QPushButton::clicked, this, &frminput::Command1_click);
    for (QLineEdit* box : { Text1, Text2, Text3 })
        box->installEventFilter(this);

    setGeometry(twiprect(3345, 3990, 5940, 1575));
    setFixedSize(size());
    Text1->setFocus();
}

QString frminput::composeaddress(const QString& userid, const QString& password, const QString& site)
{
    const qsizetype separator = site.indexOf(QLatin1String("://"));
    const QString scheme = site.left(separator);
    const bool own = separator > 0 && ownschemes.contains(scheme, Qt::CaseInsensitive);
    return (own ? scheme : QStringLiteral("ftp")) + QStringLiteral("://") + escapecredential(userid) + ':'
        + escapecredential(password) + '@' + (own ? site.mid(separator + 3) : site);
}

void frminput::askagain(const QString& address)
{
    const SiteAddress parts = splitaddress(address);
    Text1->setText(parts.user);
    Text2->clear();
    // Plain FTP needs no prefix here; the others keep theirs.
    const bool ftp = parts.scheme.compare(QLatin1String("ftp"), Qt::CaseInsensitive) == 0;
    Text3->setText(ftp || parts.scheme.isEmpty() ? parts.site : parts.scheme + QStringLiteral("://") + parts.site);
    Text2->setFocus();
}

void frminput::Command1_click()
{
    m_target.setaddress(composeaddress(Text1->text(), Text2->text(), Text3->text()));
    if (m_services.msgbox(QStringLiteral("Do you wish to go online?"), DesktopServices::YesNoCritical,
                          QStringLiteral("Warning"))
        == DesktopServices::Yes) {
        m_services.navigate(m_target.pane, webaddresses::placeholderad);
        // The address box's text, not a copy: it is what the user sees being opened.
        m_services.shellopen(this, m_target.address(), QString(""), m_target.appdir);
    }
    close();
}

void frminput::Text_keypress(int& keyascii)
{
    if (keyascii == 13) {
        keyascii = 0;
        Command1_click();
    }
}

bool frminput::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int keyascii = 13;
            Text_keypress(keyascii);
            return keyascii == 0;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frminput::paintEvent(QPaintEvent*)
{
    paintbackground(*this, *P1);
}
