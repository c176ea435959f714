// The window's 10 ms timer and the live monitor: channel bars on every tick, the
// waveform redrawn on every fourth.

#include "app/form_corvane.h"
#include "app/monitor_math.h"

namespace corvane {

void TFormCorvane::OnTimer() {
  tick_ = NextTick(tick_);
  if (MonitorRepaintDue(tick_)) view_.RepaintMonitor();
  for (std::size_t i = 0; i < kChannelBars.size(); ++i) {
    view_.SetBarPosition(kChannelBars[i], BarValue(receiver_->Channels.positions[i]));
  }
}

// Black, then a green trace of the first samples of the latest buffer, one line segment
// per column. Before the receiver exists the box stays black.
void TFormCorvane::OnPaintMonitor(MonitorCanvas& canvas, int width, int height) const {
  canvas.FillRect(0, 0, width, height, kMonitorBackground);
  canvas.SetPenColour(kMonitorTrace);
  if (receiver_ == nullptr) return;
  const int columns = width < kSampleCopySize ? width : kSampleCopySize;
  for (int x = 0; x < columns; ++x) {
    const int y = MonitorRow(height, receiver_->Samples[x]);
    if (x == 0) {
      canvas.MoveTo(0, y);
    } else {
      canvas.LineTo(x, y);
    }
  }
}

}  // namespace corvane
