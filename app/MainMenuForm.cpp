#include "MainMenuForm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Handler.h"
#include "MachineLine.h"
#include "WindowPlacement.h"
#include "controls/WaitCursor.h"
#include "frmAbout.h"
#include "link/LinkNewComPort.h"

MainMenuForm::MainMenuForm(QWidget* parent)
    : QWidget(parent), MainTab(new QTabWidget(this)), Timer3(new controls::TickTimer(this)),
      Timer1(new controls::TickTimer(this)) {
  setObjectName(QStringLiteral("MainMenuForm"));
  setWindowTitle(QStringLiteral("Norvane - QTS5460 Evaluation Software"));
  MainTab->setObjectName(QStringLiteral("MainTab"));
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer3->setObjectName(QStringLiteral("Timer3"));

  MainTab->addTab(BuildMainTab(), QStringLiteral("Main"));
  MainTab->addTab(BuildReadWriteTab(), QStringLiteral("Read/Write"));
  MainTab->addTab(BuildControlCenterTab(), QStringLiteral("Control Center"));
  MainTab->setCurrentIndex(kMainTab);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(MainTab);
  // Which PC the tabs work on, below every tab.
  layout->addWidget(app::NewMachineLine(this));

  connect(MainTab, &QTabWidget::currentChanged, this, [this](int index) {
    const int previous = currentTab_;
    currentTab_ = index;
    MainTab_Click(previous);
  });
  connect(Command7, &QPushButton::clicked, this, &MainMenuForm::Command7_Click);
  connect(Quit, &QPushButton::clicked, this, &MainMenuForm::Quit_Click);
  ConnectReadWriteTab();
  Form_Load();
}

void MainMenuForm::Form_Load() {
  app::CentreOnScreen(*this);
  lblVersion->setText(app::VersionCaption());
  LinkNewComPort::ReadValue = 0;
}

void MainMenuForm::StopMonitorTimers() {
  Timer1->Enabled(false);
  Timer3->Enabled(false);
}

void MainMenuForm::MainTab_Click(int) {
  app::RunHandler(this, [this] {
    // The hourglass covers the set-up's register reads and is gone before a
    // failure of the set-up is shown.
    const controls::WaitCursor hourglass;
    StopMonitorTimers();
    if (MainTab->currentIndex() == kReadWriteTab) Additional_functions::InitRegisterPanel(*this);
    else if (MainTab->currentIndex() == kControlCenterTab) InitControlCenter();
  });
}

void MainMenuForm::Command7_Click() {
  if (about_ == nullptr) about_ = new frmAbout(this);
  about_->show();
  about_->raise();
  about_->activateWindow();
}

void MainMenuForm::Quit_Click() {
  close();
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

frmAbout* MainMenuForm::AboutBox() const { return about_; }
