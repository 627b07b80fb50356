// The "Control Center" tab's data logging against the virtual PC: the file's
// bytes, the delay across midnight, and a file that cannot be written.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "Handler.h"
#include "MainMenuForm.h"
#include "logging/LogFormat.h"
#include "support/FileDialogs.h"
#include "support/ModalBoxes.h"
#include "support/VirtualBoard.h"

namespace {

constexpr double kRemote = 30.25;
constexpr double kLocal = 24.5;
constexpr int kAfternoon = 14 * 3600 + 5 * 60 + 9;  // 14:05:09

std::string Contents(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

std::string Sample(int timeOfDay) {
  return logging::LogSampleLine(timeOfDay, static_cast<float>(kRemote), static_cast<float>(kLocal));
}

// The main window on the Control Center tab, the chip at fixed temperatures.
struct Logging {
  Logging() {
    board.Chip().SetRemoteTemperature(kRemote);
    board.Chip().SetLocalTemperature(kLocal);
    board.Advance(1);
    form.show();
    form.MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
  }
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  // Chooses the log file through the dialog, as "Make New Log" does.
  void MakeLog(const QString& path) {
    FileDialogs dialogs(path);
    QTest::mouseClick(form.MakeLog_CMD, Qt::LeftButton);
  }
  // Logging a line on every tick to a new file; its path.
  QString LogEveryTick(const char* name) {
    form.Text1->setText(QStringLiteral("0"));
    MakeLog(Path(name));
    return Path(name);
  }
  void Ticks(int count, double seconds) {
    for (int i = 0; i < count; ++i) {
      form.Timer1_Timer();
      board.Advance(seconds);
    }
  }

  QTemporaryDir dir;
  VirtualBoard board;
  MainMenuForm form;
};

}  // namespace

// Makes the chip's address one that no read can take once the remote
// temperature's low byte is being read.
class BadAddressAfterRemote : public sim::PortObserver {
 public:
  void Accessed(const sim::PortAccess&) override {
    if (LinkNewComPort::RegisterPointer == 0x10) LinkNewComPort::CurrentDeviceAddress = 0x1FF;
  }
};

class LoggingTest : public QObject {
  Q_OBJECT

  BadAddressAfterRemote badAddressAfterRemote_;

