#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every message box that a window opens while this object lives,
// so that a test can run a handler that shows one: each box's title, text
// and icon are recorded, then it is closed with OK.
class ModalBoxes {
 public:
  struct Box {
    QString title;
    QString text;
    QMessageBox::Icon icon;
  };

  ModalBoxes() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      boxes_.push_back({box->windowTitle(), box->text(), box->icon()});
      box->done(QMessageBox::Ok);
    });
    timer_.start();
  }

  const std::vector<Box>& Seen() const { return boxes_; }

 private:
  QTimer timer_;
  std::vector<Box> boxes_;
};
