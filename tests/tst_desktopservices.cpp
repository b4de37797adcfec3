#include "common/desktopservices_qt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace
{

// Runs `answer` on the message box once it is up, then returns what the box returned.
int ask(DesktopServices::Style style, const QString& title, const std::function<void(QMessageBox*)>& answer)
{
    QTimer::singleShot(0, [answer] {
        QMessageBox* box = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<QMessageBox*>(top); found && found->isVisible())
                box = found;
        }
        QVERIFY(box);
        answer(box);
    });
    QtDesktopServices services;
    return services.msgbox(QStringLiteral("Do you wish to go online?"), style, title);
}

} // namespace

class tst_desktopservices : public QObject
{
    Q_OBJECT
private slots:
    void questionneedsyesorno();
    void noticehasokalone();
};

void tst_desktopservices::questionneedsyesorno()
{
    QString caption;
    const int answer = ask(DesktopServices::YesNoCritical, QStringLiteral("Warning"), [&caption](QMessageBox* box) {
        caption = box->windowTitle();
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->buttons().size(), 2);
        // Neither Escape nor the close box stands for an answer.
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!box->close());
        QVERIFY(box->isVisible());
        box->button(QMessageBox::No)->click();
    });
    QCOMPARE(answer, int(DesktopServices::No));
    QCOMPARE(caption, QStringLiteral("Warning"));

    QCOMPARE(ask(DesktopServices::YesNoCritical, QStringLiteral("Warning"),
                 [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }),
             int(DesktopServices::Yes));
}

void tst_desktopservices::noticehasokalone()
{
    QString caption;
    const int answer = ask(DesktopServices::OkOnly, {}, [&caption](QMessageBox* box) {
        caption = box->windowTitle();
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 1);
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(answer, int(DesktopServices::Ok));
    QCOMPARE(caption, QStringLiteral("Quaylink"));
}

QTEST_MAIN(tst_desktopservices)
#include "tst_desktopservices.moc"
