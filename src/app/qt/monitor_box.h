#pragma once
// The "Monitor" box of the Input page: a paint box that the form draws on whenever it
// repaints, through a canvas over Qt's painter.

#include <QPen>
#include <QPolygon>
#include <QWidget>

namespace corvane {

class TFormCorvane;

class TMonitorBox : public QWidget {
 public:
  explicit TMonitorBox(QWidget* parent = nullptr);

  // The form that draws the box; without one the box stays black.
  void SetForm(const TFormCorvane* form) { form_ = form; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const TFormCorvane* form_ = nullptr;
  QPen pen_;
  QPolygon trace_;  // the pen's path; grows only when the box gets wider
};

}  // namespace corvane
