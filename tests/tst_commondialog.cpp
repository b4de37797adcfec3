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

class TestCommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void listing_data();
    void listing();
    void settingsoneverypress();
};

void TestCommonDialog::listing_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("*.* lists every file")
        << QStringLiteral("*.*") << QStringList { "Makefile", "archive.tar.gz", "notes.txt", "sub" };
    QTest::newRow("a pattern still filters") << QStringLiteral("Text|*.txt") << QStringList { "notes.txt", "sub" };
}

void TestCommonDialog::listing()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    for (const char* name : { "Makefile", "archive.tar.gz", "notes.txt" })
        QVERIFY(QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));

    CommonDialog cd(nullptr);
    cd.Filter = filter;
    QStringList names, views;
    std::unique_ptr<QMimeData> dragged;
    QString first;
    cd.setshownhook([&](QFileDialog& dialog) {
        dialog.setDirectory(dir.path());
        // Both file views drag, take no drops, and offer nothing but a copy.
        for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>())
            if (view->dragEnabled() && view->dragDropMode() == QAbstractItemView::DragOnly
                && view->defaultDropAction() == Qt::CopyAction
                && view->model()->supportedDragActions() == Qt::CopyAction)
                views << view->objectName();
        auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
        const QModelIndex root = list ? list->rootIndex() : QModelIndex();
        const auto shown = [&] {
            QStringList texts;
            for (int row = 0; list && row < list->model()->rowCount(root); ++row)
                texts << list->model()->index(row, 0, root).data().toString();
            texts.sort();
            return texts;
        };
        // The folder is read in the background; wait until the list has settled.
        (void)QTest::qWaitFor([&] { return shown().size() >= listed.size(); }, 5000);
        QTest::qWait(100);
        names = shown();
        if (list && !names.isEmpty()) {
            first = list->model()->index(0, 0, root).data().toString();
            dragged.reset(list->model()->mimeData({ list->model()->index(0, 0, root) }));
        }
        dialog.reject();
    });
    cd.ShowOpen();
    QCOMPARE(names, listed);
    views.sort();
    QCOMPARE(views, (QStringList { QStringLiteral("listView"), QStringLiteral("treeView") }));
    QVERIFY(dragged && dragged->hasUrls());
    QCOMPARE(dragged->urls(), QList<QUrl> { QUrl::fromLocalFile(dir.filePath(first)) });
}

void TestCommonDialog::settingsoneverypress()
{
    QTemporaryDir dir;
    FakeDesktopServices services;
    frmquaylink main(services, dir.path());
    main.show();
    main.combourl->setEditText(QStringLiteral("ftp://ftp.example.com"));
    services.log.clear();
    QStringList shown; // mode, filters, modality and owner of each pane shown
    main.cd->setshownhook([&](QFileDialog& dialog) {
        shown << QStringLiteral("%1 %2 %3 %4")
                     .arg(dialog.fileMode())
                     .arg(dialog.nameFilters().join('|'), dialog.isModal() ? "modal" : "modeless",
                          dialog.parentWidget() == &main ? "main" : "other");
        dialog.reject();
    });
    for (int press = 0; press < 2; ++press) {
        // Whatever was left on the pane before, the press sets it up afresh.
        main.cd->CancelError = false;
        main.cd->Flags = 0;
        main.cd->Filter = QStringLiteral("Text|*.txt");
        QTest::mouseClick(main.cmdopen, Qt::LeftButton);
        QVERIFY(main.cd->CancelError);
        QCOMPARE(main.cd->Flags, 786948);
        QCOMPARE(main.cd->Filter, QStringLiteral("*.*"));
    }
    QCOMPARE(shown, QStringList(2, QStringLiteral("%1 *.* (*) modal main").arg(QFileDialog::ExistingFiles)));
    // A cancelled pane says nothing and changes nothing.
    QCOMPARE(services.log, QStringList());
    QCOMPARE(main.combourl->currentText(), QStringLiteral("ftp://ftp.example.com"));
}

QTEST_MAIN(TestCommonDialog)
#include "tst_commondialog.moc"
