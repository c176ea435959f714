#include "decode/ppm_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>

namespace corvane {

namespace {

// The step size forgets over about 0.2 s, so a signal that becomes quieter is found
// again: by this factor at every kSwingDecayEvery-th sample.
constexpr double kSwingDecay = 0.9936;
constexpr double kSwingWeight = 0.25;
// The levels on either side of an edge are read this many samples from its steepest
// step: past the band-limited transition, well within the shortest separator (14 samples).
constexpr int kLevelDistance = 4;
// An edge that keeps rising for longer than this is taken as it stands.
constexpr int kLongestEdge = 12;
// The signal between two samples is rebuilt from this many samples on each side: a
// windowed sinc, as a band-limited capture allows.
constexpr int kKernelHalfWidth = 8;
// Steps of refining the crossing between two samples.
constexpr int kRefinements = 5;

// The band-limited signal at `t` samples past sample `first` + kKernelHalfWidth - 1,
// 0 <= t <= 1, from the samples first … first + 2 kKernelHalfWidth - 1: a sinc under a
// window (1 - (x / w)^2)^2 that needs no further sine.
template <class Samples>
double Between(const Samples& at, std::int64_t base, double t) {
  constexpr double kPi = 3.14159265358979323846;
  constexpr double kWidth = kKernelHalfWidth + 1.0;
  if (t <= 0.0) return at(base);
  if (t >= 1.0) return at(base + 1);
  // sin(pi (t - k)) = (-1)^(k + 1) sin(pi t) for a whole k.
  const double sine = std::sin(kPi * t);
  double sum = 0.0;
  double weights = 0.0;
  for (int k = 1 - kKernelHalfWidth; k <= kKernelHalfWidth; ++k) {
    const double x = t - k;
    const double r = x / kWidth;
    const double window = (1.0 - r * r) * (1.0 - r * r);
    const double sinc = ((k & 1) != 0 ? sine : -sine) / (kPi * x);
    const double weight = sinc * window;
    sum += weight * at(base + k);
    weights += weight;
  }
  return sum / weights;
}

}  // namespace

void PpmDecoder::SetSwing(double value) {
  swing = value;
  // An edge is a difference of at least half the swing: for a whole number, at least
  // the half rounded up.
  threshold = std::max(kSmallestStep, static_cast<std::int32_t>(std::ceil(0.5 * swing)));
}

bool PpmDecoder::Step(TInputControl& receiver, std::int64_t n, std::int32_t difference,
                      PpmFrameResult& result) {
  if (n % kSwingDecayEvery == 0) SetSwing(swing * kSwingDecay);

  // Follow the steepest difference over kEdgeSpan samples while it stays large.
  const std::int32_t size = std::abs(difference);
  if (inEdge) {
    const bool same = (difference > 0) == edgeRising && 2 * size >= threshold;
    if (same && size > edgePeak) {
      edgePeak = size;
      edgePeakAt = n;
    }
    if (!same || n - edgePeakAt >= kLongestEdge) {
      inEdge = false;
      edgePending = true;
    }
  } else if (!edgePending && size >= threshold) {
    inEdge = true;
    edgeRising = difference > 0;
    edgePeak = size;
    edgePeakAt = n;
  }
  // Timing needs the samples up to kKernelHalfWidth + 2 after the steepest step.
  static_assert(kSamplesAfterEdge == kKernelHalfWidth + 1);
  if (edgePending && n >= edgePeakAt + kSamplesAfterEdge) {
    edgePending = false;
    const TimedEdge edge = TimeEdge(frames.NeedsExactTime());
    SetSwing(swing + kSwingWeight * (edge.step - swing));
    frames.TakeEdge(edge.time, edgeRising);
    quietUntil = static_cast<std::int64_t>(std::floor(edge.time + PpmFrames::kGapSamples));
  }
  // Nothing to ask the frames until a gap has passed, and then once per gap.
  if (inEdge || edgePending || n <= quietUntil) return false;
  quietUntil = std::numeric_limits<std::int64_t>::max();
  return frames.EndAfterGap(static_cast<double>(n), receiver, result);
}

PpmDecoder::TimedEdge PpmDecoder::TimeEdge(bool exact) const {
  const std::int32_t sign = edgeRising ? 1 : -1;
  // The steepest single step of the edge: from sample j to j + 1.
  std::int64_t j = edgePeakAt - 1;
  for (std::int64_t k = edgePeakAt - kEdgeSpan; k < edgePeakAt; ++k) {
    if (sign * (At(k + 1) - At(k)) > sign * (At(j + 1) - At(j))) j = k;
  }
  // The levels before and after the edge, each the mean of two samples. On an
  // AC-coupled signal both droop; reading them close to the edge follows.
  const double before = 0.5 * (At(j - kLevelDistance + 1) + At(j - kLevelDistance));
  const double after = 0.5 * (At(j + kLevelDistance) + At(j + kLevelDistance + 1));
  // The edge's time is the mean of the times it crosses three levels between them: the
  // noise of three crossings in part averages out, and every edge of one direction has
  // the same shape, so the choice of levels only shifts them all alike. An edge no frame
  // will use is timed roughly, at one level, for the gaps alone.
  double sum = 0.0;
  int crossings = 0;
  static constexpr double kExactLevels[] = {0.3, 0.5, 0.7};
  static constexpr double kRoughLevel[] = {0.5};
  for (const double fraction :
       exact ? std::span<const double>(kExactLevels) : std::span<const double>(kRoughLevel)) {
    const double time = Crossing(j, before + fraction * (after - before), exact);
    if (std::isnan(time)) continue;
    sum += time;
    ++crossings;
  }
  const double time = crossings > 0 ? sum / crossings : static_cast<double>(j) + 0.5;
  return {time, std::abs(after - before)};
}

double PpmDecoder::Crossing(std::int64_t j, double level, bool exact) const {
  const double sign = edgeRising ? 1.0 : -1.0;
  // The crossing nearest to the steepest step, between two samples i and i + 1, refined
  // on the rebuilt signal (regula falsi, Illinois variant): a straight line between the
  // samples misses it by up to a twentieth of a sample.
  const auto at = [this](std::int64_t index) { return static_cast<double>(At(index)); };
  for (const std::int64_t offset : {0, -1, 1, -2, 2}) {
    const std::int64_t i = j + offset;
    double lowT = 0.0, highT = 1.0;
    double low = sign * (at(i) - level), high = sign * (at(i + 1) - level);
    if (!(low < 0.0 && high >= 0.0)) continue;
    double t = low / (low - high);
    for (int r = 0; exact && r < kRefinements; ++r) {
      const double value = sign * (Between(at, i, t) - level);
      if (value < 0.0) {
        lowT = t, low = value;
        high *= 0.5;
      } else {
        highT = t, high = value;
        low *= 0.5;
      }
      if (high == low) break;
      t = lowT + (highT - lowT) * low / (low - high);
    }
    return static_cast<double>(i) + t;
  }
  return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace corvane
