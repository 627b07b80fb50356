#include "controls/ClickLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

namespace {

// A button to assistive technology: the caption is its value (and its
// description, which screen readers speak), pressing it clicks the label.
class ClickLabelAccessible : public QAccessibleWidget {
 public:
  explicit ClickLabelAccessible(ClickLabel* label) : QAccessibleWidget(label, QAccessible::Button) {}

  QString text(QAccessible::Text kind) const override {
    const QString caption = static_cast<ClickLabel*>(widget())->text();
    if (kind == QAccessible::Value) return caption;
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return caption;
    if (kind == QAccessible::Description && widget()->accessibleDescription().isEmpty()) return caption;
    return QAccessibleWidget::text(kind);
  }

  // A disabled label takes no press, as it takes no mouse click.
  QStringList actionNames() const override {
    const QStringList own = widget()->isEnabled() ? QStringList(pressAction()) : QStringList();
    return own + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (action != pressAction())
      QAccessibleWidget::doAction(action);
    else if (widget()->isEnabled())
      static_cast<ClickLabel*>(widget())->Activate();
  }
};

QAccessibleInterface* AccessibleFactory(const QString&, QObject* object) {
  auto* label = qobject_cast<ClickLabel*>(object);
  return label != nullptr ? new ClickLabelAccessible(label) : nullptr;
}

}  // namespace

ClickLabel::ClickLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  static const bool factoryInstalled = (QAccessible::installFactory(&AccessibleFactory), true);
  Q_UNUSED(factoryInstalled);
  setFocusPolicy(Qt::StrongFocus);
}

void ClickLabel::Activate() { emit Click(); }

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = Pressed::Once;
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = Pressed::Twice;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Pressed pressed = pressed_;
  pressed_ = Pressed::None;
  if (!rect().contains(event->position().toPoint())) return;
  if (pressed == Pressed::Once) emit Click();
  if (pressed == Pressed::Twice) emit DblClick();
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat()) {
    emit Click();
    return;
  }
  QLabel::keyPressEvent(event);
}

void ClickLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
  painter.drawRect(contentsRect().adjusted(2, 2, -3, -3));
}

}  // namespace controls
