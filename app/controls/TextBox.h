#pragma once

#include <QLineEdit>
#include <functional>

namespace controls {

// A one-line text box whose typed characters pass a key filter first. The
// filter sees each typed character (Backspace as character 8) and returns
// the character to enter, possibly changed, or 0 to discard the key.
// Navigation and editing keys other than Backspace do not reach the filter.
// Pasted text (Ctrl+V, Shift+Insert, the context menu, the middle button)
// passes it character by character, so a paste keeps only what typing it
// would have entered; a box with a filter takes no drops. Changes of the
// text, typed or set from code, are reported by textChanged.
class TextBox : public QLineEdit {
  Q_OBJECT

 public:
  using KeyFilter = std::function<int(int key)>;

  explicit TextBox(const QString& text = {}, QWidget* parent = nullptr);

  void SetKeyFilter(KeyFilter filter);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Inserts what the filter lets through of `text`, as if it were typed.
  void InsertFiltered(const QString& text);

  KeyFilter keyFilter_;
};

inline constexpr int kBackspace = 8;

// Backspace and the digits 0..9 pass; every other key is discarded.
int DigitKeyFilter(int key);
// Letters are turned to upper case; Backspace, 0..9 and A..F pass; every
// other key is discarded.
int HexKeyFilter(int key);

}  // namespace controls
