#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <map>
#include <optional>

#include "RegisterPanel.h"
#include "controls/CheckBox.h"
#include "controls/ClickLabel.h"
#include "controls/LimitGauge.h"
#include "controls/Panel3D.h"
#include "controls/PercentBar.h"
#include "controls/RibbonButton.h"
#include "controls/Selector.h"
#include "controls/StripChart.h"
#include "controls/TextBox.h"
#include "controls/TickTimer.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QTabWidget;
class frmAbout;

// The main window: the tabs "Main", "Read/Write" and "Control Center". The
// controls keep their design names; the tabs' layouts are built in one file
// each.
class MainMenuForm : public QWidget {
  Q_OBJECT

 public:
  explicit MainMenuForm(QWidget* parent = nullptr);

  static constexpr int kMainTab = 0;
  static constexpr int kReadWriteTab = 1;
  static constexpr int kControlCenterTab = 2;

  // Disables the monitoring loop's and the continuous reading's timers; the
  // check boxes and ribbons that asked for them keep their values.
  void StopMonitorTimers();

  // The About box while it is loaded.
  frmAbout* AboutBox() const;

  QTabWidget* MainTab;

  // "Main" tab.
  QLabel* Label24;
  QLabel* Label25;
  QLabel* lblVersion;
  QLabel* Picture1;
  QPushButton* Command7;
  QPushButton* Quit;

  // "Read/Write" tab: register selection.
  controls::RibbonButton* SSRibbon1;
  controls::RibbonButton* SSRibbon2;
  controls::RibbonButton* SSRibbon4;
  controls::RibbonButton* SSRibbon6;
  controls::RibbonButton* SSRibbon7;
  controls::RibbonButton* SSRibbon8;
  controls::RibbonButton* SSRibbon9;
  controls::RibbonButton* SSRibbon10;
  controls::RibbonButton* SSRibbon11;
  controls::RibbonButton* SSRibbon12;
  controls::RibbonButton* SSRibbon13;
  controls::RibbonButton* SSRibbon14;
  controls::RibbonButton* SSRibbon15;
  controls::RibbonButton* SSRibbon16;
  controls::RibbonButton* SSRibbon17;
  controls::RibbonButton* SSRibbon18;
  controls::RibbonButton* SSRibbon19;
  // Keeps one register ribbon pressed at a time.
  QButtonGroup* RegisterRibbons;

  // "Read/Write" tab: current register, bits, write boxes.
  QLabel* Label6;
  QLabel* Label9;
  QLabel* Label12;
  QLabel* Label20;
  QLabel* Label16;
  QLabel* Label2;
  controls::ClickLabel* bit0;
  controls::ClickLabel* bit1;
  controls::ClickLabel* bit2;
  controls::ClickLabel* bit3;
  controls::ClickLabel* bit4;
  controls::ClickLabel* bit5;
  controls::ClickLabel* bit6;
  controls::ClickLabel* bit7;
  // Elements 0..7 name bits 0..7; 8, 9, 16 and 17 caption the bit frame and
  // the write boxes.
  std::map<int, QLabel*> bitname;
  controls::TextBox* Text6;
  controls::TextBox* Text7;
  controls::TextBox* Text2;
  QPushButton* Command4;
  QPushButton* Command5;
  QPushButton* Command3;

  // "Read/Write" tab: standby, one-shot and continuous reading.
  controls::RibbonButton* SSRibbon3;
  controls::Panel3D* SSPanel2;
  QPushButton* CommandButton1;
  QLabel* Label1;
  controls::RibbonButton* SSRibbon5;
  controls::Panel3D* SSPanel7;
  controls::TickTimer* Timer3;
  // The register panel's variables.
  Additional_functions::PanelVariables Panel;

