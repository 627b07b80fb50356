// The "Control Center" tab: graph, bar graphs, alert status, limit gauges,
// conversion rate, easy setup and logging.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "DesignName.h"
#include "MainMenuForm.h"
#include "registers/RegisterMap.h"

using app::Named;

namespace {

controls::LimitGauge* Gauge(const char* name, const QString& title, QWidget* parent) {
  auto* gauge = Named(new controls::LimitGauge(parent), name);
  gauge->setToolTip(QStringLiteral("Drag the pointers to change the limits"));
  gauge->setAccessibleName(title + QStringLiteral(" limits"));
  gauge->CaptionIndex(0);
  gauge->Caption(title);
  return gauge;
}

}  // namespace

QWidget* MainMenuForm::BuildControlCenterTab() {
  auto* page = new QWidget;

  // Graph.
  SSPanel6 = Named(new controls::Panel3D(QStringLiteral("Graph"), page), "SSPanel6");
  Strip1 = Named(new controls::StripChart(SSPanel6->Body()), "Strip1");
  Strip1->setToolTip(QStringLiteral(
      "Drag the Arrows to zoom in or out, Left Click Timestamps, Right Drag Moves Graph"));
  Strip1->AxisCaptionX(QStringLiteral("Time"));
  Strip1->AxisCaptionY(QStringLiteral("Temperature (C)"));
  Strip1->TraceName(0, QStringLiteral("Remote Temperature"));
  Strip1->TraceName(1, QStringLiteral("Local Temperature"));
  Strip1->ValueRange(0, 127);
  Strip1->setAccessibleName(SSPanel6->Caption());
  Strip1->setAccessibleDescription(QStringLiteral("Remote Temperature and Local Temperature against the time of day"));
  Check2 = Named(new controls::CheckBox(QStringLiteral("Graphing is Stopped"), SSPanel6->Body()), "Check2");
  Command6 = Named(new QPushButton(QStringLiteral("Clear Graph"), SSPanel6->Body()), "Command6");
  auto* graphControls = new QHBoxLayout;
  graphControls->addWidget(Check2);
  graphControls->addStretch(1);
  graphControls->addWidget(Command6);
  auto* graphLayout = new QVBoxLayout(SSPanel6->Body());
  graphLayout->setContentsMargins(0, 0, 0, 0);
  graphLayout->addWidget(Strip1, 1);
  graphLayout->addLayout(graphControls);

  // Bar graphs.
  auto* bars = new controls::Panel3D(QStringLiteral("Bargraphs"), page);
  Check1 = Named(new controls::CheckBox(QStringLiteral("Bargraphs are Off"), bars->Body()), "Check1");
  Percent1 = Named(new controls::PercentBar(bars->Body()), "Percent1");
  Percent1->Caption(QStringLiteral("Local Temp. = "));
  Percent1->Title(QStringLiteral("Local temperature bar"));
  Percent2 = Named(new controls::PercentBar(bars->Body()), "Percent2");
  Percent2->Caption(QStringLiteral("Remote Temp. = "));
  Percent2->Title(QStringLiteral("Remote temperature bar"));
  auto* barLayout = new QGridLayout(bars->Body());
  barLayout->setContentsMargins(0, 0, 0, 0);
  barLayout->addWidget(Percent1, 0, 0);
  barLayout->addWidget(Percent2, 0, 1);
  barLayout->addWidget(Check1, 1, 0, 1, 2);

  // Alert status.
  SSPanel20 = Named(new controls::Panel3D(QStringLiteral("Alert Status"), page), "SSPanel20");
  alert_button = Named(new controls::CheckBox(QStringLiteral("Not checking for a software Alert"),
                                              SSPanel20->Body()),
                       "alert_button");
  alert_detect_light = Named(new controls::Panel3D(QStringLiteral("Alert Detect Off"), SSPanel20->Body()),
                             "alert_detect_light");
  alert_detect_light->BackColor(QColor(192, 192, 192));
  alert_detect_light->setMinimumHeight(34);
  Command2 = Named(new QPushButton(QStringLiteral("Clr Alert Hardware Int"), SSPanel20->Body()), "Command2");
  Command2->setToolTip(QStringLiteral("Clear the Alert Hardware Interrupt "));
  auto* alertLayout = new QVBoxLayout(SSPanel20->Body());
  alertLayout->setContentsMargins(0, 0, 0, 0);
  alertLayout->addWidget(alert_button);
  alertLayout->addWidget(alert_detect_light);
  alertLayout->addWidget(Command2);
  alertLayout->addStretch(1);

  // Limits, conversion rate and easy setup.
  auto* limits = new controls::Panel3D(QStringLiteral("Limits"), page);
  LGauge1 = Gauge("LGauge1", QStringLiteral("Remote"), limits->Body());
  LGauge2 = Gauge("LGauge2", QStringLiteral("Local"), limits->Body());
  auto* limitLayout = new QHBoxLayout(limits->Body());
  limitLayout->setContentsMargins(0, 0, 0, 0);
  limitLayout->addWidget(LGauge1);
  limitLayout->addWidget(LGauge2);

  auto* rate = new controls::Panel3D(QStringLiteral("Conversion Rate"), page);
  Selector1 = Named(new controls::Selector(rate->Body()), "Selector1");
  Selector1->Caption(QString::fromLatin1(registers::kConversionRateHeading.data(),
                                         static_cast<qsizetype>(registers::kConversionRateHeading.size())));
  Selector1->setToolTip(QStringLiteral("Adjust the ADC Sampling rate"));
  QStringList labels;
  for (const std::string_view label : registers::ConversionRateLabels()) {
    labels << QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
  }
  Selector1->Labels(labels);
  Command1 = Named(new QPushButton(QStringLiteral("Easy Setup"), rate->Body()), "Command1");
  Command1->setToolTip(QStringLiteral("Automatic easy setup"));
  auto* rateLayout = new QVBoxLayout(rate->Body());
  rateLayout->setContentsMargins(0, 0, 0, 0);
  rateLayout->addWidget(Selector1, 1);
  rateLayout->addWidget(Command1);

  // Logging.
  SSPanel10 = Named(new controls::Panel3D(QStringLiteral("Log to File"), page), "SSPanel10");
  QWidget* log = SSPanel10->Body();
  MakeLog_CMD = Named(new QPushButton(QStringLiteral("Make New Log"), log), "MakeLog_CMD");
  Check3 = Named(new controls::CheckBox(QStringLiteral("Not Logging to File"), log), "Check3");
  // No log file yet: greyed and disabled, set before anything listens.
  Check3->Value(2);
  Check3->setEnabled(false);
  Label15 = Named(new QLabel(QStringLiteral("Delay(Sec):"), log), "Label15");
  Text1 = Named(new controls::TextBox(QStringLiteral("5"), log), "Text1");
  Text1->setMaxLength(4);
  Text1->SetKeyFilter(controls::DigitKeyFilter);
  Text1->setMaximumWidth(60);
  Label7 = Named(new QLabel(QStringLiteral("Logged:"), log), "Label7");
  Label14 = Named(new QLabel(QStringLiteral("0"), log), "Label14");
  Label13 = Named(new QLabel(QStringLiteral("Lines"), log), "Label13");
  lostLinesLabel_ = new QLabel(log);
  lostLinesLabel_->setObjectName(QStringLiteral("lostLogLines"));
  Label15->setBuddy(Text1);
  Label7->setEnabled(false);
  Label13->setEnabled(false);
  auto* logLayout = new QGridLayout(log);
  logLayout->setContentsMargins(0, 0, 0, 0);
  logLayout->addWidget(MakeLog_CMD, 0, 0, 1, 4);
  logLayout->addWidget(Check3, 1, 0, 1, 4);
  logLayout->addWidget(Label15, 2, 0);
  logLayout->addWidget(Text1, 2, 1);
  logLayout->addWidget(Label7, 3, 0);
  logLayout->addWidget(Label14, 3, 1);
  logLayout->addWidget(Label13, 3, 2);
  logLayout->addWidget(lostLinesLabel_, 3, 3);
  logLayout->setRowStretch(4, 1);
  // The count and "Lines" read as one phrase.
  logLayout->setColumnStretch(3, 1);
  Label14->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  auto* top = new QHBoxLayout;
  top->addWidget(SSPanel6, 1);
  top->addWidget(bars);
  auto* side = new QVBoxLayout;
  side->addWidget(SSPanel20);
  side->addWidget(SSPanel10);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(limits);
  bottom->addWidget(rate, 1);
  bottom->addLayout(side);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top, 3);
  layout->addLayout(bottom, 2);

  ShowLogCounter();
  ConnectControlCenter();
  return page;
}
