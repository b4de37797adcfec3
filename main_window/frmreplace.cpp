#include "frmreplace.h"

#include "controls/accessiblerole.h"
#include "controls/backgroundpainter.h"
#include "controls/fonts.h"
#include "controls/picturebutton.h"
#include "desktop/desktopservices.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

frmreplace::frmreplace(const QString& name, const QString& folder, DesktopServices& services)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setaccessiblerole(*this, QAccessible::Dialog);
    setObjectName(QStringLiteral("frmreplace"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Replace"));
    setFont(windowfont());
    const QColor green(192, 255, 192);

    Label1 = new QLabel(QStringLiteral("\"%1\" is already in %2. Replace it with the dropped file?").arg(name, folder),
                        this);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(16, 10, 328, 50);
    Check1 = new QCheckBox(QStringLiteral("For all the rest of this drop"), this);
    Check1->setGeometry(16, 62, Check1->sizeHint().width(), 22);
    for (QWidget* text : std::initializer_list<QWidget*> { Label1, Check1 }) {
        QPalette palette = text->palette();
        palette.setColor(QPalette::WindowText, green);
        text->setPalette(palette);
    }
    cmdreplace = new PictureButton(QStringLiteral("Replace"), QColor(255, 224, 192), this);
    cmdreplace->setGeometry(184, 92, 76, 22);
    cmdskip = new PictureButton(QStringLiteral("Skip"), QColor(192, 255, 255), this);
    cmdskip->setGeometry(268, 92, 76, 22);
    for (PictureButton* button : { cmdreplace, cmdskip })
        button->setFont(layoutfont(QStringLiteral("MS Sans Serif"), 8.25));
    P1 = maketilebox(*this, QRect(0, 0, 100, 100));

    setTabOrder(Check1, cmdreplace);
    setTabOrder(cmdreplace, cmdskip);
    Label1->setObjectName(QStringLiteral("Label1"));
    Check1->setObjectName(QStringLiteral("Check1"));
    cmdreplace->setObjectName(QStringLiteral("cmdreplace"));
    cmdskip->setObjectName(QStringLiteral("cmdskip"));
    connect(cmdreplace, &QPushButton::clicked, this, [this] { answer(true); });
    connect(cmdskip, &QPushButton::clicked, this, [this] { answer(false); });

    services.keepontop(*this);
    // Centred on the screen, as the bar's other unowned windows are; placed after the flags are set.
    QRect client(0, 0, 360, 124);
    setFixedSize(client.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        client.moveCenter(screen->geometry().center());
        setGeometry(client);
    }
    cmdskip->setFocus();
}

void frmreplace::answer(bool replace)
{
    if (std::exchange(m_answered, true))
        return;
    emit answered(replace, Check1->isChecked());
    close();
}

void frmreplace::dismiss()
{
    m_answered = true;
    close();
}

void frmreplace::closeEvent(QCloseEvent* event)
{
    answer(false);
    event->accept();
}

// Escape, like the close box, keeps the site's file.
void frmreplace::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        answer(false);
    else
        QWidget::keyPressEvent(event);
}

void frmreplace::paintEvent(QPaintEvent*)
{
    paintbackground(*this, *P1);
}
