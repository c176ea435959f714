#include "siggen/band_limited_edges.h"

#include <cmath>
#include <numbers>

namespace corvane::siggen {

namespace {

constexpr double kRate = 48000.0;
constexpr double kCutoff = 0.45;  // of the sample rate

double Sinc(double x) { return x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x); }

}  // namespace

BandLimitedStep::BandLimitedStep(double lowPassHz) {
  const int size = 2 * kHalfWidth * kStepsPerSample + 1;
  const double dt = 1.0 / kStepsPerSample;
  // The Blackman-windowed sinc's impulse response, integrated (trapezoids) into its step
  // response and scaled to end at exactly 1.
  std::vector<double> impulse(static_cast<std::size_t>(size));
  for (int k = 0; k < size; ++k) {
    const double t = -kHalfWidth + k * dt;
    const double window = 0.42 + 0.5 * std::cos(std::numbers::pi * t / kHalfWidth) +
                          0.08 * std::cos(2.0 * std::numbers::pi * t / kHalfWidth);
    impulse[static_cast<std::size_t>(k)] = 2.0 * kCutoff * Sinc(2.0 * kCutoff * t) * window;
  }
  table_.assign(static_cast<std::size_t>(size), 0.0);
  for (std::size_t k = 1; k < table_.size(); ++k) {
    table_[k] = table_[k - 1] + 0.5 * dt * (impulse[k - 1] + impulse[k]);
  }
  const double total = table_.back();
  for (double& value : table_) value /= total;
  if (lowPassHz <= 0.0) return;
  // The input's low-pass over the step response, on the table's fine grid: the input
  // taken as the mean of each step's two ends.
  const double tau = kRate / (2.0 * std::numbers::pi * lowPassHz);  // in samples
  const double gain = 1.0 - std::exp(-dt / tau);
  double y = 0.0;
  double previous = table_[0];
  for (double& value : table_) {
    y += gain * (0.5 * (previous + value) - y);
    previous = value;
    value = y;
  }
  tail_ = 1.0 - table_.back();
  decay_ = std::exp(-1.0 / tau);
}

double BandLimitedStep::At(double t) const {
  if (t <= -kHalfWidth) return 0.0;
  if (t >= kHalfWidth) {
    return 1.0 - tail_ * (decay_ == 0.0 ? 0.0 : std::pow(decay_, t - kHalfWidth));
  }
  const double position = (t + kHalfWidth) * kStepsPerSample;
  const auto k = static_cast<std::size_t>(position);
  const double fraction = position - static_cast<double>(k);
  return table_[k] + fraction * (table_[k + 1] - table_[k]);
}

BandLimitedEdges::BandLimitedEdges(PpmEdgeSource& source, double lowPassHz, double driftPpm)
    : source_(source), step_(lowPassHz), stretch_(1.0 + driftPpm * 1e-6) {
  if (!(stretch_ >= 1e-3)) stretch_ = 1e-3;
  const Edge first = source_.Next();
  next_ = {first.timeUs * 1e-6 * kRate * stretch_, first.rising ? 2.0 : -2.0};
}

double BandLimitedEdges::Next() {
  const auto now = static_cast<double>(sample_++);
  // Edges whose response has begun join the window; those past it leave their level
  // and, behind the low-pass, a decaying tail.
  while (next_.time - BandLimitedStep::kHalfWidth < now) {
    window_.push_back(next_);
    const Edge edge = source_.Next();
    next_ = {edge.timeUs * 1e-6 * kRate * stretch_, edge.rising ? 2.0 : -2.0};
  }
  tail_ *= step_.TailDecayPerSample();
  while (!window_.empty() && now - window_.front().time >= BandLimitedStep::kHalfWidth) {
    const PlacedEdge& edge = window_.front();
    settled_ += edge.delta;
    tail_ += edge.delta * (1.0 - step_.At(now - edge.time));
    window_.pop_front();
  }
  double level = settled_ - tail_;
  for (const PlacedEdge& edge : window_) level += edge.delta * step_.At(now - edge.time);
  return level;
}

}  // namespace corvane::siggen
