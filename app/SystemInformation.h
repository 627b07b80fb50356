#pragma once

#include <QString>

namespace app {

// The system-information object the search wizard creates at load: it
// gives the running Windows build number as decimal text (on this system,
// the personality of the machine the program runs on).
class SystemInformation {
 public:
  QString BuildNumber() const;
};

}  // namespace app
