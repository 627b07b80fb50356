#include "controls/ListBox.h"

namespace controls {

namespace {
// Where each entry keeps its whole text; the display role holds the shown part.
constexpr int kWholeTextRole = Qt::UserRole;
}  // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextElideMode(Qt::ElideRight);
  setUniformItemSizes(true);
}

void ListBox::AddItem(const QString& text, int index) {
  auto* item = new QListWidgetItem(ShownText(text));
  item->setData(kWholeTextRole, text);
  insertItem(index, item);
}

void ListBox::Clear() { clear(); }

int ListBox::ListCount() const { return count(); }

int ListBox::ListIndex() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : row(selected.front());
}

void ListBox::ListIndex(int index) {
  if (index < 0 || index >= count()) {
    clearSelection();
    return;
  }
  setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

QString ListBox::Text() const {
  const int index = ListIndex();
  return index < 0 ? QString() : List(index);
}

QString ListBox::List(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry ? entry->data(kWholeTextRole).toString() : QString();
}

QString ListBox::ShownText(const QString& text) {
  const qsizetype blanks = text.indexOf(QStringLiteral("  "));
  return blanks < 0 ? text : text.left(blanks);
}

}  // namespace controls
