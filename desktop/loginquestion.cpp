#include "loginquestion.h"

#include <QMessageBox>
#include <QPushButton>

QWidget* askloginquestion(const QString& message, const QStringList& choices, std::function<void(int)> answered)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Quaylink"), message);
    box->setObjectName(QStringLiteral("loginquestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    // Buttons of one role stand in the order they were added.
    QList<QPushButton*> buttons;
    for (const QString& choice : choices)
        buttons << box->addButton(choice, QMessageBox::ActionRole);
    if (!buttons.isEmpty()) {
        // Enter on the window as it opens refuses too: saying yes takes a choice of one's own.
        box->setDefaultButton(buttons.last());
        box->setEscapeButton(buttons.last());
    }
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, answered] {
        const qsizetype chosen = buttons.indexOf(qobject_cast<QPushButton*>(box->clickedButton()));
        answered(chosen < 0 ? buttons.size() - 1 : chosen);
    });
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}
