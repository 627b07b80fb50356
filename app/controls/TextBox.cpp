#include "controls/TextBox.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace controls {

TextBox::TextBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {}

void TextBox::SetKeyFilter(KeyFilter filter) {
  keyFilter_ = std::move(filter);
  setAcceptDrops(!keyFilter_);
}

void TextBox::InsertFiltered(const QString& text) {
  QString passed;
  for (const QChar character : text) {
    const int key = keyFilter_(character.unicode());
    if (key != 0 && key != kBackspace) passed += QChar(key);
  }
  if (!passed.isEmpty()) insert(passed);
}

void TextBox::keyPressEvent(QKeyEvent* event) {
  if (!keyFilter_) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (event->matches(QKeySequence::Paste)) {
    if (!isReadOnly()) InsertFiltered(QGuiApplication::clipboard()->text());
    event->accept();
    return;
  }
  const bool isBackspace = event->key() == Qt::Key_Backspace;
  const QString typed = event->text();
  const bool character = typed.size() == 1 && typed.at(0).isPrint() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (!isBackspace && !character) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const int key = isBackspace ? kBackspace : typed.at(0).unicode();
  const int filtered = keyFilter_(key);
  if (filtered == 0) {
    event->accept();
    return;
  }
  if (filtered == key) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (filtered == kBackspace) {
    backspace();
    return;
  }
  insert(QString(QChar(filtered)));
}

void TextBox::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The menu's paste is whichever action is connected to the line edit's own
  // (by name in some Qt versions, by member in others).
  for (QAction* action : menu->actions()) {
    if (!keyFilter_) break;
    const bool paste = disconnect(action, SIGNAL(triggered()), this, SLOT(paste())) ||
                       disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
    if (paste)
      connect(action, &QAction::triggered, this, [this] { InsertFiltered(QGuiApplication::clipboard()->text()); });
  }
  menu->popup(event->globalPos());
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (keyFilter_ && event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
    if (!isReadOnly()) {
      deselect();
      InsertFiltered(clipboard->text(QClipboard::Selection));
    }
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

int DigitKeyFilter(int key) {
  return key == kBackspace || (key >= '0' && key <= '9') ? key : 0;
}

int HexKeyFilter(int key) {
  if (key >= 'a' && key <= 'z') key -= 'a' - 'A';
  return key == kBackspace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F') ? key : 0;
}

}  // namespace controls
