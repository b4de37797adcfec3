#include "common/boxedlabel.h"
#include "common/picturebutton.h"
#include "fakedesktopservices.h"
#include "info_dialog/frminfo.h"
#include "main_window/frmquaylink.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace
{

// The help text as the user reads it: six paragraphs with one empty line between each pair.
const QString help = QStringLiteral(
    "If you are looking for a browser-based FTP, this is it!  No more switching back and forth between your browser "
    "and a FTP application.  No more truncated filenames to make you wonder which files you are actually dealing "
    "with.\r\n\r\n"
    "Quaylink allows you to do FTP at both public and restricted FTP sites from Internet Explorer. Your ISP FTP "
    "server used for putting your webpages is an instance of restricted sites.\r\n\r\n"
    " To begin, click the \"Go\" button. Fill in the FTP site address. Leave out the prefix \"ftp://\". Example: If "
    "the site is ftp://ftp.example.com just type ftp.example.com. If the site is restricted, you must enter your "
    "User ID and Password. Click \"OK\". If you have made Internet Explorer as the default browser, it will "
    "launch.\r\n\r\n"
    " The FTP site will open in IE showing the main directory. Double click the directory to open it. At some ftp "
    "sites some folders are not seen when you log onto the main directory. To move to a hidden folder you simply "
    "add to the main directory name a \"/\" followed by the name of the sub-folder.\r\n\r\n"
    " Now Click the \"Open Files\" button in Quaylink and drag files from the popup file-opening pane into the ftp "
    "site.  To download files from the FTP site, select them in IE window, then right click and select \"Copy to "
    "Folder\". From the same right-clicked menu, new folders can be created. Folders and files can be renamed; they "
    "can also be deleted.  FTP addresses are saved in a file called ftpurl.txt in the application directory. "
    "Depending on the type of server, a folder with files in it can or cannot be deleted.\r\n\r\n"
    "If your browser is Netscape, only the uploading function via drag-and-drop works.");

void moveto(QWidget& widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

} // namespace

class tst_frminfo : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void textsandwindow();
    void hover_data();
    void hover();
    void closeandopenagain_data();
    void closeandopenagain();

private:
    frminfo* openinfo();

    QTemporaryDir m_dir;
    FakeDesktopServices m_services;
    std::unique_ptr<frmquaylink> m_main;
};

void tst_frminfo::init()
{
    m_services = {};
    m_main = std::make_unique<frmquaylink>(m_services, m_dir.path());
    m_main->show();
    m_services.log.clear();
}

void tst_frminfo::cleanup()
{
    m_main.reset();
    qDeleteAll(QApplication::topLevelWidgets());
}

frminfo* tst_frminfo::openinfo()
{
    QTest::mouseClick(m_main->cmdinfo, Qt::LeftButton);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* info = qobject_cast<frminfo*>(top); info && info->isVisible())
            return info;
    }
    return nullptr;
}

void tst_frminfo::textsandwindow()
{
    frminfo* info = openinfo();
    QVERIFY(info);
    QCOMPARE(info->Label->text(), help);
    QCOMPARE(info->Label1->text(),
             QStringLiteral("--  Freeware from Tarnholt  --\r\nThis Quaylink is included as one "
                            "of the unique features in Wendlow available at: "
                            "http://www.tarnholt.example/"));
    QCOMPARE(info->Label2->text().count(QStringLiteral("\r\n")), 1);
    QVERIFY(info->Label2->text().contains(QStringLiteral("Tarnholt")));

    QCOMPARE(info->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(info->size(), QSize(567, 524));
    QCOMPARE(info->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    QCOMPARE(m_services.log, QStringList { "ontop frminfo" });
    // OK is the only stop for the Tab key.
    for (QWidget* child : info->findChildren<QWidget*>())
        QCOMPARE(child->focusPolicy() == Qt::NoFocus, child != info->cmdok);

    // A second "?" shows the same dialog without loading it again.
    info->Label->setText(QStringLiteral("changed"));
    QCOMPARE(openinfo(), info);
    QCOMPARE(info->Label->text(), QStringLiteral("changed"));
    QCOMPARE(m_services.log.size(), 1);
}

void tst_frminfo::hover_data()
{
    // Moves in order: L onto the link, S over the bare surface, H over the help text,
    // X the pointer leaving the link.
    QTest::addColumn<QString>("moves");
    QTest::addColumn<bool>("lit");
    QTest::newRow("as shown") << "" << false;
    QTest::newRow("onto the link") << "L" << true;
    QTest::newRow("back and forth") << "LSLS" << false;
    QTest::newRow("the help text is not the surface") << "LH" << true;
    QTest::newRow("leaving the link alone") << "LX" << true;
    QTest::newRow("leaving, surface, back") << "LXSL" << true;
}

void tst_frminfo::hover()
{
    QFETCH(QString, moves);
    QFETCH(bool, lit);
    frminfo* info = openinfo();
    for (QChar move : moves) {
        if (move == 'L') {
            moveto(*info->Label1, QPoint(20, 20));
        } else if (move == 'S') {
            moveto(*info, QPoint(5, 500));
        } else if (move == 'H') {
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
}

void tst_frminfo::closeandopenagain_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("OK") << "ok" << QStringList {};
    QTest::newRow("Enter") << "enter" << QStringList {};
    QTest::newRow("the link") << "link" << QStringList { "open frminfo [http://www.tarnholt.example/] null null" };
    QTest::newRow("close box") << "close" << QStringList {};
}

void tst_frminfo::closeandopenagain()
{
    QFETCH(QString, how);
    QFETCH(QStringList, log);
    QPointer<frminfo> info = openinfo();
    const QString link = info->Label1->text();
    moveto(*info->Label1, QPoint(20, 20));
    m_services.log.clear();
    if (how == "ok") {
        QTest::mouseClick(info->cmdok, Qt::LeftButton);
    } else if (how == "enter") {
        info->activateWindow();
        QTRY_VERIFY(info->cmdok->hasFocus());
        QTest::keyClick(info->cmdok, Qt::Key_Return);
    } else if (how == "link") {
        QTest::mouseClick(info->Label1, Qt::LeftButton);
    } else {
        info->close();
    }
    QTRY_VERIFY(info.isNull());
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_services.log, log);

    // Each load starts from the layout: nothing doubled, the link at rest.
    info = openinfo();
    QCOMPARE(info->Label->text(), help);
    QCOMPARE(info->Label1->text(), link);
    QCOMPARE(info->Label1->textcolour(), QColor(192, 0, 192));
}

QTEST_MAIN(tst_frminfo)
#include "tst_frminfo.moc"
