// The list box the wizard's results use: entries by position, the selected
// entry's whole text, and tags that are kept but neither shown nor spoken.
#include <QAccessible>
#include <QScrollBar>
#include <QTest>

#include "controls/ListBox.h"

class ListBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void entriesKeepTheirTagsHidden();
};

void ListBoxTest::entriesKeepTheirTagsHidden() {
  controls::ListBox list;
  list.resize(200, 120);
  list.show();
  const QString tagged = QStringLiteral("second") + QString(60, QLatin1Char(' ')) + QStringLiteral("Printer 12");
  list.AddItem(QStringLiteral("third"), 0);
  list.AddItem(tagged, 0);
  list.AddItem(QStringLiteral("first one"), 0);
  list.AddItem(QStringLiteral("last"), 99);
  QCOMPARE(list.ListCount(), 4);
  QCOMPARE(list.List(0), QStringLiteral("first one"));
  QCOMPARE(list.List(1), tagged);
  QCOMPARE(list.List(3), QStringLiteral("last"));
  QCOMPARE(list.ListIndex(), -1);
  QCOMPARE(list.Text(), QString());

  list.ListIndex(1);
  QCOMPARE(list.ListIndex(), 1);
  QCOMPARE(list.Text(), tagged);
  QCOMPARE(list.item(1)->text(), QStringLiteral("second"));
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&list);
  QStringList spoken;
  for (int i = 0; i < accessible->childCount(); ++i) spoken << accessible->child(i)->text(QAccessible::Name);
  QVERIFY(spoken.contains(QStringLiteral("second")));
  QVERIFY(!spoken.join(QLatin1Char('|')).contains(QStringLiteral("Printer")));
  QCOMPARE(list.horizontalScrollBar()->maximum(), 0);

  list.ListIndex(7);
  QCOMPARE(list.ListIndex(), -1);
  list.Clear();
  QCOMPARE(list.ListCount(), 0);
  QCOMPARE(list.List(0), QString());
}

QTEST_MAIN(ListBoxTest)
#include "tst_listbox.moc"
