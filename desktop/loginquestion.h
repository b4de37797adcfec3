#pragma once

#include <QStringList>
#include <functional>

class QWidget;

// Shows a question that a site's login asks (a host key or a certificate it cannot vouch
// for) in a window of its own, above every other window: `message` whole, and each of
// `choices` as a button, in their order. Returns at once; `answered` runs once with the index
// of the choice the user pressed. Closing the window or Escape choose the last choice, which
// is the refusing one in the questions GVfs asks; nothing is chosen for the user. Deleting
// the returned window withdraws the question unanswered.
QWidget* askloginquestion(const QString& message, const QStringList& choices, std::function<void(int)> answered);
