#include "controls/TickTimer.h"

#include <QCoreApplication>
#include <QEvent>

namespace controls {
namespace {

// Everything here runs on the window thread, so plain counters do.
int gTicksRunning = 0;
int gPumpsRunning = 0;

struct Depth {
  explicit Depth(int& counter) : counter_(counter) { ++counter_; }
  ~Depth() { --counter_; }
  Depth(const Depth&) = delete;
  Depth& operator=(const Depth&) = delete;
  int& counter_;
};

}  // namespace

TickTimer::TickTimer(QObject* parent) : QObject(parent) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &TickTimer::Fire);
}

void TickTimer::Interval(int milliseconds) {
  interval_ = milliseconds < 0 ? 0 : milliseconds;
  Apply();
}

void TickTimer::Enabled(bool enabled) {
  enabled_ = enabled;
  Apply();
}

bool TickTimer::TickRunning() { return gTicksRunning > 0; }

void TickTimer::Apply() {
  if (enabled_ && interval_ > 0) {
    // Restarting an active timer would push its next tick out on every
    // assignment; only a changed interval needs it.
    if (!timer_.isActive() || timer_.interval() != interval_) timer_.start(interval_);
  } else {
    timer_.stop();
  }
}

void TickTimer::Fire() {
  if (gTicksRunning > 0 || gPumpsRunning > 0) return;
  Depth depth(gTicksRunning);
  emit Tick();
}

void PumpMessages() {
  Depth depth(gPumpsRunning);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool PumpRunning() { return gPumpsRunning > 0; }

namespace {

class InputSink : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override { return event->isInputEvent(); }
};

}  // namespace

void DropHeldInput() {
  InputSink sink;
  QCoreApplication::instance()->installEventFilter(&sink);
  QCoreApplication::processEvents();
}

}  // namespace controls
