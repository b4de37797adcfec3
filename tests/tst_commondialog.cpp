#include "common/commondialog.h"
#include "common/picturebutton.h"
#include "fakedesktopservices.h"
#include "main_window/frmquaylink.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// The names the pane's file list shows for the folder it is in.
QStringList listednames(QFileDialog& dialog)
{
    auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    QStringList names;
    if (!view)
        return names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

void makefiles(const QString& dir, const QStringList& names)
{
    for (const QString& name : names) {
        QFile file(dir + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

} // namespace

class TestCommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void listing_data();
    void listing();
    void dragsofferacopy();
    void settingsoneverypress();
};

void TestCommonDialog::listing_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("listed");
    const QStringList all { QStringLiteral("Makefile"), QStringLiteral("archive.tar.gz"), QStringLiteral("notes.txt"),
                            QStringLiteral("sub") };
    QTest::newRow("*.* lists every file") << QStringLiteral("*.*") << all;
    QTest::newRow("a pattern still filters")
        << QStringLiteral("Text|*.txt") << QStringList { QStringLiteral("notes.txt"), QStringLiteral("sub") };
}

void TestCommonDialog::listing()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makefiles(dir.path(),
              { QStringLiteral("Makefile"), QStringLiteral("archive.tar.gz"), QStringLiteral("notes.txt") });
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));

    CommonDialog cd(nullptr);
    cd.Filter = filter;
    QStringList names;
    cd.setshownhook([&](QFileDialog& dialog) {
        dialog.setDirectory(dir.path());
        // The folder is read in the background; wait until the list has settled.
        (void)QTest::qWaitFor([&] { return listednames(dialog).size() >= listed.size(); }, 5000);
        QTest::qWait(100);
        names = listednames(dialog);
        dialog.reject();
    });
    cd.ShowOpen();
    QCOMPARE(names, listed);
}

void TestCommonDialog::dragsofferacopy()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    makefiles(dir.path(), { QStringLiteral("README") });

    CommonDialog cd(nullptr);
    QStringList views;
    QList<QUrl> urls;
    QStringList formats;
    cd.setshownhook([&](QFileDialog& dialog) {
        dialog.setDirectory(dir.path());
        // Both file views drag, take no drops, and offer nothing but a copy.
        for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
            if (view->dragEnabled() && view->dragDropMode() == QAbstractItemView::DragOnly
                && view->defaultDropAction() == Qt::CopyAction
                && view->model()->supportedDragActions() == Qt::CopyAction)
                views << view->objectName();
        }
        auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
        if (list && QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 1; }, 5000)) {
            std::unique_ptr<QMimeData> data(list->model()->mimeData({ list->model()->index(0, 0, list->rootIndex()) }));
            urls = data->urls();
            formats = data->formats();
        }
        dialog.reject();
    });
    cd.ShowOpen();
    views.sort();
    QCOMPARE(views, (QStringList { QStringLiteral("listView"), QStringLiteral("treeView") }));
    QVERIFY(formats.contains(QStringLiteral("text/uri-list")));
    QCOMPARE(urls, QList<QUrl> { QUrl::fromLocalFile(dir.filePath(QStringLiteral("README"))) });
}

void TestCommonDialog::settingsoneverypress()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FakeDesktopServices services;
    frmquaylink main(services, dir.path());
    main.show();
    main.combourl->setEditText(QStringLiteral("ftp://ftp.example.com"));
    services.log.clear();

    struct Shown {
        QFileDialog::FileMode mode;
        QStringList filters;
        bool modal;
        QWidget* owner;
    };
    QList<Shown> shown;
    main.cd->setshownhook([&](QFileDialog& dialog) {
        shown.append({ dialog.fileMode(), dialog.nameFilters(), dialog.isModal(), dialog.parentWidget() });
        dialog.reject();
    });
    for (int press = 0; press < 2; ++press) {
        // Whatever was left on the pane before, the press sets it up afresh.
        main.cd->CancelError = false;
        main.cd->Flags = 0;
        main.cd->Filter = QStringLiteral("Text|*.txt");
        QTest::mouseClick(main.cmdopen, Qt::LeftButton);
        QCOMPARE(shown.size(), press + 1);
        QVERIFY(main.cd->CancelError);
        QCOMPARE(main.cd->Flags, 786948);
        QCOMPARE(main.cd->Filter, QStringLiteral("*.*"));
        QCOMPARE(shown.last().mode, QFileDialog::ExistingFiles);
        QCOMPARE(shown.last().filters, QStringList { QStringLiteral("*.* (*)") });
        QVERIFY(shown.last().modal);
        QCOMPARE(shown.last().owner, &main);
    }
    // A cancelled pane says nothing and changes nothing.
    QCOMPARE(services.log, QStringList());
    QCOMPARE(main.combourl->currentText(), QStringLiteral("ftp://ftp.example.com"));
    QVERIFY(main.isVisible());
}

QTEST_MAIN(TestCommonDialog)
#include "tst_commondialog.moc"
