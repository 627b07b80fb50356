#pragma once

#include <QListWidget>

namespace controls {

// A single-selection list box with the operations the windows use: add an
// entry at a position, the selected index, the text of the selected entry,
// clear. An entry's text may end in a hidden tag after a run of blanks (two
// or more in a row): the tag stays part of the entry's text, as code reads
// it back, but the list neither shows nor speaks it, and it never makes the
// list scroll sideways.
class ListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit ListBox(QWidget* parent = nullptr);

  // Inserts at `index` (0 is the top); an index past the end appends.
  void AddItem(const QString& text, int index);
  void Clear();
  int ListCount() const;
  // The selected entry's position, -1 when none is selected; setting it
  // selects that entry.
  int ListIndex() const;
  void ListIndex(int index);
  // The whole text of the selected entry (empty when none), tag included.
  QString Text() const;
  // The whole text of entry `index`.
  QString List(int index) const;

  // The part of an entry's text that is shown: up to the first run of blanks.
  static QString ShownText(const QString& text);
};

}  // namespace controls
