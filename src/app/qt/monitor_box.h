#pragma once
// The "Monitor" box of the Input page: draws the first samples of the latest captured
// buffer as a green trace on black, one line segment per pixel column.

#include <QPen>
#include <QPolygon>
#include <QWidget>
#include <cstdint>

namespace corvane {

class TMonitorBox : public QWidget {
 public:
  explicit TMonitorBox(QWidget* parent = nullptr);

  // The receiver's sample copy, `count` samples long; the box draws its first samples,
  // one per column. Without one the box stays black.
  void SetSamples(const std::int16_t* samples, int count) {
    samples_ = samples;
    sampleCount_ = count;
  }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnPaintMonitor(QPainter& painter);

  const std::int16_t* samples_ = nullptr;
  int sampleCount_ = 0;
  QPen pen_;
  QPolygon trace_;  // one point per column; reallocated only when the box's width changes
};

}  // namespace corvane
