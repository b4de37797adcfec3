#include "common/fonts.h"
#include "common/picturebutton.h"
#include "common/webbrowserhost.h"
#include "fakedesktopservices.h"
#include "login_dialog/frminput.h"
#include "main_window/frmquaylink.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace
{

const QString missingnotice = QStringLiteral(
    "ask [Previous record of FTP addresses -- as ftpurl.txt -- cannot be found or has not been created yet. A new "
    "empty record will now be created.] 0 null");
const QString goonline = QStringLiteral("ask [Do you wish to go online?] 20 [Warning]");
const QString noteswarning = QStringLiteral("ask [You have input some text in the scrathboard which you may want to "
                                            "note. Do you wish to exit now?] 20 [Warning]");

// The login dialog, when one is open.
QWidget* logindialog()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("frminput") && top->isVisible())
            return top;
    }
    return nullptr;
}

QStringList items(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class tst_frmquaylink : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void taborderandstacking();
    void firststart();
    void loadsthefileasitstands();
    void saveanddelete();
    void emptytextchangesnothing();
    void deleteneedsapickedentry();
    void enternevereditsthelist();
    void longentry();
    void notestoggle();
    void closing();
    void opening_data();
    void opening();
    void goemptyshowslogin();

private:
    frmquaylink& open(const QByteArray& content);
    QByteArray file() const;
    void type(const QString& text);
    void pick(int index);

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeDesktopServices m_services;
    std::unique_ptr<frmquaylink> m_window;
};

void tst_frmquaylink::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_services = {};
}

void tst_frmquaylink::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

frmquaylink& tst_frmquaylink::open(const QByteArray& content)
{
    QFile file(m_dir->filePath(QStringLiteral("ftpurl.txt")));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write the test's address book");
    file.close();
    m_window = std::make_unique<frmquaylink>(m_services, m_dir->path());
    m_window->show();
    m_services.log.clear();
    return *m_window;
}

QByteArray tst_frmquaylink::file() const
{
    QFile file(m_dir->filePath(QStringLiteral("ftpurl.txt")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void tst_frmquaylink::type(const QString& text)
{
    m_window->combourl->lineEdit()->selectAll();
    QTest::keyClicks(m_window->combourl->lineEdit(), text);
}

void tst_frmquaylink::pick(int index)
{
    // As a click in the dropped list does.
    QComboBox* combo = m_window->combourl;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void tst_frmquaylink::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<QString>("caption");
    // Twips from the layout divided by 15, rounded.
    QTest::newRow("combourl") << "combourl" << QRect(2, 82, 352, 21) << "";
    QTest::newRow("cmdftp") << "cmdftp" << QRect(1, 67, 53, 16) << "Go";
    QTest::newRow("cmdinfo") << "cmdinfo" << QRect(327, 67, 28, 16) << "?";
    QTest::newRow("cmdopen") << "cmdopen" << QRect(55, 67, 78, 16) << "Upload Files";
    QTest::newRow("P1") << "P1" << QRect(64, -16, 100, 100) << "";
    QTest::newRow("cmdadd") << "cmdadd" << QRect(211, 67, 62, 16) << "Save Url";
    QTest::newRow("cmddelete") << "cmddelete" << QRect(134, 67, 76, 16) << "Delete Url";
    QTest::newRow("cmdtextbox") << "cmdtextbox" << QRect(274, 67, 52, 16) << "Notes";
    QTest::newRow("Text1") << "Text1" << QRect(0, 104, 359, 97) << "";
    QTest::newRow("WebBrowser1") << "WebBrowser1" << QRect(2, 0, 352, 65) << "";
}

void tst_frmquaylink::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(QString, caption);
    frmquaylink& window = open({});
    auto* control = window.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), pixels);
    if (auto* button = qobject_cast<PictureButton*>(control)) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->font().pointSizeF(), 6.75);
        QVERIFY(button->font().bold());
    }
    QVERIFY(control->isEnabled());
    QCOMPARE(control->isVisibleTo(&window), name != "P1");

    // The window itself: the collapsed client area at its fixed place on the screen,
    // topmost, and the tile box holding a 100-pixel tile.
    QCOMPARE(window.geometry(), QRect(372, 22, 356, 104));
    QCOMPARE(window.windowTitle(), QStringLiteral("Quaylink -- Freeware from www.tarnholt.example"));
    QCOMPARE(window.P1->pixmap().size(), QSize(100, 100));
    QCOMPARE(window.cmdftp->facecolor(), QColor(192, 255, 255));
    QCOMPARE(window.cmdadd->facecolor(), QColor(255, 224, 192));
    QCOMPARE(window.Text1->palette().color(QPalette::Base), QColor(0, 0, 64));
    QCOMPARE(window.Text1->palette().color(QPalette::Text), QColor(255, 255, 128));
    QCOMPARE(window.Text1->lineWrapMode(), QPlainTextEdit::NoWrap);
}

