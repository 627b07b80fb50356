#pragma once

#include "platform/CanIo.h"
#include "platform/Clock.h"
#include "platform/Devices.h"
#include "platform/I2cAdapters.h"
#include "platform/Libraries.h"
#include "platform/MessagePump.h"
#include "platform/PortIo.h"
#include "platform/ServiceControl.h"
#include "platform/SharedMemory.h"
#include "platform/Version.h"

namespace platform {

// Everything that one process of the deliverables sees of its machine. The sim
// backend gives each virtual process its own; the host backend gives one.
class Process : public Version,
                public Clock,
                public MessagePump,
                public Devices,
                public ServiceControl,
                public Libraries,
                public PortIo,
                public CanIo,
                public SharedMemory,
                public I2cAdapters {
 public:
  ~Process() override = default;
};

}  // namespace platform
