#include "controls/TextBox.h"

#include <QKeyEvent>

namespace controls {

TextBox::TextBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {}

void TextBox::SetKeyFilter(KeyFilter filter) { keyFilter_ = std::move(filter); }

void TextBox::keyPressEvent(QKeyEvent* event) {
  if (!keyFilter_) {
    QLineEdit::keyPressEvent(event);
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

int DigitKeyFilter(int key) {
  return key == kBackspace || (key >= '0' && key <= '9') ? key : 0;
}

int HexKeyFilter(int key) {
  if (key >= 'a' && key <= 'z') key -= 'a' - 'A';
  return key == kBackspace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F') ? key : 0;
}

}  // namespace controls
