// The "Read/Write" tab: register selection, current register, bit digits,
// write boxes, standby, one-shot and continuous reading.
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "DesignName.h"
#include "MainMenuForm.h"
#include "RegisterPanel.h"
#include "registers/RegisterMap.h"

using app::Named;
using Additional_functions::ColourUpdateButton;

namespace {

constexpr char kUpdateTip[] = "Update with the written value in the Textbox";

// A label that shows a value; assistive technology reads `what` as its name
// and the value as its description.
QLabel* ValueLabel(const char* name, const char* what, QWidget* parent) {
  auto* label = Named(new QLabel(QStringLiteral("0"), parent), name);
  label->setAccessibleName(QString::fromLatin1(what));
  label->setAccessibleDescription(label->text());
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setMinimumWidth(44);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QPushButton* UpdateButton(const char* name, const char* what, QWidget* parent) {
  auto* button = Named(new QPushButton(parent), name);
  button->setFixedSize(22, 22);
  ColourUpdateButton(*button, false);
  button->setToolTip(QString::fromLatin1(kUpdateTip));
  button->setAccessibleName(QString::fromLatin1(what));
  return button;
}

}  // namespace

QWidget* MainMenuForm::BuildReadWriteTab() {
  auto* page = new QWidget;

  // Register selection: four columns of ribbons, each with its caption.
  struct RibbonRow {
    controls::RibbonButton*& ribbon;
    const char* name;
    const char* caption;
    int code;
  };
  const RibbonRow rows[] = {
      {SSRibbon4, "SSRibbon4", "Local Temp Value", registers::kLocalTemperature},
      {SSRibbon7, "SSRibbon7", "Remote Temp Value", registers::kRemoteTemperature},
      {SSRibbon8, "SSRibbon8", "Status", registers::kStatus},
      {SSRibbon9, "SSRibbon9", "Configuration", registers::kConfiguration},
      {SSRibbon12, "SSRibbon12", "Conversion Rate", registers::kConversionRate},
      {SSRibbon13, "SSRibbon13", "LocalTempHighLimit", registers::kLocalHighLimit},
      {SSRibbon14, "SSRibbon14", "LocalTempLowLimit", registers::kLocalLowLimit},
      {SSRibbon10, "SSRibbon10", "RemoteTempHighLimitHB", registers::kRemoteHighLimit},
      {SSRibbon15, "SSRibbon15", "RemoteTempLowLimitLB", registers::kRemoteLowLimit},
      {SSRibbon16, "SSRibbon16", "One Shot", registers::kOneShot},
      {SSRibbon17, "SSRibbon17", "ManufacturerID", registers::kManufacturerId},
      {SSRibbon11, "SSRibbon11", "Chip Revision Code", registers::kDieRevision},
      {SSRibbon1, "SSRibbon1", "RemoteTempValueLB", registers::kRemoteTemperatureLow},
      {SSRibbon2, "SSRibbon2", "RemoteTempOffHB", registers::kRemoteOffsetHigh},
      {SSRibbon6, "SSRibbon6", "RemoteTempOffLB", registers::kRemoteOffsetLow},
      {SSRibbon18, "SSRibbon18", "RemoteTempHighLimitLB", registers::kRemoteHighLimitLow},
      {SSRibbon19, "SSRibbon19", "RemoteTempLowLimitLB", registers::kRemoteLowLimitLow},
  };
  auto* selection = new controls::Panel3D(QStringLiteral("Register Select"), page);
  auto* grid = new QGridLayout(selection->Body());
  grid->setContentsMargins(2, 2, 2, 2);
  grid->setHorizontalSpacing(4);
  RegisterRibbons = new QButtonGroup(this);
  RegisterRibbons->setExclusive(true);
  constexpr int kPerColumn = 5;
  int index = 0;
  for (const RibbonRow& row : rows) {
    row.ribbon = Named(new controls::RibbonButton(selection->Body()), row.name);
    RegisterRibbons->addButton(row.ribbon, row.code);
    row.ribbon->setAccessibleName(QString::fromLatin1(row.caption));
    auto* caption = new controls::Panel3D(QString::fromLatin1(row.caption), selection->Body());
    caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    caption->setLineWidth(1);
    caption->setMinimumWidth(150);
    const int column = index / kPerColumn * 2;
    grid->addWidget(row.ribbon, index % kPerColumn, column);
    grid->addWidget(caption, index % kPerColumn, column + 1);
    ++index;
  }
  SSRibbon4->Value(true);

  // The current register.
  auto* current = new controls::Panel3D(QStringLiteral("Current Register"), page);
  auto* currentGrid = new QGridLayout(current->Body());
  Label6 = Named(new QLabel(QStringLiteral("Configuration"), current->Body()), "Label6");
  Label6->setAccessibleName(QStringLiteral("Current Register Type"));
  Label6->setAccessibleDescription(Label6->text());
  QFont bold = Label6->font();
  bold.setBold(true);
  Label6->setFont(bold);
  Label9 = ValueLabel("Label9", "Current Register Address (Hex)", current->Body());
  Label12 = ValueLabel("Label12", "Previous value written (Hex)", current->Body());
  Label20 = ValueLabel("Label20", "Previous value written (Dec)", current->Body());
  Label16 = ValueLabel("Label16", "Value read (Hex)", current->Body());
  Label2 = ValueLabel("Label2", "Value read (Dec)", current->Body());
  auto text = [&](const char* caption) { return new QLabel(QString::fromLatin1(caption), current->Body()); };
  currentGrid->addWidget(text("Current Register Type:"), 0, 0);
  currentGrid->addWidget(Label6, 0, 1, 1, 4);
  currentGrid->addWidget(text("Current Register Address:"), 1, 0);
  currentGrid->addWidget(Label9, 1, 1);
  currentGrid->addWidget(text("(Hex)"), 1, 2);
  currentGrid->addWidget(text("Previous value written:"), 2, 0);
  currentGrid->addWidget(Label12, 2, 1);
  currentGrid->addWidget(text("(Hex)"), 2, 2);
  currentGrid->addWidget(Label20, 2, 3);
  currentGrid->addWidget(text("(Dec)"), 2, 4);
  currentGrid->addWidget(text("Value read:"), 3, 0);
  currentGrid->addWidget(Label16, 3, 1);
  currentGrid->addWidget(text("(Hex)"), 3, 2);
  currentGrid->addWidget(Label2, 3, 3);
  currentGrid->addWidget(text("(Dec)"), 3, 4);
  currentGrid->setColumnStretch(5, 1);

  // The bit digits, bit 7 on the left, with their names above.
  auto* bits = new controls::Panel3D(QStringLiteral("Register Bits"), page);
  bits->setToolTip(QStringLiteral("Press any of these Digits to write to the QTW2640"));
  auto* bitGrid = new QGridLayout(bits->Body());
  controls::ClickLabel** digits[] = {&bit0, &bit1, &bit2, &bit3, &bit4, &bit5, &bit6, &bit7};
  QFont digitFont = bold;
  digitFont.setPointSizeF(digitFont.pointSizeF() * 2);
  for (int k = 0; k < 8; ++k) {
    const QByteArray digitName = "bit" + QByteArray::number(k);
    auto* digit = Named(new controls::ClickLabel(QStringLiteral("0"), bits->Body()), digitName.constData());
    digit->setFont(digitFont);
    digit->setAlignment(Qt::AlignCenter);
    digit->setFrameStyle(QFrame::Panel | QFrame::Raised);
    digit->setMinimumSize(40, 40);
    digit->setCursor(Qt::PointingHandCursor);
    *digits[k] = digit;
    auto* name = new QLabel(QStringLiteral("Bit %1").arg(k), bits->Body());
    name->setAlignment(Qt::AlignCenter);
    name->setMinimumWidth(64);
    bitname[k] = name;
    bitGrid->addWidget(name, 0, 7 - k);
    bitGrid->addWidget(digit, 1, 7 - k);
  }
  Additional_functions::NameBitDigits(*this);
  bitname[8] = new QLabel(QStringLiteral("(Click Digits)"), bits->Body());
  bitGrid->addWidget(bitname[8], 2, 0, 1, 8, Qt::AlignHCenter);

  // The write boxes.
  auto* write = new controls::Panel3D(QStringLiteral("Write"), page);
  auto* writeGrid = new QGridLayout(write->Body());
  struct WriteRow {
    controls::TextBox*& box;
    const char* boxName;
    QPushButton*& button;
    const char* buttonName;
    int caption;
    const char* captionText;
    const char* boxWhat;
    const char* buttonWhat;
  };
  const WriteRow writeRows[] = {
      {Text6, "Text6", Command4, "Command4", 16, "Hex", "Hex value", "Write hex value"},
      {Text7, "Text7", Command5, "Command5", 17, "Dec", "Decimal value", "Write decimal value"},
      {Text2, "Text2", Command3, "Command3", 9, "Ptr", "Register pointer (Hex)", "Select register at pointer"},
  };
  int writeRow = 0;
  for (const WriteRow& row : writeRows) {
    bitname[row.caption] = new QLabel(QString::fromLatin1(row.captionText), write->Body());
    row.box = Named(new controls::TextBox(QStringLiteral("00"), write->Body()), row.boxName);
    row.box->SetKeyFilter(controls::HexKeyFilter);
    row.box->setMaximumWidth(70);
    row.box->setAccessibleName(QString::fromLatin1(row.boxWhat));
    bitname[row.caption]->setBuddy(row.box);
    row.button = UpdateButton(row.buttonName, row.buttonWhat, write->Body());
    writeGrid->addWidget(bitname[row.caption], writeRow, 0);
    writeGrid->addWidget(row.box, writeRow, 1);
    writeGrid->addWidget(row.button, writeRow, 2);
    ++writeRow;
  }
  // The selected register at start is read-only.
  for (QWidget* w : std::initializer_list<QWidget*>{Text6, Text7, Command4, Command5}) w->setEnabled(false);
  for (int k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17}) {
    bitname[k]->setObjectName(QStringLiteral("bitname_%1").arg(k));
  }

