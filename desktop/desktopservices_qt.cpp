#include "desktopservices_qt.h"

#include "browserpane.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace
{

// A Yes/No question must be answered with Yes or No: Escape and the close box would
// otherwise count as No without the user having said so.
class QuestionBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape)
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (!clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

int QtDesktopServices::msgbox(const QString& text, Style style, const QString& title)
{
    const QString caption = title.isEmpty() ? QStringLiteral("Quaylink") : title;
    if (style == YesNoCritical) {
        QuestionBox box(QMessageBox::Critical, caption, text, QMessageBox::Yes | QMessageBox::No);
        // Above the bar, which itself stays above every other window.
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.setWindowFlag(Qt::WindowCloseButtonHint, false);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Yes : No;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    return Ok;
}

void QtDesktopServices::keepontop(QWidget& window)
{
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

// The engine's first start holds the window's thread for a moment. The windows open an
// address right after sending the pane its page, and that address goes first: the pane's
// engine starts once the shell open has handed the address over.
void QtDesktopServices::navigate(BrowserPane& pane, const QString& url)
{
    if (!pane.loaded()) {
        pane.holdload();
        m_heldpane = &pane;
    }
    pane.navigate(url);
}
