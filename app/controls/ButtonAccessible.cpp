#include "controls/ButtonAccessible.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace controls {

namespace {

// A button's caption as it is spoken: without the mnemonic marks ("&&" is a
// literal ampersand).
QString WithoutMnemonic(const QString& caption) {
  QString spoken;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
    spoken += caption[i];
  }
  return spoken;
}

class ButtonAccessible : public QAccessibleWidget {
 public:
  explicit ButtonAccessible(QAbstractButton* button)
      : QAccessibleWidget(button, qobject_cast<QCheckBox*>(button) != nullptr ? QAccessible::CheckBox
                                                                              : QAccessible::Button) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return WithoutMnemonic(Button()->text());
    return QAccessibleWidget::text(kind);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    const QAbstractButton* button = Button();
    state.checkable = button->isCheckable();
    state.checked = button->isChecked();
    const auto* box = qobject_cast<const QCheckBox*>(button);
    state.checkStateMixed = box != nullptr && box->checkState() == Qt::PartiallyChecked;
    state.pressed = button->isDown();
    const auto* push = qobject_cast<const QPushButton*>(button);
    state.defaultButton = push != nullptr && push->isDefault();
    return state;
  }

  QStringList actionNames() const override {
    QStringList names;
    if (widget()->isEnabled()) names << (Button()->isCheckable() ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (action != pressAction() && action != toggleAction()) {
      QAccessibleWidget::doAction(action);
      return;
    }
    // A disabled button takes no click, as it takes no mouse click.
    if (widget()->isEnabled()) Button()->click();
  }

 private:
  QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  auto* button = qobject_cast<QAbstractButton*>(object);
  if (button == nullptr || qobject_cast<QRadioButton*>(button) != nullptr) return nullptr;
  // A button that opens a menu keeps Qt's interface, whose action shows it.
  const auto* tool = qobject_cast<QToolButton*>(button);
  if (tool != nullptr && tool->menu() != nullptr) return nullptr;
  return new ButtonAccessible(button);
}

}  // namespace

void InstallButtonAccessibility() {
  static const bool installed = (QAccessible::installFactory(&Factory), true);
  Q_UNUSED(installed);
}

}  // namespace controls
