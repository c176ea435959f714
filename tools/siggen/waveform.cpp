#include "siggen/waveform.h"

namespace corvane::siggen {

LevelRenderer::LevelRenderer(SegmentSource& source, double driftPpm)
    : source_(source), stretch_(1.0 + driftPpm * 1e-6) {
  // A drift of -1e6 ppm or below would give segments no length at all.
  if (!(stretch_ >= 1e-3)) stretch_ = 1e-3;
}

bool LevelRenderer::Next() {
  // Boundaries are exact integers of ticks scaled once: without drift the comparison is
  // exact, and with drift the error never accumulates from one segment to the next.
  const double now = static_cast<double>(sample_ * kTicksPerSample);
  while (static_cast<double>(segmentEnd_) * stretch_ <= now) {
    const Segment next = source_.Next();
    segmentEnd_ += next.ticks;
    high_ = next.high;
  }
  ++sample_;
  return high_;
}

}  // namespace corvane::siggen
