#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QStringList>
#include <QTimer>

// Answers every file dialog that a window opens while this object lives:
// records its name filters, then chooses `path`, or cancels when it is empty.
class FileDialogs {
 public:
  explicit FileDialogs(QString path) : path_(std::move(path)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      filters_ = dialog->nameFilters();
      ++shown_;
      if (path_.isEmpty()) {
        dialog->reject();
      } else {
        dialog->selectFile(path_);
        // The dialog's own accept, which checks the chosen name as a user's OK does.
        QMetaObject::invokeMethod(dialog, "accept");
      }
    });
    timer_.start();
  }

  void Choose(const QString& path) { path_ = path; }
  int Shown() const { return shown_; }
  QStringList Filters() const { return filters_; }

 private:
  QTimer timer_;
  QString path_;
  QStringList filters_;
  int shown_ = 0;
};