 private slots:
  void fileHoldsHeaderSamplesAndRestart();
  void fileNamesThatAreRefused_data();
  void fileNamesThatAreRefused();
  void delayHoldsAcrossMidnight();
  void delayBoxTakesDigitsUpTo3600();
  void unwritableFileLosesLinesVisibly_data();
  void unwritableFileLosesLinesVisibly();
  void aLostHeaderStaysFlagged();
  void failedReadsLogNoLine_data();
  void failedReadsLogNoLine();
  void barsAloneLog();
  void monitorsOffStopLogging();
};

void LoggingTest::fileHoldsHeaderSamplesAndRestart() {
  Logging log;
  log.board.SetTimeOfDay(kAfternoon);
  log.form.Text1->setText(QStringLiteral("0"));
  const QString path = log.Path("run.xls");
  FileDialogs dialogs(path);
  QTest::mouseClick(log.form.MakeLog_CMD, Qt::LeftButton);
  QCOMPARE(dialogs.Filters(), QStringList{QStringLiteral("Excel Files (*.xls)")});
  QCOMPARE(log.form.LogFileName, path);
  QCOMPARE(Contents(path), logging::LogHeaderLine());
  // Logging needs the graph or the bars: ticking the box switched graphing on.
  QCOMPARE(log.form.Check3->Value(), 1);
  QCOMPARE(log.form.Check3->text(), QStringLiteral("Logging to File"));
  QCOMPARE(log.form.Check2->Value(), 1);
  QVERIFY(log.form.Timer1->Enabled());
  QVERIFY(!log.form.MakeLog_CMD->isEnabled());
  QVERIFY(log.form.Label7->isEnabled());

  // Delay 0: a line on every tick.
  log.Ticks(3, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("3"));
  QCOMPARE(Contents(path), logging::LogHeaderLine() + Sample(kAfternoon) + Sample(kAfternoon) + Sample(kAfternoon));

  // Unticked by the user: stopped, and only "Make New Log" starts again.
  QTest::mouseClick(log.form.Check3, Qt::LeftButton, {}, QPoint(8, log.form.Check3->height() / 2));
  QCOMPARE(log.form.Check3->Value(), 2);
  QVERIFY(!log.form.Check3->isEnabled());
  QCOMPARE(log.form.Check3->text(), QStringLiteral("Not Logging to File"));
  QCOMPARE(log.form.Label14->text(), QString());
  QVERIFY(log.form.MakeLog_CMD->isEnabled());
  QCOMPARE(log.form.LogFileName, path);
  log.Ticks(2, 0.005);

  // The same file again: a restart line after the old content.
  log.board.SetTimeOfDay(kAfternoon + 60);
  log.MakeLog(path);
  log.Ticks(1, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("1"));
  QCOMPARE(Contents(path), logging::LogHeaderLine() + Sample(kAfternoon) + Sample(kAfternoon) +
                               Sample(kAfternoon) + logging::LogRestartLine() + Sample(kAfternoon + 60));

  // A delay of 5 s: a tick 5.3 s after the last line writes one and keeps its rounded time.
  log.form.Text1->setText(QStringLiteral("5"));
  log.board.SetTimeOfDay(100.3);
  log.form.LastLogTime = 95;
  log.Ticks(1, 0.005);
  QCOMPARE(log.form.LastLogTime, 100);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("2"));
  log.Ticks(100, 0.04);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("2"));
}

void LoggingTest::fileNamesThatAreRefused_data() {
  QTest::addColumn<QString>("name");
  QTest::newRow("upper-case extension") << "RUN.XLS";
  QTest::newRow("another extension") << "run.txt";
}

void LoggingTest::fileNamesThatAreRefused() {
  QFETCH(QString, name);
  Logging log;
  ModalBoxes boxes;
  log.MakeLog(log.Path(name.toLatin1().constData()));
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(boxes.Seen()[0].title, QStringLiteral("There was a Problem!"));
  QCOMPARE(boxes.Seen()[0].text,
           QStringLiteral("Either an invalid filename or no file was selected, no settings were loaded."));
  QCOMPARE(boxes.Seen()[0].icon, QMessageBox::Warning);
  QVERIFY(log.form.LogFileName.isEmpty());
  QCOMPARE(log.form.Check3->Value(), 2);
  QVERIFY(!log.form.Check3->isEnabled());
  QVERIFY(log.form.MakeLog_CMD->isEnabled());
  QCOMPARE(log.form.Label14->text(), QString());
  QVERIFY(!QFile::exists(log.Path(name.toLatin1().constData())));

  // A cancelled dialog changes nothing.
  log.MakeLog(QString());
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(log.form.Check3->Value(), 2);
}

void LoggingTest::delayHoldsAcrossMidnight() {
  Logging log;
  log.board.SetTimeOfDay(86390);
  log.MakeLog(log.Path("midnight.xls"));
  QCOMPARE(log.form.Text1->text(), QStringLiteral("5"));
  // Just under thirty seconds of ticks, ten a second (and the reads' own
  // time), across midnight.
  log.Ticks(290, 0.1);
  std::string expected = logging::LogHeaderLine();
  for (const int second : {86390, 86395, 0, 5, 10, 15}) expected += Sample(second);
  QCOMPARE(Contents(log.Path("midnight.xls")), expected);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("6"));
}

