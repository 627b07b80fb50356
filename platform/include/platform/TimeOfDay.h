#pragma once

namespace platform {

// Local time of day now, in seconds since midnight with fractions.
double LocalTimeOfDay();

}  // namespace platform
