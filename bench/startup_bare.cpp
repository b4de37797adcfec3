// The baseline for the bar's start-up: a plain Qt window of the same size with the same kinds
// of controls (an editable combo box, six push buttons, a plain text box, a label), shown,
// and quit after its first paint.
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace
{

class Window : public QWidget
{
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QWidget::event(event);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Window window;
    window.setWindowFlag(Qt::WindowStaysOnTopHint);
    window.setGeometry(372, 22, 356, 104);
    const char* captions[] = { "Delete Url", "Save Url", "Notes", "Upload Files", "?", "Go" };
    int x = 1;
    for (const char* caption : captions) {
        auto* button = new QPushButton(QString::fromLatin1(caption), &window);
        button->setGeometry(x, 67, 55, 16);
        x += 58;
    }
    auto* notes = new QPlainTextEdit(&window);
    notes->setGeometry(0, 104, 359, 97);
    auto* combo = new QComboBox(&window);
    combo->setEditable(true);
    combo->setGeometry(2, 82, 352, 21);
    auto* label = new QLabel(QStringLiteral("Quaylink"), &window);
    label->setGeometry(64, 0, 100, 20);
    window.show();
    return QApplication::exec();
}
