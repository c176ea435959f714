#pragma once
// The Input page's volume slider: a horizontal slider over 0 … 65535 with ticks every
// 4096 on both sides, starting at the middle.

#include <QSlider>

namespace corvane {

class TSlider : public QSlider {
 public:
  explicit TSlider(QWidget* parent = nullptr);
};

}  // namespace corvane
