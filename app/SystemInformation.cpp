#include "SystemInformation.h"

#include "platform/Current.h"

namespace app {

QString SystemInformation::BuildNumber() const {
  return QString::fromStdString(platform::Current().BuildNumberText());
}

}  // namespace app