  // "Control Center" tab: graph.
  controls::Panel3D* SSPanel6;
  controls::StripChart* Strip1;
  QPushButton* Command6;
  controls::CheckBox* Check2;
  // Bar graphs.
  controls::CheckBox* Check1;
  controls::PercentBar* Percent1;
  controls::PercentBar* Percent2;
  // Alert status.
  controls::Panel3D* SSPanel20;
  controls::CheckBox* alert_button;
  controls::Panel3D* alert_detect_light;
  QPushButton* Command2;
  // Limits and conversion rate.
  controls::LimitGauge* LGauge1;
  controls::LimitGauge* LGauge2;
  controls::Selector* Selector1;
  QPushButton* Command1;
  // Logging.
  controls::Panel3D* SSPanel10;
  QPushButton* MakeLog_CMD;
  controls::CheckBox* Check3;
  controls::TextBox* Text1;
  QLabel* Label15;
  QLabel* Label7;
  QLabel* Label14;
  QLabel* Label13;
  controls::TickTimer* Timer1;

  // "Control Center" tab: the monitoring loop, the limits and the logging.
  // Loads the selector and the gauges from the chip, resets the monitors
  // and leaves standby; runs on every entry into the tab.
  void InitControlCenter();
  // One tick of the monitoring loop.
  void Timer1_Timer();
  // A temperature from its high and its low byte register, read in that
  // order; a failed read throws and forms no temperature.
  float ReadTemperature(std::int16_t highRegister, std::int16_t lowRegister);
  // 1 when the status register shows a limit flag, else 0.
  std::int16_t SoftwareAlertPresent();
  // Starts or stops Timer1 from the three monitor boxes and sets their
  // captions, the light and the bars.
  void UpdateMonitorState();
  // Writes the default rate and limits and switches every monitor on.
  void EasySetup();

  // The log file's path; empty while none has been chosen.
  QString LogFileName;
  // Whole seconds since midnight of the last logged line.
  std::int32_t LastLogTime = 0;
  // 1 while EasySetup runs: the gauges' notifications are ignored then.
  std::uint8_t EasySetupActive = 0;

 private:
  // "Control Center" tab.
  // The three looks of the alert light.
  enum class AlertLook { Off, Clear, Alert };
  void ConnectControlCenter();
  void alert_button_Click();
  void Check1_Click();
  void Check2_Click();
  void Command6_Click();
  void Strip1_MouseDown(Qt::MouseButton button);
  void ShowAlertLight(AlertLook look);
  void LoadGauge(controls::LimitGauge& gauge, int highRegister, int lowRegister);
  void LimitPointerMoved(controls::LimitGauge& gauge, int highWriteRegister, int lowWriteRegister);
  void Selector1_Change(int position);
  void Command1_Click();
  void MakeLog_CMD_Click();
  QString ChooseLogFile();
  void Check3_Click();
  void Text1_Change();
  void LogReadings(std::optional<float> remote, std::optional<float> local);
  void ShowLogCounter();
  // Sample lines that could not be written since the last one that could.
  int lostLogLines_ = 0;
  // The header or restart line of the log file could not be written; only
  // a later header or restart line that is written clears it.
  bool lostStartLine_ = false;
  // Beside the counter while lines are being lost: how many.
  QLabel* lostLinesLabel_ = nullptr;

  QWidget* BuildMainTab();
  QWidget* BuildReadWriteTab();
  QWidget* BuildControlCenterTab();

  void Form_Load();
  void MainTab_Click(int PreviousTab);
  void Command7_Click();
  void Quit_Click();

  // "Read/Write" tab handlers (and Command2 of the alert frame).
  void ConnectReadWriteTab();
  void RegisterRibbon_Click(int code);
  void bit_Click(int k);
  void Command4_Click();
  void Command5_Click();
  void Command3_Click();
  void SSRibbon3_Click();
  void CommandButton1_Click();
  void SSRibbon5_Click();
  void Timer3_Timer();
  void Command2_Click();

  QPointer<frmAbout> about_;
  int currentTab_ = kMainTab;
};
