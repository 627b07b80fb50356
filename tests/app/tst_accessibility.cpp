// Assistive technology's actions against both windows: every accessible
// action of every control does what a click does, so a control added later
// cannot miss it; and the ribbons a screen reader toggles change the chip as
// clicks do.
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QButtonGroup>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "InitForm.h"
#include "MainMenuForm.h"
#include "Startup.h"
#include "controls/ClickLabel.h"
#include "controls/ListBox.h"
#include "controls/TickTimer.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/FileDialogs.h"
#include "support/ModalBoxes.h"

namespace {

using Action = QAccessibleActionInterface;

QString Describe(QWidget* control, const QString& action) {
  return QStringLiteral("%1 (%2): %3")
      .arg(control->objectName(), QString::fromLatin1(control->metaObject()->className()), action);
}

// The widget that a click leaves with the focus.
bool Focused(QWidget* control) {
  QWidget* focus = control->window()->focusWidget();
  return focus != nullptr && (focus == control || control->isAncestorOf(focus));
}

// Does `action` of a control's entry (a list entry, a tab) and checks that it
// chose the entry as a click on it does.
void CheckEntryAction(QWidget* control, int entry, const QString& action) {
  QAccessibleInterface* item = QAccessible::queryAccessibleInterface(control)->child(entry);
  const QString what = Describe(control, QStringLiteral("entry %1, %2").arg(entry).arg(action));
  if (auto* list = qobject_cast<controls::ListBox*>(control); list && action == Action::toggleAction()) {
    const int row = item->tableCellInterface() ? item->tableCellInterface()->rowIndex() : entry;
    item->actionInterface()->doAction(action);
    QVERIFY2(list->ListIndex() == row, qPrintable(what));
    return;
  }
  if (auto* tabs = qobject_cast<QTabBar*>(control); tabs && action == Action::pressAction()) {
    item->actionInterface()->doAction(action);
    QVERIFY2(tabs->currentIndex() == entry, qPrintable(what));
    return;
  }
  QFAIL(qPrintable(QStringLiteral("no click is known for ") + what));
}

// Does `action` of a control and checks that it did what a click does: a
// press or toggle clicks the control once (not at all when it is disabled,
// as a mouse click does nothing then), setFocus focuses it (unless it is
// disabled: an earlier action may have disabled it).
void CheckAction(QWidget* control, const QString& action) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
  const QString what = Describe(control, action);
  const int clicks = control->isEnabled() ? 1 : 0;
  if (action == Action::setFocusAction()) {
    accessible->actionInterface()->doAction(action);
    QVERIFY2(Focused(control) == control->isEnabled(), qPrintable(what));
    return;
  }
  const bool press = action == Action::pressAction() || action == Action::toggleAction();
  std::unique_ptr<QSignalSpy> spy;
  if (auto* button = qobject_cast<QAbstractButton*>(control); button && press)
    spy = std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked);
  if (auto* label = qobject_cast<controls::ClickLabel*>(control); label && action == Action::pressAction())
    spy = std::make_unique<QSignalSpy>(label, &controls::ClickLabel::Click);
  if (!spy) QFAIL(qPrintable(QStringLiteral("no click is known for ") + what));
  accessible->actionInterface()->doAction(action);
  // Qt's own push buttons click after a short animation.
  if (clicks > 0 && spy->isEmpty()) spy->wait(1000);
  QVERIFY2(spy->count() == clicks, qPrintable(what));
}

// Walks every visible control of the window that `make` opens in a chosen
// state, and each accessible action of the control and of its entries. The
// window is used on while it stays open, and opened anew in that state once
// an action has closed or hidden it (Cancel, Finish, Quit). Controls come in
// creation order, which is the same for every window `make` opens.
void WalkActions(const std::function<QWidget*()>& make) {
  QPointer<QWidget> window;
  int actions = 0;
  // The control at `index` of a window that is open.
  const auto control = [&](int index) {
    if (window.isNull() || !window->isVisible()) window = make();
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    return index < controls.size() ? controls[index] : nullptr;
  };
  for (int index = 0; control(index) != nullptr; ++index) {
    if (!control(index)->isVisible()) continue;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control(index));
    const QStringList names =
        accessible->actionInterface() ? accessible->actionInterface()->actionNames() : QStringList();
    // Entries come first: a press on the control may close the window.
    QList<QPair<int, QString>> entryActions;
    for (int entry = 0; entry < accessible->childCount(); ++entry) {
      QAccessibleInterface* item = accessible->child(entry);
      // Child controls have their own turn.
      if (item == nullptr || item->object() != nullptr || item->actionInterface() == nullptr) continue;
      for (const QString& action : item->actionInterface()->actionNames()) entryActions.append({entry, action});
    }
    for (const auto& [entry, action] : entryActions) {
      CheckEntryAction(control(index), entry, action);
      if (QTest::currentTestFailed()) return;
      ++actions;
    }
    for (const QString& action : names) {
      CheckAction(control(index), action);
      if (QTest::currentTestFailed()) return;
      ++actions;
    }
  }
  QVERIFY(actions > 0);
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();
  void everyActionDoesWhatAClickDoes_data();
  void everyActionDoesWhatAClickDoes();
  void ribbonsActAsClicked_data();
  void ribbonsActAsClicked();

 private:
  void StartMachine() {
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual"));
    platform::StartProcess(machine_->StartProcess("QtsEval"));
    platform::Current().SetMessagePump(&controls::PumpMessages);
  }
  InitForm* Wizard(int step) {
    StartMachine();
    InitForm* wizard = app::OpenSearchWizard();
    if (step >= InitForm::kMediumStep) wizard->NextCMD->click();
    if (step >= InitForm::kResultsStep) {
      wizard->SMBusCheck->Value(1);
      wizard->NextCMD->click();
    }
    return wizard;
  }
  MainMenuForm* MainWindow(int tab) {
    StartMachine();
    LinkNewComPort::LinkPrinterPort(0, comport::kTrue, 0x98);
    auto* form = new MainMenuForm;
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    form->MainTab->setCurrentIndex(tab);
    return form;
  }

  std::shared_ptr<sim::Machine> machine_;
};