  // Standby, one-shot and continuous reading.
  auto* mode = new controls::Panel3D(QStringLiteral("Chip Mode"), page);
  auto* modeGrid = new QGridLayout(mode->Body());
  SSRibbon3 = Named(new controls::RibbonButton(mode->Body()), "SSRibbon3");
  SSRibbon3->setAccessibleName(QStringLiteral("Standby Mode"));
  SSPanel2 = Named(new controls::Panel3D(QStringLiteral("Standby Mode is Off"), mode->Body()), "SSPanel2");
  CommandButton1 = Named(new QPushButton(QStringLiteral("Make One-Shot Measurement"), mode->Body()),
                         "CommandButton1");
  CommandButton1->setEnabled(false);
  Label1 = ValueLabel("Label1", "Temperature Found", mode->Body());
  Label1->setMinimumWidth(64);
  Additional_functions::ShowValue(*Label1, QString());
  SSRibbon5 = Named(new controls::RibbonButton(mode->Body()), "SSRibbon5");
  SSRibbon5->setAccessibleName(QStringLiteral("Continuous Reading"));
  SSPanel7 = Named(new controls::Panel3D(QStringLiteral("Continuous Reading is Off"), mode->Body()),
                   "SSPanel7");
  modeGrid->addWidget(SSRibbon3, 0, 0);
  modeGrid->addWidget(SSPanel2, 0, 1, 1, 2);
  modeGrid->addWidget(CommandButton1, 1, 1, 1, 2);
  modeGrid->addWidget(new QLabel(QStringLiteral("Temperature Found:"), mode->Body()), 2, 1);
  modeGrid->addWidget(Label1, 2, 2, Qt::AlignLeft);
  modeGrid->addWidget(SSRibbon5, 3, 0);
  modeGrid->addWidget(SSPanel7, 3, 1, 1, 2);

  auto* lower = new QHBoxLayout;
  lower->addWidget(write);
  lower->addWidget(mode, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(current);
  right->addWidget(bits);
  right->addLayout(lower);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(selection);
  layout->addLayout(right, 1);
  return page;
}
