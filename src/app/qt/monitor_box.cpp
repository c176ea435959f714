#include "app/qt/monitor_box.h"

#include <QPainter>

#include "app/monitor_math.h"

namespace corvane {

TMonitorBox::TMonitorBox(QWidget* parent)
    : QWidget(parent), pen_(QColor(0x00, 0xFF, 0x00), 0) {
  // Every pixel is painted each time: nothing underneath needs drawing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMonitorBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  OnPaintMonitor(painter);
}

void TMonitorBox::OnPaintMonitor(QPainter& painter) {
  const int h = height();
  painter.fillRect(0, 0, width(), h, Qt::black);
  const int w = width() < sampleCount_ ? width() : sampleCount_;
  if (samples_ == nullptr || w <= 0) return;
  if (trace_.size() != w) trace_.resize(w);
  for (int x = 0; x < w; ++x) {
    trace_.setPoint(x, x, MonitorRow(h, samples_[x]));
  }
  painter.setPen(pen_);
  painter.drawPolyline(trace_.constData(), w);
}

}  // namespace corvane