void AccessibilityTest::cleanup() {
  QList<QPointer<QWidget>> windows;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* wizard = qobject_cast<InitForm*>(window)) wizard->WizardFinished = true;
    if (window->parentWidget() == nullptr) windows << window;
  }
  for (const QPointer<QWidget>& window : windows) delete window.data();
}

void AccessibilityTest::everyActionDoesWhatAClickDoes_data() {
  QTest::addColumn<bool>("wizard");
  QTest::addColumn<int>("page");
  QTest::newRow("wizard, welcome") << true << int{InitForm::kWelcomeStep};
  QTest::newRow("wizard, media") << true << int{InitForm::kMediumStep};
  QTest::newRow("wizard, results") << true << int{InitForm::kResultsStep};
  QTest::newRow("main window, Main") << false << MainMenuForm::kMainTab;
  QTest::newRow("main window, Read/Write") << false << MainMenuForm::kReadWriteTab;
  QTest::newRow("main window, Control Center") << false << MainMenuForm::kControlCenterTab;
}

void AccessibilityTest::everyActionDoesWhatAClickDoes() {
  QFETCH(bool, wizard);
  QFETCH(int, page);
  ModalBoxes boxes;
  FileDialogs dialogs({});
  if (wizard) {
    WalkActions([&]() -> QWidget* { return Wizard(page); });
  } else {
    WalkActions([&]() -> QWidget* { return MainWindow(page); });
  }
}

// The ribbons as a screen reader toggles them, against a click on a window
// of its own: the same register, the same chip, the same captions.
void AccessibilityTest::ribbonsActAsClicked_data() {
  QTest::addColumn<QString>("ribbon");
  QTest::addColumn<QString>("changed");  // what the click must have changed
  QTest::newRow("ManufacturerID") << "SSRibbon17" << "register fe";
  QTest::newRow("Status") << "SSRibbon8" << "register 2";
  QTest::newRow("One Shot") << "SSRibbon16" << "register f";
  QTest::newRow("Standby Mode") << "SSRibbon3" << "configuration 40";
  QTest::newRow("Continuous Reading") << "SSRibbon5" << "continuous";
}

void AccessibilityTest::ribbonsActAsClicked() {
  QFETCH(QString, ribbon);
  QFETCH(QString, changed);
  ModalBoxes boxes;
  // What the window and the chip show after the ribbon was used one way.
  const auto outcome = [&](bool accessible) {
    MainMenuForm* form = MainWindow(MainMenuForm::kReadWriteTab);
    auto* control = form->findChild<controls::RibbonButton*>(ribbon);
    if (accessible) {
      QAccessible::queryAccessibleInterface(control)->actionInterface()->doAction(Action::toggleAction());
    } else {
      QTest::mouseClick(control, Qt::LeftButton);
    }
    QStringList seen{QStringLiteral("register %1").arg(int{form->Panel.CurrentRegister}, 0, 16),
                     QStringLiteral("configuration %1").arg(int{machine_->Board()->Chip().ReadRegister(0x03)}, 0, 16),
                     form->Timer3->Enabled() ? QStringLiteral("continuous") : QString(),
                     form->SSPanel2->Caption(), form->SSPanel7->Caption(), form->Label16->text(),
                     control->Value() ? QStringLiteral("pressed") : QStringLiteral("released")};
    delete form;
    return seen;
  };
  const QStringList clicked = outcome(false);
  QVERIFY2(clicked.contains(changed), qPrintable(clicked.join(QLatin1Char('|'))));
  QCOMPARE(outcome(true), clicked);
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
