#include "app/qt/slider.h"

namespace corvane {

TSlider::TSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setRange(0, 65535);
  setTickInterval(4096);
  setTickPosition(QSlider::TicksBothSides);
  setValue(32768);
}

}  // namespace corvane
