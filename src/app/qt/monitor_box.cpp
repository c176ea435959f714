#include "app/qt/monitor_box.h"

#include <QPainter>

#include "app/form_corvane.h"

namespace corvane {

namespace {

QColor FromColourRef(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

// The form's drawing calls on a painter: the pen's moves and lines are gathered into one
// polyline, drawn when the pen moves again or the painting ends, as one call draws it
// fastest.
class PainterCanvas : public MonitorCanvas {
 public:
  PainterCanvas(QPainter& painter, QPen& pen, QPolygon& trace)
      : painter_(painter), pen_(pen), trace_(trace) {}
  ~PainterCanvas() { DrawTrace(); }

  void FillRect(int left, int top, int width, int height, std::uint32_t colour) override {
    DrawTrace();
    painter_.fillRect(left, top, width, height, FromColourRef(colour));
  }
  void SetPenColour(std::uint32_t colour) override {
    DrawTrace();
    if (const QColor wanted = FromColourRef(colour); pen_.color() != wanted) pen_.setColor(wanted);
    painter_.setPen(pen_);
  }
  void MoveTo(int x, int y) override {
    DrawTrace();
    Add(x, y);
  }
  void LineTo(int x, int y) override { Add(x, y); }

 private:
  void Add(int x, int y) {
    if (points_ == trace_.size()) trace_.resize(points_ + 256);
    trace_.setPoint(points_++, x, y);
  }
  void DrawTrace() {
    if (points_ > 1) painter_.drawPolyline(trace_.constData(), static_cast<int>(points_));
    points_ = 0;
  }

  QPainter& painter_;
  QPen& pen_;
  QPolygon& trace_;
  qsizetype points_ = 0;
};

}  // namespace

TMonitorBox::TMonitorBox(QWidget* parent) : QWidget(parent), pen_(QColor(0x00, 0xFF, 0x00), 0) {
  // Every pixel is painted each time: nothing underneath needs drawing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMonitorBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (form_ == nullptr) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  PainterCanvas canvas(painter, pen_, trace_);
  form_->OnPaintMonitor(canvas, width(), height());
}

}  // namespace corvane
