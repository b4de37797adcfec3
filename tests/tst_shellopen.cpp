#include "common/desktopservices_xdg.h"

#include <QTest>

// The route an address takes through the freedesktop shell open, one step at a time.
class tst_shellopen : public QObject
{
    Q_OBJECT
private slots:
    void nextstep_data();
    void nextstep();
};

void tst_shellopen::nextstep_data()
{
    // handler and opened: -1 not known yet, 0 no, 1 yes.
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("handler");
    QTest::addColumn<int>("opened");
    QTest::addColumn<ShellStep>("step");
    QTest::newRow("scheme in any case") << "FTP://us%40er:p%3Aw@h:2121/" << -1 << -1 << ShellStep::AskHandler;
    QTest::newRow("sftp: ask") << "sftp://h/" << -1 << -1 << ShellStep::AskHandler;
    QTest::newRow("ftps, no handler: file manager") << "ftps://h/" << 0 << -1 << ShellStep::FileManager;
    QTest::newRow("ftp, handler: xdg-open") << "ftp://h/" << 1 << -1 << ShellStep::XdgOpen;
    QTest::newRow("ftp, handler, opened: done") << "Ftp://h/" << 1 << 1 << ShellStep::Done;
    QTest::newRow("ftp, handler, failed: file manager") << "ftp://h/" << 1 << 0 << ShellStep::FileManager;
    QTest::newRow("http: xdg-open") << "http://www.tarnholt.example/" << -1 << -1 << ShellStep::XdgOpen;
    QTest::newRow("http failed: nothing more") << "http://www.tarnholt.example/" << -1 << 0 << ShellStep::Done;
    QTest::newRow("no scheme") << "ftp.example.com" << -1 << -1 << ShellStep::XdgOpen;
    QTest::newRow("the word alone") << "ftp" << -1 << -1 << ShellStep::XdgOpen;
    QTest::newRow("longer scheme") << "ftpx://h/" << -1 << -1 << ShellStep::XdgOpen;
}

void tst_shellopen::nextstep()
{
    QFETCH(QString, address);
    QFETCH(int, handler);
    QFETCH(int, opened);
    const auto known = [](int value) {
        return value < 0 ? std::nullopt : std::optional<bool>(value == 1);
    };
    QFETCH(ShellStep, step);
    QCOMPARE(nextshellstep(address, known(handler), known(opened)), step);
}

QTEST_APPLESS_MAIN(tst_shellopen)
#include "tst_shellopen.moc"
