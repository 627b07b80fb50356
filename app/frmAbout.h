#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The About box: title, description and version of the program. Not modal;
// OK unloads it.
class frmAbout : public QWidget {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget* parent = nullptr);

  QLabel* lblTitle;
  QLabel* lblDescription;
  QLabel* lblVersion;
  QLabel* Picture2;
  QPushButton* cmdOK;

 private:
  void Form_Load();
  void cmdOK_Click();
};
