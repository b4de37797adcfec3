#include "commondialog.h"
#include "desktop/dragdata.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QIdentityProxyModel>
#include <QTimer>

namespace
{

// The pane's files leave it only as copies: a drop must never move the user's file away.
class CopyOnlyModel : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::IgnoreAction; }
};

} // namespace

CommonDialog::CommonDialog(QWidget* owner)
    : QObject(owner)
    , m_owner(owner)
{
}

QStringList CommonDialog::namefilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString pattern = i + 1 < parts.size() ? parts[i + 1] : parts[i];
        const QString description = parts[i];
        QStringList patterns;
        for (const QString& one : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = one.trimmed();
            // Qt reads "*.*" literally and would hide every file without a dot in its name.
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

bool CommonDialog::ShowOpen()
{
    QFileDialog dialog(m_owner);
    // Modal to its owner only: an open login or info dialog goes on answering.
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The list shows the filter as written; the patterns after it are what matches.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(Flags & AllowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!Filter.isEmpty())
        dialog.setNameFilters(namefilters(Filter));

    dialog.setProxyModel(new CopyOnlyModel(&dialog));
    for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
        // The file views only: the side bar keeps its own drops of folders.
        if (view->objectName() != QLatin1String("listView") && view->objectName() != QLatin1String("treeView"))
            continue;
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragOnly);
        view->setDefaultDropAction(Qt::CopyAction);
    }

    if (m_shownhook)
        QTimer::singleShot(0, &dialog, [this, &dialog] { m_shownhook(dialog); });
    const PaneDragData dragdata(dialog);
    const int result = dialog.exec();
    return result == QDialog::Accepted || !CancelError;
}
