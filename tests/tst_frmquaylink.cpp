#include "common/fonts.h"
#include "common/picturebutton.h"
#include "fakedesktopservices.h"
#include "main_window/frmquaylink.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

const QString goonline = QStringLiteral("ask [Do you wish to go online?] 20 [Warning]");
const QString noteswarning = QStringLiteral("ask [You have input some text in the scrathboard which you may want to "
                                            "note. Do you wish to exit now?] 20 [Warning]");

QWidget* logindialog()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("frminput") && top->isVisible())
            return top;
    }
    return nullptr;
}

} // namespace

class tst_frmquaylink : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(), m_services = {}; }
    void cleanup() { m_window.reset(), m_dir.reset(); }
    void layout();
    void firststart();
    void loadandsave();
    void delete_();
    void unreadablebook();
    void enterandfocusnevereditthelist();
    void notesandclosing();
    void opening_data();
    void opening();

private:
    frmquaylink& open(const QByteArray& content);
    QByteArray file() const;
    void type(const QString& text);
    void pick(int index);
    QStringList items() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeDesktopServices m_services;
    std::unique_ptr<frmquaylink> m_window;
};

frmquaylink& tst_frmquaylink::open(const QByteArray& content)
{
    QFile file(m_dir->filePath(QStringLiteral("ftpurl.txt")));
    if (!QFileInfo(file).isDir() && (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()))
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
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void tst_frmquaylink::type(const QString& text)
{
    m_window->combourl->lineEdit()->selectAll();
    QTest::keyClicks(m_window->combourl->lineEdit(), text);
}

void tst_frmquaylink::pick(int index)
{
    // As a click in the dropped list does.
    m_window->combourl->setCurrentIndex(index);
    emit m_window->combourl->activated(index);
}

QStringList tst_frmquaylink::items() const
{
    QStringList texts;
    for (int i = 0; i < m_window->combourl->count(); ++i)
        texts << m_window->combourl->itemText(i);
    return texts;
}

void tst_frmquaylink::layout()
{
    frmquaylink& window = open({});
    // Twips from the layout divided by 15, rounded; in stacking order, lowest first.
    const QList<std::tuple<QString, QRect, QString>> controls {
        { "cmddelete", { 134, 67, 76, 16 }, "Delete Url" },
        { "cmdadd", { 211, 67, 62, 16 }, "Save Url" },
        { "WebBrowser1", { 2, 0, 352, 65 }, "" },
        { "Text1", { 0, 104, 359, 97 }, "" },
        { "cmdtextbox", { 274, 67, 52, 16 }, "Notes" },
        { "cmdopen", { 55, 67, 78, 16 }, "Upload Files" },
        { "cmdinfo", { 327, 67, 28, 16 }, "?" },
        { "cmdftp", { 1, 67, 53, 16 }, "Go" },
        { "combourl", { 2, 82, 352, 21 }, "" },
        { "P1", { 64, -16, 100, 100 }, "" },
    };
    QStringList stacking;
    for (QObject* child : window.children()) {
        if (child->isWidgetType() && !child->objectName().isEmpty())
            stacking << child->objectName();
    }
    QCOMPARE(stacking.size(), controls.size());
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const auto& [name, place, caption] = controls[i];
        auto* control = window.findChild<QWidget*>(name);
        QCOMPARE(stacking[i], name);
        QCOMPARE(control->geometry(), place);
        QCOMPARE(control->isVisibleTo(&window), name != "P1");
        if (auto* button = qobject_cast<PictureButton*>(control))
            QCOMPARE(button->text(), caption);
    }
    QCOMPARE(window.cmdftp->facecolor(), QColor(192, 255, 255));
    QCOMPARE(window.cmdadd->facecolor(), QColor(255, 224, 192));
    QCOMPARE(window.cmdftp->font().pointSizeF(), 6.75);
    QCOMPARE(window.Text1->palette().color(QPalette::Base), QColor(0, 0, 64));

    // Tab order is not screen order: the combo first, the notes area after the Notes button.
    QStringList taborder;
    for (QWidget* w = window.combourl; taborder.size() < 9; w = w->nextInFocusChain()) {
        if (w->parentWidget() == &window && w->focusPolicy() & Qt::TabFocus)
            taborder << w->objectName();
    }
    QCOMPARE(taborder,
             (QStringList { "combourl", "cmdftp", "cmdinfo", "cmdopen", "cmdadd", "cmddelete", "cmdtextbox", "Text1",
                            "WebBrowser1" }));

    // The collapsed client area at its fixed place: the notes area just out of sight.
    QCOMPARE(window.geometry(), QRect(372, 22, 356, 104));
    QCOMPARE(window.windowTitle(), QStringLiteral("Quaylink -- Freeware from www.tarnholt.example"));
}

