// The three windows driven as a user drives them: keys to the active window, clicks at a
// control's place. The desktop is the recording fake; ftpurl.txt is a real file. And the
// route the freedesktop shell open gives an address.
#include "controls/boxedlabel.h"
#include "controls/commondialog.h"
#include "controls/fonts.h"
#include "controls/picturebutton.h"
#include "controls/uploadprogress.h"
#include "desktop/desktopservices_qt.h"
#include "fakedesktopservices.h"
#include "info_dialog/frminfo.h"
#include "login_dialog/frminput.h"
#include "main_window/bookfile.h"
#include "main_window/frmquaylink.h"
#include "main_window/frmreplace.h"

#include <QAccessible>
#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>
#include <unistd.h>

static const QString goonline = QStringLiteral("ask [Do you wish to go online?] 20 [Warning]");
static const QString noteswarning
    = QStringLiteral("ask [You have input some text in the scrathboard which you may want to "
                     "note. Do you wish to exit now?] 20 [Warning]");
// The bar's book at start, in a form that any save would change.
static const QByteArray startbook = "ftp://a\rftp://b c";

static QWidget* shown(const QString& name)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == name && top->isVisible())
            return top;
    return nullptr;
}

static void clickat(QWidget* control, QPoint at)
{
    QTest::mouseClick(control->window()->windowHandle(), Qt::LeftButton, {}, control->mapTo(control->window(), at));
}

// User steps separated by "|": a key to the active window ("Return", "Tab", "Down", "F4"),
// "type:TEXT" into the focused control, "click:NAME" at the middle of a shown control,
// "close:NAME" for a shown window as its close box asks, "wheel:NAME" a notch down to the bar at
// the control's right end (sent, it goes to no parent: the combo's arrow, not its field), or
// "pick:N" in the bar's dropped list.
static void steps(const QString& list)
{
    for (const QString& step : list.split('|', Qt::SkipEmptyParts)) {
        const QWidgetList before = QApplication::topLevelWidgets();
        const QString arg = step.section(':', 1);
        QWidget* control = nullptr;
        if (step.startsWith("type:")) {
            QTest::keyClicks(QApplication::focusWidget(), arg);
        } else if (step.startsWith("pick:")) {
            QAbstractItemView* dropped = shown("frmquaylink")->findChild<QComboBox*>()->view();
            QVERIFY(QTest::qWaitForWindowExposed(dropped->window()));
            clickat(dropped->viewport(), dropped->visualRect(dropped->model()->index(arg.toInt(), 0)).center());
        } else if (step.startsWith("wheel:")) {
            const QRect box = shown("frmquaylink")->findChild<QWidget*>(arg)->geometry();
            QWheelEvent wheel(QPoint(box.right() - 5, box.center().y()), {}, {}, { 0, -120 }, {}, {}, {}, false);
            QApplication::sendEvent(shown("frmquaylink")->windowHandle(), &wheel);
        } else if (step.startsWith("close:")) {
            QVERIFY2(shown(arg), qPrintable(step));
            shown(arg)->windowHandle()->close(); // the platform's close request
        } else if (step.startsWith("click:")) {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible() && !control)
                    control = top->findChild<QWidget*>(arg);
            QVERIFY2(control, qPrintable(step));
            control->window()->activateWindow(); // as the window manager does on a click
            QVERIFY(QTest::qWaitForWindowActive(control->window()));
            clickat(control, control->rect().center());
        } else {
            const Qt::Key key = QKeySequence(step)[0].key();
            QVERIFY2(key != Qt::Key_unknown, qPrintable(step));
            QTest::keyClick(QGuiApplication::focusWindow(), key);
        }
        // A window the step opened takes the keys once it is active, as the next step expects.
        QTest::qWait(0);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && !before.contains(top) && !(top->windowFlags() & Qt::Popup))
                QVERIFY(QTest::qWaitForWindowActive(top));
    }
}

