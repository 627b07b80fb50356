#include "MachineLine.h"

#include <QLabel>
#include <QSysInfo>
#include <cstdlib>
#include <optional>

namespace app {

namespace {

std::optional<qtscli::MachineKind>& Started() {
  static std::optional<qtscli::MachineKind> kind;
  return kind;
}

}  // namespace

void SetRunningMachine(qtscli::MachineKind kind) { Started() = kind; }

qtscli::MachineKind RunningMachine() {
  if (Started()) return *Started();
  const char* named = std::getenv("QTS_MACHINE");
  return qtscli::KindOfMachine(named ? named : "");
}

QString MachineLineText(qtscli::MachineKind kind) {
  const std::string host = kind == qtscli::MachineKind::Host ? QSysInfo::machineHostName().toStdString() : "";
  return QStringLiteral("Machine: ") + QString::fromStdString(qtscli::DescribeMachine(kind, host));
}

QLabel* NewMachineLine(QWidget* parent) {
  const qtscli::MachineKind kind = RunningMachine();
  auto* line = new QLabel(MachineLineText(kind), parent);
  line->setObjectName(QStringLiteral("MachineLBL"));
  const QString choosing =
      kind == qtscli::MachineKind::Host
          ? QStringLiteral("Start QtsEval --machine sim to use the virtual PC instead.")
          : QStringLiteral("Start QtsEval --machine host to use this PC's own hardware.");
  line->setToolTip(choosing);
  line->setAccessibleDescription(choosing);
  return line;
}

}  // namespace app