void tst_frmquaylink::firststart()
{
    m_window = std::make_unique<frmquaylink>(m_services, m_dir->path());
    // The notice comes before the window is shown; then the file is there, empty and private.
    QCOMPARE(m_services.log,
             (QStringList { "ontop frmquaylink",
                            "ask [Previous record of FTP addresses -- as "
                            "ftpurl.txt -- cannot be found or has not been created yet. A new empty "
                            "record will now be created.] 0 null" }));
    QVERIFY(!m_window->isVisible());
    QCOMPARE(file(), QByteArray());
    QCOMPARE(QFile::permissions(m_dir->filePath("ftpurl.txt")) & 0x0fff,
             QFileDevice::ReadUser | QFileDevice::WriteUser);
    QCOMPARE(m_window->combourl->count(), 0);
    QVERIFY(m_window->combourl->view()->minimumWidth() >= 320);
    // An empty file is a normal start: no notice.
    m_window = std::make_unique<frmquaylink>(m_services, m_dir->path());
    QCOMPARE(m_services.log.size(), 3);
}

void tst_frmquaylink::loadandsave()
{
    // Every line an entry, as it stands: empty lines, blanks, a line feed without a CR.
    const QByteArray longline = "ftp://" + QByteArray(40000, 'x');
    frmquaylink& window = open("ftp://a\r\n\r\n b \rftp://lf\nin\r\n" + longline);
    QCOMPARE(items(), (QStringList { "ftp://a", "", " b ", "ftp://lf\nin", longline }));
    QCOMPARE(window.combourl->currentIndex(), -1);
    QCOMPARE(window.combourl->currentText(), QString());

    // Save Url adds the text as typed, a second time when it is there already; each line
    // written back as read, the last one now ended.
    type(QStringLiteral("  ftp://a  "));
    window.cmdadd->click();
    type(QStringLiteral("ftp://a"));
    window.cmdadd->click();
    QCOMPARE(file(), "ftp://a\r\n\r\n b \r\nftp://lf\nin\r\n" + longline + "\r\n  ftp://a  \r\nftp://a\r\n");
    QCOMPARE(items().size(), 7);
    QCOMPARE(window.combourl->currentText(), QString());

    // A picked entry is whole however long it is.
    m_services.answers = { DesktopServices::No };
    pick(4);
    QCOMPARE(window.combourl->currentText().size(), longline.size());
    QCOMPARE(m_services.log, QStringList { goonline });
}

