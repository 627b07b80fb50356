// The search wizard's media from the kernel's adapters. On a Linux PC they
// are the media: the on-board box searches the adapters not below USB, the
// USB box those below USB, and a box with nothing to search says in dark red
// what is missing. On the virtual PC the Windows rules stand; a USB bridge
// only adds the USB box they otherwise keep hidden.
#include <QLabel>
#include <QStringList>

#include "InitForm.h"
#include "platform/Current.h"

namespace {

QString Labels(const std::vector<platform::I2cAdapterInfo>& adapters) {
  QStringList labels;
  for (const auto& adapter : adapters) labels << QString::fromStdString(devicesearch::AdapterLabel(adapter));
  return labels.join(QStringLiteral("; "));
}

}  // namespace

void InitForm::ApplyAdapterRules(bool usbRefused) {
  platform::I2cAdapters& machine = platform::Current();
  kernelMedia_ = machine.KernelMedia();
  adapterMedia_ = devicesearch::SortAdapters(machine.ListI2cAdapters());
  if (!kernelMedia_) {
    if (adapterMedia_.usb.empty()) return;
    USBCheck->show();
    USBSearchDescLBL->show();
    // The 95 rule has already said why USB cannot be used there.
    if (usbRefused) return;
    USBCheck->setEnabled(true);
    USBSearchDescLBL->setText(QStringLiteral("A USB-to-SMBus bridge: ") + Labels(adapterMedia_.usb) +
                              QStringLiteral("."));
    return;
  }
  // The base address box serves a host controller's registers, which the
  // kernel's drivers own here.
  SMBusBaseAddressTXT->hide();
  SMBusBaseAddressTXT->setEnabled(false);
  ApplyKernelMediumRule(SMBusCheck, SMBusSearchDescLBL, devicesearch::OnBoardUnavailable(adapterMedia_),
                        QStringLiteral("The kernel's I2C and SMBus adapters of this PC: ") +
                            Labels(adapterMedia_.onBoard) +
                            QStringLiteral(". Display connectors' buses are not searched."));
  USBCheck->show();
  USBSearchDescLBL->show();
  ApplyKernelMediumRule(USBCheck, USBSearchDescLBL, devicesearch::UsbUnavailable(adapterMedia_),
                        QStringLiteral("USB-to-I2C bridges: ") + Labels(adapterMedia_.usb) + QStringLiteral("."));
}

// A medium that has adapters is checked, so that Next twice searches it.
void InitForm::ApplyKernelMediumRule(controls::CheckBox* box, QLabel* description, const std::string& unavailable,
                                     const QString& available) {
  if (unavailable.empty()) {
    description->setText(available);
    SetForeColor(description, palette().color(QPalette::WindowText));
    box->setEnabled(true);
    box->Value(1);
    return;
  }
  description->setText(QString::fromStdString(unavailable));
  SetForeColor(description, kDarkRed);
  box->Value(0);
  box->setEnabled(false);
}
