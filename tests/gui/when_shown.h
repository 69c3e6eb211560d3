// Answers a modal dialog while it waits for the user.
#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <functional>

namespace gui_test {

// Runs `answer` on the modal dialog as soon as it is up.
template <typename Dialog>
void WhenDialogShows(std::function<void(Dialog&)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    answer(*dialog);
  });
  timer->start(10);
}

}  // namespace gui_test