// Files dragged from another program onto the middle of the bar's control `name` and dropped
// there, delivered as the window system delivers a drag: to the widget under the point, through
// the application. Returns the action the bar took, none when it refused.
static Qt::DropAction dropon(QWidget* bar, const char* name, const QStringList& paths)
{
    QWidget* control = bar->findChild<QWidget*>(name);
    const QPoint at = control->mapTo(bar, control->rect().center());
    QWidget* under = bar->childAt(at);
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << (path.contains("://") ? QUrl(path) : QUrl::fromLocalFile(path));
    data.setUrls(urls);
    data.setText(paths.join('\n')); // file managers offer the paths as text too
    QDragEnterEvent enter(under->mapFrom(bar, at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QDragMoveEvent move(enter.position().toPoint(), enter.possibleActions(), &data, Qt::LeftButton, {});
    QDropEvent drop(enter.position(), enter.possibleActions(), &data, Qt::LeftButton, {});
    QDragLeaveEvent leave;
    for (QEvent* event : std::initializer_list<QEvent*> { &enter, &move, &drop })
        if (QApplication::sendEvent(under, event); !event->isAccepted() && event != &drop)
            return QApplication::sendEvent(under, &leave), Qt::IgnoreAction;
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

class tst_windows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { substitutefonts(); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(), m_services = {}; }
    void cleanup()
    {
        m_bar.reset(), qDeleteAll(QApplication::topLevelWidgets());
        QVERIFY(setresuid(m_uid, m_uid, m_uid) == 0 && !chmod(qPrintable(m_dir->path()), 0700));
    }

    // The bar as it starts, and the places of its and its dialogs' controls.
    void layout()
    {
        // The layouts' twips divided by 15, rounded; an empty control stands for the window's client area.
        const QList<std::tuple<const char*, const char*, QRect>> rows {
            { "frmquaylink", "", { 372, 22, 356, 104 } },         { "frmquaylink", "combourl", { 2, 82, 352, 21 } },
            { "frmquaylink", "cmdftp", { 1, 67, 53, 16 } },       { "frmquaylink", "cmdinfo", { 327, 67, 28, 16 } },
            { "frmquaylink", "cmdopen", { 55, 67, 78, 16 } },     { "frmquaylink", "P1", { 64, -16, 100, 100 } },
            { "frmquaylink", "cmdadd", { 211, 67, 62, 16 } },     { "frmquaylink", "cmddelete", { 134, 67, 76, 16 } },
            { "frmquaylink", "cmdtextbox", { 274, 67, 52, 16 } }, { "frmquaylink", "Text1", { 0, 104, 359, 97 } },
            { "frmquaylink", "WebBrowser1", { 2, 0, 352, 65 } },  { "frminput", "", { 223, 266, 396, 105 } },
            { "frminput", "Text1", { 78, 7, 129, 19 } },          { "frminput", "Label1", { 16, 13, 49, 17 } },
            { "frminput", "Text2", { 80, 35, 129, 19 } },         { "frminput", "Text3", { 78, 80, 313, 19 } },
            { "frminput", "Label2", { 16, 41, 65, 17 } },         { "frminput", "Command1", { 328, 40, 57, 20 } },
            { "frminput", "Label3", { 16, 85, 65, 17 } },         { "frminput", "Label4", { 112, 64, 217, 33 } },
            { "frminput", "P1", { 224, -64, 100, 100 } },         { "frminfo", "Label2", { 16, 32, 161, 33 } },
            { "frminfo", "cmdok", { 256, 491, 65, 25 } },         { "frminfo", "Label", { 16, 104, 545, 377 } },
            { "frminfo", "P1", { 192, -80, 100, 100 } },          { "frminfo", "Label1", { 184, 8, 365, 57 } },
            { "frminfo", "Label3", { 16, 72, 529, 25 } },         { "frminfo", "Label4", { 16, 8, 161, 25 } },
        };
        // Bare surface between the bar's controls shows the tile, on a grid from the corner.
        const QImage painted = start().grab().toImage();
        const QImage tile(":/resources/tile.jpg");
        for (const QPoint at : { QPoint(0, 10), QPoint(1, 50), QPoint(100, 65), QPoint(201, 66), QPoint(355, 70) })
            QCOMPARE(painted.pixelColor(at), tile.pixelColor(at.x() % 100, at.y() % 100));
        // (The bar's tab order is the screen reader's end-to-end run's, which Tabs round the real
        // bar and its page; the dialogs' orders show in the paths below, which type into each box.)
        // The places, with both dialogs open.
        steps("click:cmdftp|click:cmdinfo");
        for (const auto& [window, control, place] : rows) {
            QWidget* top = shown(window);
            const QRect at = *control ? top->findChild<QWidget*>(control)->geometry() : top->geometry();
            QCOMPARE(std::pair(window + QString(' ') + control, at), std::pair(window + QString(' ') + control, place));
        }
        // Text boxes in the system's frame. (The info dialog's client area, centred, is the end-to-end run's.)
        for (QLineEdit* box : shown("frminput")->findChildren<QLineEdit*>())
            QCOMPARE(box->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
    }

    void paths_data()
    {
        // Steps, the answer to the go-online prompt (y or n), what the desktop was asked, and the
        // bar's address afterwards, when the dialogs are gone; then, where the path saves or
        // deletes, the book at start and the file afterwards (else both are the start book).
        // The files' bytes are Latin-1 text.
        QTest::addColumn<QStringList>("row");
        const QString login = "click:cmdftp|type:u@x|Tab|type:p|Tab|type:";
        const QString loggedin = "ask|placeholder|open frminput [ftp://u%40x:p@h]";
        const QString link = "ontop frminfo|open frminfo [http://www.tarnholt.example/] null null";
        const QString two = "ftp://one\rftp://two\r\nftp://one";
        const QString unread = "ask [The address book could not be saved to DIR/ftpurl.txt: the address book there "
                               "could not be read, and saving would replace it] 0 null";
        // UTF-8 letters, bytes the system encoding cannot give back, and a NUL.
        static const char raw[] = "b\xc3\xa4r\r\nb\xe4r\r\n\xe2\x82\r\n a\0b";
        const QString bytes = QString::fromLatin1(raw, sizeof raw - 1);
        const QList<std::pair<const char*, QStringList>> rows {
            { "typed, Enter",
              { "type:ftp://x:y@z|Return", "y", "ask|ad|open frmquaylink [ftp://x:y@z]", "ftp://x:y@z" } },
            { "saved address typed, Enter: asked once", { "type:ftp://a|Return", "n", "ask", "ftp://a" } },
            { "nothing typed, Enter", { "Return", "y", "", "" } },
            { "arrow key picks", { "Down", "y", "ask|ad|open frmquaylink [ftp://a]", "ftp://a" } },
            { "dropped list, No", { "F4|pick:1", "n", "ask", "ftp://b c" } },
            { "blanks, Tab to Go, Enter", { "type:   |Tab|Return", "y", "placeholder|open frmquaylink [   ]", "   " } },
            { "login, Tab to OK, Enter", { login + "h|Tab|Return", "y", loggedin, "ftp://u%40x:p@h" } },
            // A site typed with a scheme that file managers show keeps it, in its case.
            { "login, OK clicked, the site's own scheme",
              { login + "ftps://h:22/d|click:Command1", "y", "ask|placeholder|open frminput [ftps://u%40x:p@h:22/d]",
                "ftps://u%40x:p@h:22/d" } },
            { "login, Enter in the site, No", { login + "SFTP://h|Return", "n", "ask", "SFTP://u%40x:p@h" } },
            { "login closed by its close box, shown again, Enter in the user ID",
              { "click:cmdftp|type:u|Tab|type:p|close:frminput|click:cmdftp|type:x|Return", "n", "ask", "ftp://x:@" } },
            { "login, what would end a field",
              { "click:cmdftp|type:%:@/?#\\|Tab|type: p@s:/w |Tab|type:h:21/d?x#y|Return", "n", "ask",
                "ftp://%25%3A%40%2F%3F%23%5C: p%40s%3A%2Fw @h:21/d?x#y" } },
            { "info, Enter", { "click:cmdinfo|Return", "n", "ontop frminfo", "" } },
            { "info, the link", { "click:cmdinfo|click:Label1", "n", link, "" } },
            { "wheel over the box without the focus", { "Tab|wheel:combourl", "y", "", "" } },
            { "wheel in the box with the focus", { "wheel:combourl", "n", "ask", "ftp://a" } },
            { "Save Url adds the text as typed, lines kept as read",
              { "type:  ftp://a  |click:cmdadd", "n", "", "", "ftp://a\r\n\r\n b \rlf\nin",
                "ftp://a\r\n\r\n b \r\nlf\nin\r\n  ftp://a  \r\n" } },
            { "bytes kept as they were", { "type:x|click:cmdadd", "n", "", "", bytes, bytes + "\r\nx\r\n" } },
            { "Save Url twice the same",
              { "type:ftp://a|click:cmdadd", "n", "", "", "ftp://a", "ftp://a\r\nftp://a\r\n" } },
            { "Delete Url takes the picked one of two equal",
              { "F4|pick:2|click:cmddelete", "n", "ask", "", two, "ftp://one\r\nftp://two\r\n" } },
            { "typed over a picked entry: nothing deleted, the file rewritten",
              { "F4|pick:1|type:x|click:cmddelete", "n", "ask", "", two, "ftp://one\r\nftp://two\r\nftp://one\r\n" } },
            { "nothing typed: nothing written", { "click:cmdadd|click:cmddelete", "n", "", "", "ftp://a", "ftp://a" } },
            { "a book that could not be read is not replaced",
              { "type:ftp://new|click:cmdadd", "n",
                "ask [The address book could not be saved to DIR/ftpurl.txt: the address book there is not a regular "
                "file, so it is neither read nor replaced] 0 null",
                "ftp://new", "(folder)", "(none)" } },
            // Root reads any file: these two run as an ordinary user, who may not read the book, or
            // look into its folder. Neither is taken for a missing book, and neither is replaced.
            { "a book this user may not read",
              { "type:ftp://new|click:cmdadd", "n", unread, "ftp://new", "(mode 0)", "(none)" } },
            { "a book in a folder this user may not look into",
              { "type:ftp://new|click:cmdadd", "n", unread, "ftp://new", "(folder mode 0)", "(none)" } },
            { "no book: a notice before the bar shows, then an empty book",
              { "", "n",
                "ontop frmquaylink|ask [Previous record of FTP addresses -- as ftpurl.txt -- cannot be found or "
                "has not been created yet. A new empty record will now be created.] 0 null",
                "", QString(), "" } },
        };
        for (const auto& [name, row] : rows)
            QTest::newRow(name) << row;
    }

    void paths()
    {
        QFETCH(QStringList, row);
        const QString book = row.value(4, QString::fromLatin1(startbook)); // null: no book
        frmquaylink& bar = start(book.isNull() ? QByteArray() : book.toLatin1());
        if (!book.isNull())
            m_services.log.clear();
        m_services.answers = { row[1] == "y" ? DesktopServices::Yes : DesktopServices::No };
        steps(row[0]);
        QCOMPARE(log(), row[2].replace("DIR", m_dir->path()));
        QCOMPARE(bar.combourl->currentText(), row[3]);
        if (row.size() > 4) // a save or a delete leaves no entry picked
            QCOMPARE(bar.combourl->currentIndex(), -1);
        QTRY_VERIFY(!shown("frminput") && !shown("frminfo"));
        QCOMPARE(file(), row.value(5, book).toLatin1());
        // The list is what the file holds, read back after the save.
        QCOMPARE(bar.combourl->count(), BookFile(m_dir->filePath("ftpurl.txt")).load().size());
    }

    void notesandclosing()
    {
        frmquaylink& bar = start();
        steps("click:cmdtextbox|click:Text1|type: |Return");
        QCOMPARE(bar.size(), QSize(356, 198));
        steps("click:cmdtextbox|click:cmdftp|click:cmdinfo");
        QCOMPARE(bar.size(), QSize(356, 104));
        QCOMPARE(bar.cmdtextbox->text(), "Notes");

        // Notes of blanks count. No keeps everything, and asks again next time. A log-off that
        // may not wait for an answer leaves the bar as it is. Yes closes both dialogs too.
        auto* session = qApp->findChild<QSessionManager*>();
        QVERIFY(session && !session->allowsInteraction());
        m_services.log.clear();
        m_services.answers = { DesktopServices::No, DesktopServices::No, DesktopServices::Yes };
        QVERIFY(!bar.close() && !bar.close());
        emit qApp->commitDataRequest(*session);
        QVERIFY(bar.isVisible() && shown("frminput"));
        QCOMPARE(bar.Text1->toPlainText(), " \n");
        QVERIFY(bar.close());
        QTRY_VERIFY(!shown("frminput") && !shown("frminfo"));
        QCOMPARE(m_services.log, QStringList(3, noteswarning));
        QCOMPARE(file(), startbook);

        // With empty notes a log-off closes the bar at once, an open dialog stays, and the
        // program goes on until that dialog closes too. Qt decides that only in its event loop.
        frmquaylink& second = start();
        steps("click:cmdftp");
        QSignalSpy lastclosed(qApp, &QGuiApplication::lastWindowClosed);
        m_services.log.clear();
        emit qApp->commitDataRequest(*session);
        QVERIFY(!second.isVisible() && m_services.log.isEmpty());
        QTimer::singleShot(0, shown("frminput"), &QWidget::close);
        QTimer::singleShot(5000, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        QCOMPARE(lastclosed.size(), 1);
    }

    void infodialog();

    void uploadpane()
    {
        // The pane picks existing files, several at once, with its own Open button; it drags copies
        // only, and blocks the bar alone: an open info dialog still takes a click. (Its list of a
        // folder's files, one without a dot among them, and a drag out of it are the upload
        // end-to-end run's.)
        frmquaylink& bar = start();
        steps("click:cmdinfo");
        QPointer<QWidget> info = shown("frminfo");
        bool shownpane = false;
        bar.cd->setshownhook([&](QFileDialog& pane) {
            const auto close = qScopeGuard([&] { pane.reject(); }); // whatever fails below
            auto* list = pane.findChild<QAbstractItemView*>("listView");
            QCOMPARE(list->dragEnabled() ? list->model()->supportedDragActions() : Qt::IgnoreAction, Qt::CopyAction);
            QCOMPARE(pane.fileMode(), QFileDialog::ExistingFiles);
            QCOMPARE(pane.findChild<QDialogButtonBox*>()->standardButtons(),
                     QDialogButtonBox::Open | QDialogButtonBox::Cancel);
            clickat(info->findChild<QWidget*>("cmdok"), { 5, 5 });
            QTRY_VERIFY(!info);
            shownpane = true;
        });
        steps("click:cmdopen");
        QVERIFY(shownpane);
    }

    void dropping()
    {
        // Files dropped on any part of the bar, or none: what the bar took, what it asked of the
        // desktop, and that the address box and the notes kept their text. A screen reader hears
        // the address box by its name, with its text as its value.
        frmquaylink& bar = start();
        steps("click:cmdtextbox|click:Text1|type:kept");
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(bar.combourl);
        m_services.log.clear();
        const QList<std::tuple<QString, const char*, QString, bool>> rows {
            { "", "combourl", "/tmp/dir", false },
            { "http://h/", "combourl", "/tmp/dir", false },
            { "ftp://", "Text1", "/tmp/dir", false },
            { "ftp://h/", "cmdopen", "http://h/x", false }, // not all of them files here
            { "ftp://u:p@h/d/", "combourl", "/tmp/dir", true },
            { "SFTP://h", "Text1", "/tmp/dir", true },
            { "ftps://h/", "WebBrowser1", "/tmp/dir", true }, // on Upload Files: the upload tests' drops
        };
        for (const auto& [address, name, second, taken] : rows) {
            bar.setaddress(address);
            const Qt::DropAction action = dropon(&bar, name, { "/tmp/a b.txt", second });
            if (!m_services.uploads.isEmpty()) // ended at once, for the next row
                emit m_services.uploads.takeFirst()->finished(0, {}, false);
            const QString asked = m_services.log.filter(QRegularExpression("^(upload|start)")).join('|');
            m_services.log.clear();
            const QString heard = box->text(QAccessible::Name) + ' ' + box->text(QAccessible::Value);
            QCOMPARE(std::tuple(address, name, action, asked, heard, bar.Text1->toPlainText()),
                     std::tuple(address, name, taken ? Qt::CopyAction : Qt::IgnoreAction,
                                taken ? "upload [/tmp/a b.txt|/tmp/dir] [" + address + "]|start" : "",
                                "Address " + address, QString("kept")));
        }
    }

    void uploading()
    {
        // Two drops, the second waiting behind the first; a name already there; the end said by the
        // desktop, or by the progress itself where nobody hears; the bar usable throughout.
        frmquaylink& bar = start();
        const QString address = "ftp://u%40x:p@ss@h:21/a@b/"; // shown without its credentials
        bar.setaddress(address);
        m_services.log.clear();
        QVERIFY(dropon(&bar, "cmdopen", { "/tmp/one" }) == Qt::CopyAction);
        QVERIFY(dropon(&bar, "combourl", { "/tmp/two" }) == Qt::CopyAction);
        FakeUpload* first = m_services.uploads.value(0);
        QCOMPARE(m_services.log.join('|'), "upload [/tmp/one] [" + address + "]|start");
        QAccessibleInterface* progress = QAccessible::queryAccessibleInterface(bar.ProgressBar1);
        QList<int> values { progress->role() };
        for (const qint64 done : { 0, 1500000, 3000000 }) {
            emit first->progress({ "dir/é %2.txt", 2, 3, done, 3000000 });
            values << progress->valueInterface()->currentValue().toInt();
        }
        QCOMPARE(values, QList<int>({ QAccessible::ProgressBar, 0, 50, 100 }));
        const QString said = "Uploading \"dir/é %2.txt\", file 2 of 3: 3.0 MB of 3.0 MB; 1 more drop waiting";
        QCOMPARE(
            std::tuple(bar.ProgressBar1->isVisible(), bar.ProgressBar1->toolTip(), progress->text(QAccessible::Name)),
            std::tuple(true, said, said));
        QCOMPARE(m_services.taskbar, QList<double>({ 0, 0, 0.5, 1 }));

        // The question, whole; the bar takes a click meanwhile; Replace for all the rest.
        m_services.log.clear();
        emit first->exists("dir/é %2.txt");
        auto* question = static_cast<frmreplace*>(shown("frmreplace"));
        QVERIFY(question && QTest::qWaitForWindowActive(question));
        QCOMPARE(QStringList({ question->windowTitle(), question->Label1->text(), question->Check1->text(),
                               question->cmdreplace->text(), question->cmdskip->text() }),
                 QStringList({ "Replace",
                               "\"dir/é %2.txt\" is already in ftp://h:21/a@b/. Replace it with the "
                               "dropped file?",
                               "For all the rest of this drop", "Replace", "Skip" }));
        QCOMPARE(QApplication::focusWidget(), question->cmdskip);
        steps("click:cmdftp|click:Check1|click:cmdreplace");
        QTRY_VERIFY(!shown("frmreplace"));
        QCOMPARE(log(), "ontop frmreplace|placeholder|open frmquaylink [" + address + "]|answer replace all");

        // The first ends, said once; the second starts. Its name already there: closing the
        // question keeps the site's file. Its failure, unheard, shows on the strip in its words.
        emit first->finished(3, {}, false);
        QCOMPARE(log(), "notify [3 files uploaded to ftp://h:21/a@b/]|upload [/tmp/two] [" + address + "]|start");
        QCOMPARE(m_services.taskbar.mid(4), QList<double>({ -1, 0 }));
        FakeUpload* second = m_services.uploads.value(1);
        emit second->exists("two");
        QVERIFY(QTest::qWaitForWindowActive(shown("frmreplace")));
        steps("close:frmreplace");
        QTRY_VERIFY(!shown("frmreplace"));
        m_services.heard = false;
        emit second->finished(0, "two: permission denied.", false);
        const QString failed = "Upload to ftp://h:21/a@b/ failed: two: permission denied. 0 files uploaded.";
        QCOMPARE(log(), "ontop frmreplace|answer skip|notify [" + failed + "]");
        QCOMPARE(
            std::tuple(bar.ProgressBar1->isVisible(), bar.ProgressBar1->value(), progress->text(QAccessible::Name)),
            std::tuple(true, 100, failed));
        QTRY_VERIFY_WITH_TIMEOUT(!bar.ProgressBar1->isVisible(), 10000);
    }

    void stopping()
    {
        // Escape while the bar has the focus, and a click on the progress, ask first; No goes on,
        // Yes stops the upload and the drop waiting. With nothing going up, Escape asks nothing.
        // Closing asks after the notes question; Yes stops the upload and closes the bar, its
        // dialogs too, once the upload has stopped.
        frmquaylink& bar = start();
        bar.setaddress("ftp://h/");
        for (const char* file : { "/tmp/one", "/tmp/two" })
            dropon(&bar, "cmdopen", { file });
        m_services.log.clear();
        m_services.answers = { DesktopServices::No, DesktopServices::Yes };
        steps("Escape|click:ProgressBar1");
        QTRY_VERIFY(!bar.ProgressBar1->isVisible());
        const QString stop = "ask [Do you wish to stop uploading to ftp://h/? The file being written is removed from "
                             "the site; the files already uploaded stay.] 20 [Warning]";
        QCOMPARE(log(), stop + '|' + stop + "|stop|notify [Upload to ftp://h/ stopped; 1 file uploaded.]");
        steps("Escape|click:ProgressBar1");
        QCOMPARE(log(), "");

        dropon(&bar, "cmdopen", { "/tmp/three" });
        steps("click:cmdtextbox|click:Text1|type:n|click:cmdinfo");
        m_services.log.clear();
        m_services.answers = { DesktopServices::Yes, DesktopServices::No, DesktopServices::Yes, DesktopServices::Yes };
        const QString close
            = "ask [Files are being uploaded to ftp://h/. Do you wish to stop the upload and exit now?] 20 [Warning]";
        QVERIFY(!bar.close() && !bar.close() && bar.isVisible());
        QCOMPARE(log(), noteswarning + '|' + close + '|' + noteswarning + '|' + close + "|stop");
        QTRY_VERIFY(!bar.isVisible() && !shown("frminfo"));
        QCOMPARE(log(), "");
    }

    void loginrefused()
    {
        // The desktop's word that a site refused an address's login brings the dialog back over
        // what was typed into it: user ID and site from the address, the password empty and
        // focused. A new password opens the site with the address's scheme.
        start();
        steps("click:cmdftp|type:old|Tab|type:old");
        const QList<std::tuple<QString, QString, QString>> rows {
            { "sftp://u%40x:p%3Aw@h:22/d/", "u@x|sftp://h:22/d/", "sftp://u%40x:new@h:22/d/" },
            { "FTP://a:b:c@d@h", "a|h", "ftp://a:new@h" },
        };
        for (const auto& [refused, filled, opened] : rows) {
            m_services.log.clear();
            m_services.answers = { DesktopServices::Yes };
            m_services.loginrefused(refused);
            auto* dialog = static_cast<frminput*>(shown("frminput"));
            QVERIFY(dialog && QTest::qWaitForWindowActive(dialog));
            QCOMPARE(dialog->Text1->text() + '|' + dialog->Text2->text() + dialog->Text3->text(), filled);
            QCOMPARE(QApplication::focusWidget(), dialog->Text2);
            steps("type:new|Return");
            QCOMPARE(log(), "ask|placeholder|open frminput [" + opened + ']'); // the address box's text
        }
    }

    void messagebox()
    {
        // The real box: its answer to Escape, then a close request, then Enter; what it shows (icon,
        // buttons, [title] [text]); and whether Escape and the close request leave it up. A question
        // is answered by Yes or No alone.
        QString shown;
        const auto ask = [&shown](DesktopServices::Style style, const QString& title) {
            QTimer::singleShot(0, [&shown] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(QTest::qWaitForWindowActive(box));
                QStringList buttons;
                for (QAbstractButton* button : box->buttons())
                    buttons << button->text().remove('&');
                shown = QString("%1 %2 [%3] [%4]")
                            .arg(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()), buttons.join('|'),
                                 box->windowTitle(), box->text());
                QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
                box->windowHandle()->close();
                shown += box->isVisible() ? " stays" : " closes";
                QTest::keyClick(box->windowHandle(), Qt::Key_Return);
            });
            return QString::number(QtDesktopServices().msgbox("text", style, title)) + ' ' + shown;
        };
        QCOMPARE(ask(DesktopServices::OkOnly, ""), "1 NoIcon OK [Quaylink] [text] closes");
        QCOMPARE(ask(DesktopServices::YesNoCritical, "Warning"), "6 Critical Yes|No [Warning] [text] stays");
    }

private:
    // A null `content` leaves no book; "(folder)" puts a folder in its place: found, not readable.
    // "(mode 0)" and "(folder mode 0)" keep the start book from the bar, which runs as nobody.
    frmquaylink& start(QByteArray content = startbook)
    {
        QFile book(m_dir->filePath("ftpurl.txt"));
        const QByteArray hidden = content.startsWith("(folder mode") ? m_dir->path().toLocal8Bit()
            : content.startsWith("(mode")                            ? QFile::encodeName(book.fileName())
                                                                     : QByteArray();
        content = hidden.isEmpty() ? content : startbook;
        if (content == "(folder)")
            QDir(m_dir->path()).mkdir("ftpurl.txt");
        else if (!content.isNull() && (!book.open(QIODevice::WriteOnly) || book.write(content) != content.size()))
            qFatal("cannot write the test's address book");
        book.close();
        if (!hidden.isEmpty()
            && (chmod(m_dir->path().toLocal8Bit(), 0755) || chmod(hidden, 0)
                || (m_uid == 0 && setresuid(65534, 65534, 0))))
            qFatal("cannot hide the test's address book");
        m_bar = std::make_unique<frmquaylink>(m_services, m_dir->path());
        m_bar->show();
        if (!QTest::qWaitForWindowActive(m_bar.get()))
            qFatal("the bar did not become active");
        return *m_bar;
    }

    QByteArray file() const
    {
        QFile file(m_dir->filePath("ftpurl.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

    // What the desktop was asked since the last look, in brief.
    QString log()
    {
        QStringList brief = std::exchange(m_services.log, {});
        return brief.replaceInStrings(goonline, "ask")
            .replaceInStrings("navigate [http://www.tarnholt.example/ads/ads.asp]", "ad")
            .replaceInStrings("navigate [http://ads.example.com/ads.asp]", "placeholder")
            .replaceInStrings(" [] [" + m_dir->path() + ']', "")
            .join('|');
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeDesktopServices m_services;
    std::unique_ptr<frmquaylink> m_bar;
    const uid_t m_uid = geteuid();
};

void tst_windows::infodialog()
{
    start();
    steps("click:cmdinfo");
    QPointer<frminfo> info = static_cast<frminfo*>(shown("frminfo"));

    // The link lights up under the pointer, and only the bare surface puts it out again.
    for (QWidget* over : QList<QWidget*> { info->Label1, info->Label, nullptr, info->Label1 }) {
        QTest::mouseMove(info->windowHandle(), over ? over->geometry().topLeft() + QPoint(5, 5) : QPoint(5, 500));
        QCOMPARE(info->Label1->backcolour() == frminfo::linktext, over != nullptr);
    }

    // Closed by its close box, it opens again from its layout; "?" while it is open shows
    // that one again, without a second dialog and without loading its texts anew.
    steps("close:frminfo");
    QTRY_VERIFY(!info);
    steps("click:cmdinfo|click:cmdinfo");
    info = static_cast<frminfo*>(shown("frminfo"));
    // What it shows: its link, copyright and help text, one after another; a new line is a line
    // break. (Kept below the class: moc takes the "//" in a raw string for a comment.)
    const QString texts = R"(--  Freeware from Tarnholt  --
This Quaylink is included as one of the unique features in Wendlow available at: http://www.tarnholt.example/

(c) 2001 Tarnholt
All rights reserved.

If you are looking for a browser-based FTP, this is it!  No more switching back and forth between your browser and a FTP application.  No more truncated filenames to make you wonder which files you are actually dealing with.

Quaylink allows you to do FTP at both public and restricted FTP sites from Internet Explorer. Your ISP FTP server used for putting your webpages is an instance of restricted sites.

 To begin, click the "Go" button. Fill in the FTP site address. Leave out the prefix "ftp://". Example: If the site is ftp://ftp.example.com just type ftp.example.com. If the site is restricted, you must enter your User ID and Password. Click "OK". If you have made Internet Explorer as the default browser, it will launch.

 The FTP site will open in IE showing the main directory. Double click the directory to open it. At some ftp sites some folders are not seen when you log onto the main directory. To move to a hidden folder you simply add to the main directory name a "/" followed by the name of the sub-folder.

 Now Click the "Open Files" button in Quaylink and drag files from the popup file-opening pane into the ftp site.  To download files from the FTP site, select them in IE window, then right click and select "Copy to Folder". From the same right-clicked menu, new folders can be created. Folders and files can be renamed; they can also be deleted.  FTP addresses are saved in a file called ftpurl.txt in the application directory. Depending on the type of server, a folder with files in it can or cannot be deleted.

If your browser is Netscape, only the uploading function via drag-and-drop works.)";
    QCOMPARE(std::ranges::count(QApplication::topLevelWidgets(), QString("frminfo"), &QObject::objectName), 1);
    QCOMPARE(QStringList({ info->Label1->text(), info->Label2->text(), info->Label->text() }).join("\r\n\r\n"),
             QString(texts).replace('\n', "\r\n"));
    QCOMPARE(info->Label1->backcolour(), frminfo::linkback);
}

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