void LoggingTest::delayBoxTakesDigitsUpTo3600() {
  Logging log;
  log.form.Text1->clear();
  QTest::keyClicks(log.form.Text1, "3600");
  QCOMPARE(log.form.Text1->text(), QStringLiteral("3600"));
  log.form.Text1->clear();
  QTest::keyClicks(log.form.Text1, "4x000");
  QCOMPARE(log.form.Text1->text(), QStringLiteral("3600"));

  // A paste keeps what typing it would have: by key and by the context menu.
  log.form.Text1->clear();
  QGuiApplication::clipboard()->setText(QStringLiteral("ab"));
  QTest::keyClick(log.form.Text1, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(log.form.Text1->text(), QString());
  QGuiApplication::clipboard()->setText(QStringLiteral("1 a2"));
  QTest::keyClick(log.form.Text1, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(log.form.Text1->text(), QStringLiteral("12"));
  QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(4, 4), log.form.Text1->mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(log.form.Text1, &menuEvent);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  QVERIFY(menu != nullptr);
  for (QAction* action : menu->actions()) {
    if (action->text().startsWith(QStringLiteral("&Paste"))) action->trigger();
  }
  menu->close();
  QCOMPARE(log.form.Text1->text(), QStringLiteral("1212"));
}

void LoggingTest::unwritableFileLosesLinesVisibly_data() {
  QTest::addColumn<bool>("diskFull");
  QTest::newRow("disk full") << true;
  QTest::newRow("removed, a folder in its place") << false;
}

void LoggingTest::unwritableFileLosesLinesVisibly() {
  QFETCH(bool, diskFull);
  Logging log;
  log.board.SetTimeOfDay(kAfternoon);
  const QString path = log.LogEveryTick("lost.xls");
  log.Ticks(2, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("2"));
  const QPalette normal = log.form.Label14->palette();

  // Writes (root ignores permissions, so these stand for a read-only file too) fail from now on.
  std::filesystem::remove(path.toStdString());
  if (diskFull) {
    std::filesystem::create_symlink("/dev/full", path.toStdString());
  } else {
    std::filesystem::create_directory(path.toStdString());
  }
  ModalBoxes boxes;
  log.Ticks(3, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("2"));
  QVERIFY(log.form.Label14->toolTip().startsWith(QStringLiteral("3 line(s) could not be written")));
  QVERIFY(log.form.Label14->palette().color(QPalette::WindowText) != normal.color(QPalette::WindowText));
  QVERIFY(QAccessible::queryAccessibleInterface(log.form.Label14)
              ->text(QAccessible::Description)
              .startsWith(QStringLiteral("3 line(s)")));
  QCOMPARE(log.form.Check3->Value(), 1);
  QVERIFY(boxes.Seen().empty());

  // Writable again: the next line is written, counted, and the warning clears.
  std::filesystem::remove(path.toStdString());
  log.Ticks(1, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("3"));
  QCOMPARE(log.form.Label14->toolTip(), QString());
  QCOMPARE(log.form.Label14->palette().color(QPalette::WindowText), normal.color(QPalette::WindowText));
  // Written anew: the lost lines are not in it.
  QCOMPARE(Contents(path), Sample(kAfternoon));
}

// Lines are being lost from the first session on, and a header that was not
// written stays flagged after sample lines are written again.
void LoggingTest::aLostHeaderStaysFlagged() {
  Logging log;
  log.board.SetTimeOfDay(kAfternoon);
  const QString path = log.LogEveryTick("header.xls");
  log.Ticks(1, 0.005);
  log.form.Check3->Value(0);
  QCOMPARE(log.form.Label14->text(), QString());
  auto* lost = log.form.findChild<QLabel*>(QStringLiteral("lostLogLines"));
  QVERIFY(lost != nullptr);
  const QColor normal = log.form.Label14->palette().color(QPalette::WindowText);

  // A second session on a file that takes nothing: the counter starts at 0,
  // red, with the lost lines beside it, the restart line among them.
  std::filesystem::remove(path.toStdString());
  std::filesystem::create_symlink("/dev/full", path.toStdString());
  log.MakeLog(path);
  log.Ticks(2, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("0"));
  QVERIFY(log.form.Label14->palette().color(QPalette::WindowText) != normal);
  QCOMPARE(lost->text(), QStringLiteral("(3 lost)"));
  QVERIFY(lost->isVisible());

  // Sample lines are written again; the missing header stays flagged.
  std::filesystem::remove(path.toStdString());
  log.Ticks(1, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("1"));
  QCOMPARE(lost->text(), QStringLiteral("(1 lost)"));
  QVERIFY(log.form.Label14->toolTip().contains(QStringLiteral("header or restart line")));
  QVERIFY(log.form.Label14->palette().color(QPalette::WindowText) != normal);

  // A restart line that is written clears it.
  log.form.Check3->Value(0);
  log.MakeLog(path);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("0"));
  QCOMPARE(lost->text(), QString());
  QCOMPARE(log.form.Label14->palette().color(QPalette::WindowText), normal);
  QCOMPARE(Contents(path), Sample(kAfternoon) + logging::LogRestartLine());
}

void LoggingTest::failedReadsLogNoLine_data() {
  QTest::addColumn<bool>("remoteRead");
  QTest::newRow("both channels fail") << false;
  QTest::newRow("the local channel fails") << true;
}

void LoggingTest::failedReadsLogNoLine() {
  QFETCH(bool, remoteRead);
  Logging log;
  const QString path = log.LogEveryTick("reads.xls");
  log.form.Check1->Value(1);
  if (remoteRead) {
    // The address turns bad once the remote channel's low byte has been
    // read: every read after it fails, the local channel's first.
    log.board.Machine().Ports().SetObserver(&badAddressAfterRemote_);
  } else {
    LinkNewComPort::CurrentDeviceAddress = 0x1FF;
  }
  log.Ticks(3, 0.005);
  log.board.Machine().Ports().SetObserver(nullptr);
  QCOMPARE(Contents(path), logging::LogHeaderLine());
  QCOMPARE(log.form.Label14->text(), QStringLiteral("0"));
  QCOMPARE(log.form.Label14->toolTip(), QString());
  LinkNewComPort::CurrentDeviceAddress = VirtualBoard::kBoardChipAddressByte;
  log.Ticks(1, 0.005);
  QCOMPARE(log.form.Label14->text(), QStringLiteral("1"));
}

void LoggingTest::barsAloneLog() {
  Logging log;
  log.board.SetTimeOfDay(kAfternoon);
  const QString path = log.LogEveryTick("bars.xls");
  log.form.Check1->Value(1);
  log.form.Check2->Value(0);
  QCOMPARE(log.form.Check3->Value(), 1);
  log.Ticks(2, 0.005);
  QCOMPARE(Contents(path), logging::LogHeaderLine() + Sample(kAfternoon) + Sample(kAfternoon));
  QCOMPARE(log.form.Label14->text(), QStringLiteral("2"));
}

void LoggingTest::monitorsOffStopLogging() {
  Logging log;
  const QString path = log.LogEveryTick("off.xls");
  log.form.alert_button->Value(1);
  log.form.Check1->Value(1);
  log.Ticks(1, 0.005);
  log.form.Check2->Value(0);
  QCOMPARE(log.form.Check3->Value(), 1);
  log.form.Check1->Value(0);
  QCOMPARE(log.form.Check3->Value(), 2);
  QVERIFY(!log.form.Check3->isEnabled());
  QCOMPARE(log.form.Label14->text(), QString());
  QVERIFY(log.form.MakeLog_CMD->isEnabled());
  // The alert check goes on, but no line is logged.
  QVERIFY(log.form.Timer1->Enabled());
  const std::string before = Contents(path);
  log.Ticks(3, 0.005);
  QCOMPARE(Contents(path), before);
}

int main(int argc, char** argv) {
  app::Application application(argc, argv);
  LoggingTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_logging.moc"
