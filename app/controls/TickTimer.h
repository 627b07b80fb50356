#pragma once

#include <QObject>
#include <QTimer>

namespace controls {

// The windows' timer: Interval in milliseconds (0 = idle) and Enabled, as
// two independent settings; it ticks while both allow it.
//
// Ticks run on the window thread between other work, never inside it: a
// tick that falls due while another tick is still running, or while the
// message pump runs inside a handler's bus transfer, is dropped; the next
// one comes an interval later. So a tick never re-enters itself or another
// timer's tick, and never interrupts a handler that waits on the bus.
class TickTimer : public QObject {
  Q_OBJECT

 public:
  explicit TickTimer(QObject* parent = nullptr);

  int Interval() const { return interval_; }
  void Interval(int milliseconds);
  bool Enabled() const { return enabled_; }
  void Enabled(bool enabled);

  // True while the tick handler of some timer runs.
  static bool TickRunning();

 signals:
  void Tick();

 private:
  void Apply();
  void Fire();

  QTimer timer_;
  int interval_ = 0;
  bool enabled_ = true;
};

// The message pump that the bus waits of the communications component call:
// paints and serves the window system, but leaves user input queued until
// the handler that waits has finished, and holds off timer ticks meanwhile.
void PumpMessages();

// True while PumpMessages runs.
bool PumpRunning();

// Delivers the user input that PumpMessages held back to nobody: for a
// handler during which no control works (the wizard's search), what the user
// clicked or typed meanwhile is dropped rather than acted on after it.
void DropHeldInput();

}  // namespace controls
