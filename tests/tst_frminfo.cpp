#include "common/boxedlabel.h"
#include "common/picturebutton.h"
#include "common/webaddresses.h"
#include "fakedesktopservices.h"
#include "info_dialog/frminfo.h"
#include "main_window/frmquaylink.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString crlf = QStringLiteral("\r\n");

void moveto(QWidget& widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

} // namespace

class TestFrminfo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts();
    void helptextpieces_data();
    void helptextpieces();
    void window();
    void hover_data();
    void hover();
    void linkopensmakerandcloses();
    void closeandopenagain_data();
    void closeandopenagain();
    void secondshowkeepstexts();

private:
    frminfo* openinfo();

    QTemporaryDir* m_dir = nullptr;
    FakeDesktopServices* m_services = nullptr;
    frmquaylink* m_main = nullptr;
};

void TestFrminfo::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_services = new FakeDesktopServices;
    m_main = new frmquaylink(*m_services, m_dir->path());
    m_main->show();
    m_services->log.clear();
}

void TestFrminfo::cleanup()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("frminfo"))
            delete widget;
    }
    delete m_main;
    delete m_services;
    delete m_dir;
}

frminfo* TestFrminfo::openinfo()
{
    QTest::mouseClick(m_main->cmdinfo, Qt::LeftButton);
    frminfo* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("frminfo") && widget->isVisible())
            found = qobject_cast<frminfo*>(widget);
    }
    return found;
}

void TestFrminfo::texts()
{
    frminfo* info = openinfo();
    QVERIFY(info);
    const QString text = info->Label->text();
    QCOMPARE(text, frminfo::helptext());

    // Six paragraphs, one empty line between each pair, and line breaks only as CR LF pairs.
    QCOMPARE(text.count(crlf + crlf), 5);
    QVERIFY(!text.contains(crlf + crlf + crlf));
    QCOMPARE(text.count(QLatin1Char('\r')), 10);
    QCOMPARE(text.count(QLatin1Char('\n')), 10);
    QCOMPARE(text.count(crlf), 10);
    QVERIFY(text.startsWith(QStringLiteral("If you are looking for a browser-based FTP, this is it!  No more")));
    QVERIFY(text.endsWith(QStringLiteral("only the uploading function via drag-and-drop works.")));

    const QStringList link = info->Label1->text().split(crlf);
    QCOMPARE(link.size(), 2);
    QCOMPARE(link[0], QStringLiteral("--  Freeware from Tarnholt  --"));
    QCOMPARE(link[1],
             QStringLiteral("This Quaylink is included as one of the unique features in Wendlow available at: ")
                 + webaddresses::maker);

    const QStringList notice = info->Label2->text().split(crlf);
    QCOMPARE(notice.size(), 2);
    QVERIFY(notice[0].contains(QStringLiteral("Tarnholt")) || notice[1].contains(QStringLiteral("Tarnholt")));
    QVERIFY(!notice[0].isEmpty() && !notice[1].isEmpty());
}

void TestFrminfo::helptextpieces_data()
{
    QTest::addColumn<QString>("fragment");
    // Where two pieces meet: the double spaces, the paragraph starts with their leading
    // blanks, and the example host in both places.
    QTest::newRow("pieces 1 and 2") << QStringLiteral("this is it!  No more switching back");
    QTest::newRow("pieces 2 and 3") << QStringLiteral("a FTP application.  No more truncated filenames");
    QTest::newRow("paragraph 3") << crlf + crlf + QStringLiteral(" To begin, click the \"Go\" button.");
    QTest::newRow("example host in piece 12")
        << QStringLiteral("Leave out the prefix \"ftp://\". Example: If the site is ftp://ftp.example.com just type");
    QTest::newRow("example host in piece 13") << QStringLiteral(" type ftp.example.com. If the site is restricted");
    QTest::newRow("pieces 22 and 23") << QStringLiteral("into the ftp site.  To download files");
    QTest::newRow("inside piece 26") << QStringLiteral("they can also be deleted.  FTP addresses are saved");
    QTest::newRow("paragraph 6") << crlf + crlf + QStringLiteral("If your browser is Netscape,");
}

void TestFrminfo::helptextpieces()
{
    QFETCH(QString, fragment);
    frminfo* info = openinfo();
    QVERIFY(info);
    QVERIFY2(info->Label->text().contains(fragment), qPrintable(fragment));
}