void tst_frmquaylink::taborderandstacking()
{
    frmquaylink& window = open({});
    QList<QWidget*> order { window.combourl->lineEdit() };
    for (QWidget* w = order.last()->nextInFocusChain(); w != order.first(); w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(&window) && w->isAncestorOf(&window) == false)
            order << w;
    }
    QStringList names;
    for (QWidget* w : order) {
        // The combo's field and the text box's viewport stand for their controls.
        QWidget* control = w;
        while (control->parentWidget() != &window)
            control = control->parentWidget();
        if (names.isEmpty() || names.last() != control->objectName())
            names << control->objectName();
    }
    QCOMPARE(
        names.mid(0, 8),
        (QStringList { "combourl", "cmdftp", "cmdinfo", "cmdopen", "cmdadd", "cmddelete", "cmdtextbox", "Text1" }));

    QStringList stacking;
    for (QObject* child : window.children()) {
        if (child->isWidgetType() && !child->objectName().isEmpty())
            stacking << child->objectName();
    }
    QCOMPARE(stacking,
             (QStringList { "cmddelete", "cmdadd", "WebBrowser1", "Text1", "cmdtextbox", "cmdopen", "cmdinfo", "cmdftp",
                            "combourl", "P1" }));
}

void tst_frmquaylink::firststart()
{
    m_window = std::make_unique<frmquaylink>(m_services, m_dir->path());
    // The notice comes before the window is shown, and then the file is there, empty and private.
    QCOMPARE(m_services.log, (QStringList { "ontop frmquaylink", missingnotice }));
    QVERIFY(!m_window->isVisible());
    QCOMPARE(file(), QByteArray());
    QCOMPARE(QFile::permissions(m_dir->filePath("ftpurl.txt")),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
    QCOMPARE(m_window->combourl->count(), 0);
    QCOMPARE(m_window->combourl->currentText(), QString());
    QVERIFY(m_window->combourl->view()->minimumWidth() >= 320);

    // An empty file is a normal start: no notice.
    m_window = std::make_unique<frmquaylink>(m_services, m_dir->path());
    QCOMPARE(m_services.log.size(), 3);
}

void tst_frmquaylink::loadsthefileasitstands()
{
    frmquaylink& window = open("ftp://a\r\n\r\n b \r\nftp://lf\nin\r\nlast");
    QCOMPARE(items(window.combourl), (QStringList { "ftp://a", "", " b ", "ftp://lf\nin", "last" }));
    QCOMPARE(window.combourl->currentIndex(), -1);
    QCOMPARE(window.combourl->currentText(), QString());

    // Saving writes every entry back as it was read, and ends the last line.
    type(QStringLiteral("new"));
    window.cmdadd->click();
    QCOMPARE(file(), QByteArray("ftp://a\r\n\r\n b \r\nftp://lf\nin\r\nlast\r\nnew\r\n"));
    QVERIFY(m_services.log.isEmpty());
}

void tst_frmquaylink::saveanddelete()
{
    frmquaylink& window = open("ftp://one\r\nftp://two\r\n");
    type(QStringLiteral("  ftp://one  "));
    window.cmdadd->click();
    type(QStringLiteral("ftp://one"));
    window.cmdadd->click();
    QCOMPARE(file(), QByteArray("ftp://one\r\nftp://two\r\n  ftp://one  \r\nftp://one\r\n"));
    QCOMPARE(items(window.combourl), (QStringList { "ftp://one", "ftp://two", "  ftp://one  ", "ftp://one" }));
    QCOMPARE(window.combourl->currentText(), QString());

    // Picking passes through the go-online prompt; after No the entry stays picked and goes.
    m_services.answers = { DesktopServices::No, DesktopServices::No };
    pick(1);
    QCOMPARE(window.combourl->currentText(), QStringLiteral("ftp://two"));
    window.cmddelete->click();
    QCOMPARE(file(), QByteArray("ftp://one\r\n  ftp://one  \r\nftp://one\r\n"));
    QCOMPARE(window.combourl->currentIndex(), -1);
    QCOMPARE(window.combourl->currentText(), QString());
    // Of two equal entries, the picked one goes.
    pick(2);
    window.cmddelete->click();
    QCOMPARE(file(), QByteArray("ftp://one\r\n  ftp://one  \r\n"));
    QCOMPARE(m_services.log, (QStringList { goonline, goonline }));
}

void tst_frmquaylink::emptytextchangesnothing()
{
    const QByteArray content("a\r\n\r\nb\r\n");
    frmquaylink& window = open(content);
    QFile::remove(m_dir->filePath("ftpurl.txt"));
    // Picking the empty entry leaves nothing to delete or save; neither button touches the file.
    pick(1);
    QCOMPARE(window.combourl->currentText(), QString());
    window.cmddelete->click();
    window.cmdadd->click();
    QVERIFY(!QFile::exists(m_dir->filePath("ftpurl.txt")));
    QCOMPARE(window.combourl->count(), 3);
    QVERIFY(m_services.log.isEmpty());
}

void tst_frmquaylink::deleteneedsapickedentry()
{
    frmquaylink& window = open("ftp://a\nb\r\nftp://c");
    // Typed by hand, even when it matches an entry: nothing removed, the file rewritten.
    type(QStringLiteral("ftp://c"));
    window.cmddelete->click();
    QCOMPARE(file(), QByteArray("ftp://a\nb\r\nftp://c\r\n"));
    QCOMPARE(window.combourl->currentText(), QString());

    // Typing over a picked entry unpicks it.
    m_services.answers = { DesktopServices::No };
    pick(0);
    QCOMPARE(window.combourl->currentIndex(), 0);
    QTest::keyClick(window.combourl->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(window.combourl->currentIndex(), -1);
    QCOMPARE(window.combourl->currentText(), QStringLiteral("ftp://a\n"));
    window.cmddelete->click();
    QCOMPARE(window.combourl->count(), 2);
}

void tst_frmquaylink::enternevereditsthelist()
{
    frmquaylink& window = open("ftp://a\r\n");
    m_services.answers = { DesktopServices::No, DesktopServices::No };
    type(QStringLiteral("ftp://typed"));
    QTest::keyClick(window.combourl->lineEdit(), Qt::Key_Return);
    type(QStringLiteral("ftp://a"));
    QTest::keyClick(window.combourl->lineEdit(), Qt::Key_Enter);
    // Leaving the field with a text that matches an entry picks nothing either.
    emit window.combourl->lineEdit()->editingFinished();
    QCOMPARE(items(window.combourl), QStringList { "ftp://a" });
    QCOMPARE(window.combourl->currentIndex(), -1);
    QCOMPARE(window.combourl->currentText(), QStringLiteral("ftp://a"));
    // One prompt for each Enter, not one more for a matching entry.
    QCOMPARE(m_services.log, (QStringList { goonline, goonline }));
    QCOMPARE(file(), QByteArray("ftp://a\r\n"));
}

void tst_frmquaylink::longentry()
{
    // Longer than a line edit takes by default: picked and saved back whole.
    const QByteArray longline = "ftp://" + QByteArray(40000, 'x');
    frmquaylink& window = open(longline + "\r\n");
    m_services.answers = { DesktopServices::No };
    pick(0);
    QCOMPARE(window.combourl->currentText().size(), longline.size());
    QTest::keyClicks(window.combourl->lineEdit(), "y");
    window.cmdadd->click();
    QCOMPARE(file(), longline + "\r\n" + longline + "y\r\n");
}

void tst_frmquaylink::notestoggle()
{
    frmquaylink& window = open({});
    QTest::keyClicks(window.Text1, "kept");
    window.cmdtextbox->click();
    QCOMPARE(window.cmdtextbox->text(), QStringLiteral("^"));
    QCOMPARE(window.geometry(), QRect(372, 22, 356, 198));
    window.cmdtextbox->click();
    QCOMPARE(window.cmdtextbox->text(), QStringLiteral("Notes"));
    QCOMPARE(window.geometry(), QRect(372, 22, 356, 104));
    QCOMPARE(window.Text1->toPlainText(), QStringLiteral("kept"));
    // Collapsed, the notes area lies wholly below the client area, yet is not hidden.
    QCOMPARE(window.Text1->y(), window.height());
    QVERIFY(window.Text1->isVisible());
}

void tst_frmquaylink::closing()
{
    frmquaylink& window = open("ftp://a\r\n");
    const QByteArray before = file();
    type(QStringLiteral("typed"));

    // Notes of only blanks count as notes. No keeps everything, and a second close asks again.
    QTest::keyClicks(window.Text1, " ");
    QTest::keyClick(window.Text1, Qt::Key_Return);
    window.cmdtextbox->click();
    m_services.answers = { DesktopServices::No, DesktopServices::No };
    QVERIFY(!window.close());
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(window.Text1->toPlainText(), QStringLiteral(" \n"));
    QCOMPARE(window.combourl->currentText(), QStringLiteral("typed"));
    QCOMPARE(window.height(), 198);
    QCOMPARE(m_services.log, (QStringList { noteswarning, noteswarning }));

    // Yes closes the login dialog with the bar.
    window.setaddress({});
    window.cmdftp->click();
    QVERIFY(logindialog());
    m_services.answers = { DesktopServices::Yes };
    QVERIFY(window.close());
    QVERIFY(!logindialog());
    QCOMPARE(file(), before);

    // With empty notes the bar closes at once, and an open dialog stays.
    m_services.log.clear();
    frmquaylink& second = open("ftp://a\r\n");
    second.cmdftp->click();
    QSignalSpy lastclosed(qApp, &QGuiApplication::lastWindowClosed);
    QVERIFY(second.close());
    QVERIFY(m_services.log.isEmpty());
    QVERIFY(logindialog());
    // The program goes on until that dialog closes too. Qt decides that only in its event loop.
    QTimer::singleShot(0, logindialog(), &QWidget::close);
    QTimer giveup;
    giveup.setSingleShot(true);
    connect(&giveup, &QTimer::timeout, qApp, &QCoreApplication::quit);
    giveup.start(5000);
    QCOMPARE(lastclosed.size(), 0);
    QCoreApplication::exec();
    QCOMPARE(lastclosed.size(), 1);
    QVERIFY(giveup.isActive());
}

void tst_frmquaylink::opening_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const QString ad = QStringLiteral("navigate [http://www.tarnholt.example/ads/ads.asp]");
    const QString placeholder = QStringLiteral("navigate [http://ads.example.com/ads.asp]");
    const QString spaces = QStringLiteral("   ");

    QTest::newRow("Go opens at once") << "go" << 0 << "ftp.example.com"
                                      << QStringList { placeholder, "open frmquaylink [ftp.example.com] [] [DIR]" };
    QTest::newRow("Go with blanks opens them")
        << "go" << 0 << spaces << QStringList { placeholder, "open frmquaylink [   ] [] [DIR]" };
    QTest::newRow("pick, Yes") << "pick" << int(DesktopServices::Yes) << ""
                               << QStringList { goonline, ad, "open frmquaylink [ftp://b c] [] [DIR]" };
    QTest::newRow("pick, No") << "pick" << int(DesktopServices::No) << "" << QStringList { goonline };
    QTest::newRow("Enter, Yes") << "enter" << int(DesktopServices::Yes) << "ftp://x:y@z"
                                << QStringList { goonline, ad, "open frmquaylink [ftp://x:y@z] [] [DIR]" };
    QTest::newRow("Enter, No") << "enter" << int(DesktopServices::No) << "ftp://x" << QStringList { goonline };
    QTest::newRow("Enter, empty") << "enter" << 0 << "" << QStringList {};
}

void tst_frmquaylink::opening()
{
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    frmquaylink& window = open("ftp://a\r\nftp://b c\r\n");
    if (answer)
        m_services.answers = { answer };
    if (how == "pick") {
        pick(1);
    } else if (how == "down") {
        QTest::keyClick(window.combourl, Qt::Key_Down);
    } else {
        type(text);
        if (how == "go")
            window.cmdftp->click();
        else
            QTest::keyClick(window.combourl->lineEdit(), Qt::Key_Return);
    }
    expected.replaceInStrings(QStringLiteral("[DIR]"), '[' + m_dir->path() + ']');
    QCOMPARE(m_services.log, expected);
    // Whatever the answer, the address stays where it was.
    const QString shown = how == "pick" ? QStringLiteral("ftp://b c")
        : how == "down"                 ? QStringLiteral("ftp://a")
                                        : text;
    QCOMPARE(window.combourl->currentText(), shown);
}

void tst_frmquaylink::goemptyshowslogin()
{
    frmquaylink& window = open({});
    window.cmdftp->click();
    window.cmdftp->click();
    int shown = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown += top->objectName() == QLatin1String("frminput") && top->isVisible();
    QCOMPARE(shown, 1);
    QVERIFY(m_services.log.isEmpty());
    logindialog()->close();
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    substitutefonts();
    tst_frmquaylink test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_frmquaylink.moc"
