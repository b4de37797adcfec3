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
    void withoutplugin_data();
    void withoutplugin();
    void firstnavigationloadsplugin();
    void laternavigationsgostraighttoview();
};

void TestWebBrowserHost::withoutplugin_data()
{
    QTest::addColumn<QByteArray>("content"); // what lies where the plugin should be; null: nothing
    QTest::addColumn<bool>("refuse"); // the stand-in plugin is there, but its engine cannot start

    QTest::newRow("no file") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray("") << false;
    QTest::newRow("not a library") << QByteArray("\x7f"
                                                 "ELF but not really")
                                   << false;
    QTest::newRow("engine cannot start") << QByteArray() << true;
}

void TestWebBrowserHost::withoutplugin()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, refuse);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!content.isNull()) {
        QFile file(dir.filePath(WebBrowserHost::pluginfilename()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QWidget window;
    auto* pane = new WebBrowserHost(&window);
    pane->setGeometry(0, 0, 120, 40);
    pane->setplugindirs({ dir.path(), dir.filePath(QStringLiteral("missing")) });
    if (refuse) {
        pane->setplugindirs({ QStringLiteral(FAKEPANEDIR) });
        qputenv("FAKEWEBPANE_REFUSE", "1");
    }
    const auto restore = qScopeGuard([] { qunsetenv("FAKEWEBPANE_REFUSE"); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    pane->navigate(QStringLiteral("http://ads.example.com/ads.asp"));
    pane->navigate(QStringLiteral("http://www.tarnholt.example/ads/ads.asp"));
    QTest::qWait(50);
    pane->navigate(QStringLiteral("http://ads.example.com/ads.asp"));
    QTest::qWait(50);

    // Still the blank pane it was, and nothing put in it.
    QCOMPARE(pane->view(), nullptr);
    QVERIFY(pane->findChildren<QWidget*>().isEmpty());
    const QImage shown = pane->grab().toImage();
    QCOMPARE(shown.pixelColor(60, 20), QColor(Qt::white));
}

void TestWebBrowserHost::firstnavigationloadsplugin()
{
    QWidget window;
    auto* pane = new WebBrowserHost(&window);
    pane->setGeometry(3, 0, 352, 65);
    pane->setplugindirs({ QStringLiteral(FAKEPANEDIR "/none"), QStringLiteral(FAKEPANEDIR) });
    window.show();

    // The first address is only noted: the caller goes on at once, before the engine loads.
    // Of addresses sent before the load, the latest is the one shown.
    pane->navigate(QStringLiteral("http://ads.example.com/ads.asp"));
    QCOMPARE(pane->view(), nullptr);
    pane->navigate(QStringLiteral("http://www.tarnholt.example/ads/ads.asp"));
    QTRY_VERIFY(pane->view());

    QWidget* view = pane->view();
    QCOMPARE(view->objectName(), QStringLiteral("fakeview"));
    QCOMPARE(view->parentWidget(), pane);
    QVERIFY(view->isVisible());
    QTRY_COMPARE(view->geometry(), pane->rect());
    QCOMPARE(view->property("urls").toStringList(),
             QStringList { QStringLiteral("http://www.tarnholt.example/ads/ads.asp") });
}

void TestWebBrowserHost::laternavigationsgostraighttoview()
{
    QWidget window;
    auto* pane = new WebBrowserHost(&window);
    pane->setplugindirs({ QStringLiteral(FAKEPANEDIR) });
    pane->navigate(QStringLiteral("a"));
    QTRY_VERIFY(pane->view());

    pane->navigate(QStringLiteral("http://ads.example.com/ads.asp"));
    pane->navigate(QString());
    // Handed over before navigate returns, in order, and to the one view there is.
    QCOMPARE(pane->view()->property("urls").toStringList(),
             (QStringList { QStringLiteral("a"), QStringLiteral("http://ads.example.com/ads.asp"), QString() }));
    QCOMPARE(pane->findChildren<QLabel*>().size(), 1);
}

QTEST_MAIN(TestWebBrowserHost)
#include "tst_webbrowserhost.moc"