void TestFrminfo::window()
{
    frminfo* info = openinfo();
    QVERIFY(info);
    QCOMPARE(info->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(info->size(), QSize(567, 524));
    QVERIFY(!info->parentWidget());
    QCOMPARE(info->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    QCOMPARE(m_services->log, QStringList { QStringLiteral("ontop frminfo") });

    // OK is the only stop for the Tab key.
    for (QWidget* child : info->findChildren<QWidget*>())
        QCOMPARE(child->focusPolicy() == Qt::NoFocus, child != static_cast<QWidget*>(info->cmdok));
}

void TestFrminfo::hover_data()
{
    // Moves, in order: L onto the link, S the bare surface, H the help text (another
    // control), X the pointer leaving the link.
    QTest::addColumn<QString>("moves");
    QTest::addColumn<bool>("lit");
    QTest::newRow("as shown") << QString() << false;
    QTest::newRow("onto the link") << QStringLiteral("L") << true;
    QTest::newRow("link, surface") << QStringLiteral("LS") << false;
    QTest::newRow("back and forth") << QStringLiteral("LSLSL") << true;
    QTest::newRow("help text is not the surface") << QStringLiteral("LH") << true;
    QTest::newRow("leaving the link alone") << QStringLiteral("LX") << true;
    QTest::newRow("leaving, then back") << QStringLiteral("LXSL") << true;
}

void TestFrminfo::hover()
{
    QFETCH(QString, moves);
    QFETCH(bool, lit);
    frminfo* info = openinfo();
    QVERIFY(info);
    for (QChar move : moves) {
        if (move == QLatin1Char('L')) {
            moveto(*info->Label1, QPoint(20, 20));
        } else if (move == QLatin1Char('S')) {
            moveto(*info, QPoint(5, 500));
        } else if (move == QLatin1Char('H')) {
            moveto(*info, info->Label->geometry().center());
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(info->Label1, &leave);
        }
    }
    const QColor magenta(192, 0, 192);
    const QColor yellow(255, 255, 192);
    QCOMPARE(info->Label1->textcolour(), lit ? yellow : magenta);
    QCOMPARE(info->Label1->backcolour(), lit ? magenta : yellow);
    // Nothing else about the link changes.
    QVERIFY(!info->Label1->font().underline());
}

void TestFrminfo::linkopensmakerandcloses()
{
    QPointer<frminfo> info = openinfo();
    QVERIFY(info);
    m_services->log.clear();
    QTest::mouseClick(info->Label1, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(m_services->log, QStringList { QStringLiteral("open frminfo [http://www.tarnholt.example/] null null") });
    QTRY_VERIFY(info.isNull());
    QVERIFY(m_main->isVisible());

    // A press that ends outside the link is no click.
    info = openinfo();
    QVERIFY(info);
    m_services->log.clear();
    QTest::mousePress(info->Label1, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseRelease(info->Label1, Qt::LeftButton, {}, QPoint(-30, 30));
    QVERIFY(m_services->log.isEmpty());
    QVERIFY(info->isVisible());
}

void TestFrminfo::closeandopenagain_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << QStringLiteral("ok");
    QTest::newRow("Enter") << QStringLiteral("enter");
    QTest::newRow("link") << QStringLiteral("link");
    QTest::newRow("close box") << QStringLiteral("close");
}

void TestFrminfo::closeandopenagain()
{
    QFETCH(QString, how);
    QPointer<frminfo> info = openinfo();
    QVERIFY(info);
    const QString help = info->Label->text();
    const QString link = info->Label1->text();
    const QString notice = info->Label2->text();
    moveto(*info->Label1, QPoint(20, 20));

    if (how == QLatin1String("ok")) {
        QTest::mouseClick(info->cmdok, Qt::LeftButton);
    } else if (how == QLatin1String("enter")) {
        info->activateWindow();
        QTRY_VERIFY(info->cmdok->hasFocus());
        QTest::keyClick(info->cmdok, Qt::Key_Return);
    } else if (how == QLatin1String("link")) {
        QTest::mouseClick(info->Label1, Qt::LeftButton);
    } else {
        info->close();
    }
    QTRY_VERIFY(info.isNull());
    QVERIFY(m_main->isVisible());

    info = openinfo();
    QVERIFY(info);
    QCOMPARE(info->Label->text(), help);
    QCOMPARE(info->Label1->text(), link);
    QCOMPARE(info->Label2->text(), notice);
    QCOMPARE(info->Label1->textcolour(), QColor(192, 0, 192));
}

void TestFrminfo::secondshowkeepstexts()
{
    frminfo* first = openinfo();
    QVERIFY(first);
    first->Label->setText(QStringLiteral("changed"));
    QCOMPARE(openinfo(), first);
    QCOMPARE(first->Label->text(), QStringLiteral("changed"));
    QCOMPARE(first->Label1->text().count(crlf), 1);
    QCOMPARE(m_services->log.count(QStringLiteral("ontop frminfo")), 1);
}

QTEST_MAIN(TestFrminfo)
#include "tst_frminfo.moc"
