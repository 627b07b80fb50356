#pragma once

#include <string>

// What the Control Center's two bar graphs show for a reading. The two media
// caption their bars differently, and the program keeps both ways.
namespace monitor {

enum class Channel { Remote, Local };

struct BarReading {
  std::string caption;
  double percent;  // of full scale: 127 degrees fill the bar
};

// The bar for `reading` of `channel`. Over the printer port the remote
// caption has no unit and the local bar drops the fraction of its percent;
// over the on-board SMBus both captions carry a plus sign before a reading
// other than 0 and both bars keep the fraction.
BarReading BarOf(Channel channel, bool printerPort, float reading);

}  // namespace monitor
