#include "common/webbrowserhost.h"

#include <QFile>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// The browser pane's host, with a stand-in plugin (FAKEPANEDIR) in place of the web engine.
class TestWebBrowserHost : public QObject
{
    Q_OBJECT
private slots:
    void navigate_data();
    void navigate();
};

void TestWebBrowserHost::navigate_data()
{
    QTest::addColumn<QByteArray>("content"); // what lies in the first plugin folder; null: nothing
    QTest::addColumn<bool>("refuse"); // the stand-in plugin is there, but its engine cannot start
    QTest::addColumn<bool>("loads"); // the stand-in plugin is there, in the second folder
    QTest::newRow("no file") << QByteArray() << false << false;
    QTest::newRow("empty file") << QByteArray("") << false << false;
    QTest::newRow("not a library") << QByteArray("\177ELF but not really") << false << false;
    QTest::newRow("engine cannot start") << QByteArray() << true << false;
    QTest::newRow("plugin in the second folder") << QByteArray() << false << true;
}

void TestWebBrowserHost::navigate()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, refuse);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    QFile file(dir.filePath(WebBrowserHost::pluginfilename()));
    QVERIFY(content.isNull()
            || (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush()));
    if (refuse)
        qputenv("FAKEWEBPANE_REFUSE", "1");
    const auto restore = qScopeGuard([] { qunsetenv("FAKEWEBPANE_REFUSE"); });

    QWidget window;
    auto* pane = new WebBrowserHost(&window);
    pane->setGeometry(3, 0, 352, 65);
    pane->setplugindirs(
        { dir.path(), refuse || loads ? QStringLiteral(FAKEPANEDIR) : dir.filePath(QStringLiteral("missing")) });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The first address is only noted: the caller goes on at once, before the engine loads.
    // Of addresses sent before the load, the latest is the one shown.
    pane->navigate(QStringLiteral("http://ads.example.com/ads.asp"));
    QCOMPARE(pane->view(), nullptr);
    pane->navigate(QStringLiteral("b"));
    if (!loads) {
        QTest::qWait(100);
        pane->navigate(QStringLiteral("c"));
        // Still the blank pane it was, and nothing put in it.
        QCOMPARE(pane->view(), nullptr);
        QVERIFY(pane->findChildren<QWidget*>().isEmpty());
        QCOMPARE(pane->grab().toImage().pixelColor(60, 20), QColor(Qt::white));
        return;
    }
    QTRY_VERIFY(pane->view());
    QWidget* view = pane->view();
    QVERIFY(view->isVisible());
    QTRY_COMPARE(view->geometry(), pane->rect());

    // Later addresses are handed over before navigate returns, in order, to the one view there is.
    pane->navigate(QStringLiteral("c"));
    pane->navigate(QString());
    QCOMPARE(view->property("urls").toStringList(), (QStringList { QStringLiteral("b"), QStringLiteral("c"), {} }));
    QCOMPARE(pane->findChildren<QLabel*>().size(), 1);
}

QTEST_MAIN(TestWebBrowserHost)
#include "tst_webbrowserhost.moc"
