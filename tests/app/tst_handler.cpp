// A failing handler ends at the failed step, shows the error's number and
// text, and the program goes on.
#include <QTimer>
#include <QTest>
#include <stdexcept>

#include "Handler.h"
#include "comport/RuntimeError.h"
#include "support/ModalBoxes.h"

class HandlerTest : public QObject {
  Q_OBJECT

 private slots:
  void failureEndsTheHandlerAndIsShown_data();
  void failureEndsTheHandlerAndIsShown();
  void exceptionEscapingAnEventIsCaughtByTheApplication();
};

void HandlerTest::failureEndsTheHandlerAndIsShown_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("shown");
  QTest::newRow("overflow") << 0 << QStringLiteral("Run-time error '6':\n\nOverflow");
  QTest::newRow("type mismatch") << 1 << QStringLiteral("Run-time error '13':\n\nType mismatch");
  QTest::newRow("other exception") << 2 << QStringLiteral("Run-time error '51':\n\nno such chart trace");
}

void HandlerTest::failureEndsTheHandlerAndIsShown() {
  QFETCH(int, kind);
  QFETCH(QString, shown);
  QWidget window;
  ModalBoxes boxes;
  int stepsDone = 0;
  app::RunHandler(&window, [&] {
    ++stepsDone;
    if (kind == 0) throw comport::RuntimeError::Overflow();
    if (kind == 1) throw comport::RuntimeError::TypeMismatch();
    throw std::out_of_range("no such chart trace");
  });
  QCOMPARE(stepsDone, 1);
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(boxes.Seen()[0].text, shown);
  QCOMPARE(boxes.Seen()[0].icon, QMessageBox::Critical);
  // A handler that succeeds shows nothing.
  app::RunHandler(&window, [&] { ++stepsDone; });
  QCOMPARE(stepsDone, 2);
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
}

// A timer's tick, not a mouse click: Qt's input path is not exception-safe
// and leaks the event's points when an exception passes through it.
void HandlerTest::exceptionEscapingAnEventIsCaughtByTheApplication() {
  ModalBoxes boxes;
  QTimer::singleShot(0, [] { throw comport::RuntimeError::Overflow(); });
  QTRY_COMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(boxes.Seen()[0].text, QStringLiteral("Run-time error '6':\n\nOverflow"));
}

int main(int argc, char** argv) {
  app::Application application(argc, argv);
  HandlerTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_handler.moc"