void tst_frmquaylink::delete_()
{
    frmquaylink& window = open("ftp://one\r\n\r\nftp://two\r\nftp://one\r\n");
    m_services.answers = { DesktopServices::No, DesktopServices::No };
    // Of two equal entries, the picked one goes; the prompt's No leaves it picked.
    pick(3);
    window.cmddelete->click();
    QCOMPARE(file(), QByteArray("ftp://one\r\n\r\nftp://two\r\n"));
    QCOMPARE(window.combourl->currentText(), QString());

    // The empty entry cannot go: picking it leaves no text, and neither button touches the file.
    QFile::remove(m_dir->filePath("ftpurl.txt"));
    pick(1);
    window.cmddelete->click();
    window.cmdadd->click();
    QCOMPARE(file(), QByteArray("(none)"));

    // Typed over a picked entry, or typed by hand to match one: nothing removed, the file
    // rewritten all the same, the field emptied.
    pick(2);
    QTest::keyClick(window.combourl->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(window.combourl->currentIndex(), -1);
    window.cmddelete->click();
    type(QStringLiteral("ftp://two"));
    window.cmddelete->click();
    QCOMPARE(file(), QByteArray("ftp://one\r\n\r\nftp://two\r\n"));
    QCOMPARE(window.combourl->currentText(), QString());
    QCOMPARE(m_services.log, (QStringList { goonline, goonline }));
}

void tst_frmquaylink::unreadablebook()
{
    // Found but not readable at load (here a folder in its place): a save would replace the
    // addresses the list never got, so it is refused until a reload can read them.
    QVERIFY(QDir(m_dir->path()).mkdir("ftpurl.txt"));
    frmquaylink& window = open({});
    QVERIFY(QDir(m_dir->path()).rmdir("ftpurl.txt"));
    QFile book(m_dir->filePath("ftpurl.txt"));
    QVERIFY(book.open(QIODevice::WriteOnly) && book.write("ftp://kept\r\n") == 12);
    book.close();
    type(QStringLiteral("ftp://new"));
    window.cmdadd->click();
    QCOMPARE(file(), QByteArray("ftp://kept\r\n"));
    QCOMPARE(items(), QStringList { "ftp://kept" });
    QCOMPARE(window.combourl->currentText(), QStringLiteral("ftp://new"));
    QVERIFY(m_services.log.value(0).startsWith("ask [The address book could not be saved to " + m_dir->path()));
    window.cmdadd->click();
    QCOMPARE(file(), QByteArray("ftp://kept\r\nftp://new\r\n"));
}

void tst_frmquaylink::enterandfocusnevereditthelist()
{
    frmquaylink& window = open("ftp://a\r\n");
    m_services.answers = { DesktopServices::No };
    type(QStringLiteral("ftp://a"));
    QTest::keyClick(window.combourl->lineEdit(), Qt::Key_Return);
    // Leaving the field with a text that matches an entry picks nothing either.
    emit window.combourl->lineEdit()->editingFinished();
    QCOMPARE(items(), QStringList { "ftp://a" });
    QCOMPARE(window.combourl->currentIndex(), -1);
    QCOMPARE(window.combourl->currentText(), QStringLiteral("ftp://a"));
    // One prompt for the Enter, none more for a matching entry.
    QCOMPARE(m_services.log, QStringList { goonline });
}

void tst_frmquaylink::notesandclosing()
{
    frmquaylink& window = open("ftp://a\r\n");
    type(QStringLiteral("typed"));
    // Notes of only blanks count as notes, and survive the notes area's hiding.
    window.cmdtextbox->click();
    QCOMPARE(window.cmdtextbox->text(), QStringLiteral("^"));
    QCOMPARE(window.geometry(), QRect(372, 22, 356, 198));
    QTest::keyClicks(window.Text1, " ");
    QTest::keyClick(window.Text1, Qt::Key_Return);
    window.cmdtextbox->click();
    QCOMPARE(window.cmdtextbox->text(), QStringLiteral("Notes"));
    QCOMPARE(window.height(), 104);

    // No keeps everything, and a second close asks again.
    m_services.answers = { DesktopServices::No, DesktopServices::No };
    QVERIFY(!window.close());
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(window.Text1->toPlainText(), QStringLiteral(" \n"));
    QCOMPARE(window.combourl->currentText(), QStringLiteral("typed"));
    QCOMPARE(m_services.log, (QStringList { noteswarning, noteswarning }));

    // Yes closes the login dialog with the bar; the book is never written on closing.
    window.setaddress({});
    window.cmdftp->click();
    QVERIFY(logindialog());
    m_services.answers = { DesktopServices::Yes };
    QVERIFY(window.close());
    QVERIFY(!logindialog());
    QCOMPARE(file(), QByteArray("ftp://a\r\n"));

    // With empty notes the bar closes at once, an open dialog stays, and the program goes on
    // until that dialog closes too. Qt decides that only in its event loop.
    m_services.log.clear();
    frmquaylink& second = open("ftp://a\r\n");
    second.cmdftp->click();
    QSignalSpy lastclosed(qApp, &QGuiApplication::lastWindowClosed);
    QVERIFY(second.close());
    QVERIFY(m_services.log.isEmpty());
    QVERIFY(logindialog());
    QTimer::singleShot(0, logindialog(), &QWidget::close);
    QTimer giveup;
    connect(&giveup, &QTimer::timeout, qApp, &QCoreApplication::quit);
    giveup.start(5000);
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

    QTest::newRow("Go opens at once") << "go" << 0 << "ftp.example.com"
                                      << QStringList { placeholder, "open frmquaylink [ftp.example.com] [] [DIR]" };
    QTest::newRow("Go with blanks") << "go" << 0 << "   "
                                    << QStringList { placeholder, "open frmquaylink [   ] [] [DIR]" };
    QTest::newRow("Go, empty: login") << "go" << 0 << "" << QStringList {};
    QTest::newRow("pick, Yes") << "pick" << int(DesktopServices::Yes) << "ftp://b c"
                               << QStringList { goonline, ad, "open frmquaylink [ftp://b c] [] [DIR]" };
    QTest::newRow("pick, No") << "pick" << int(DesktopServices::No) << "ftp://b c" << QStringList { goonline };
    QTest::newRow("arrow key, Yes") << "down" << int(DesktopServices::Yes) << "ftp://a"
                                    << QStringList { goonline, ad, "open frmquaylink [ftp://a] [] [DIR]" };
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
    // Whatever the answer, the address stays where it was; only an empty Go asks for a login.
    QCOMPARE(window.combourl->currentText(), text);
    QCOMPARE(logindialog() != nullptr, how == "go" && text.isEmpty());
    if (logindialog())
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
