// Test helper: runs an action that may open modal message boxes, records and dismisses each.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QTimer>
#include <functional>

struct SeenMessage {
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  qsizetype button_count = 0;
  bool ok_button = false;
  bool modal = false;
};

inline QList<SeenMessage> run_dismissing_messages(const std::function<void()>& action) {
  QList<SeenMessage> seen;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    seen.append({box->text(), box->windowTitle(), box->icon(), box->buttons().size(),
                 box->button(QMessageBox::Ok) != nullptr, box->isModal()});
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
      ok->click();
    } else {
      box->reject();
    }
  });
  poll.start();
  action();
  poll.stop();
  return seen;
}
