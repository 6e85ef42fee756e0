#pragma once

#include <QPainter>
#include <QPalette>
#include <QWidget>

#include "platform/controls/controls.hpp"

namespace lupe::qt {

// Paints a line control in native pixels of its container: upright and level
// lines pixel-exactly (the end point left out, the width centred on the
// line), slanted ones with the painter's pen. Style 2 is dashed.
void paintLine(QPainter& painter, const Line& line, const QPalette& palette);

// A line that lies in a container other than a picture box: a transparent
// widget spanning the line, which paints it.
class LineWidget final : public QWidget {
 public:
  LineWidget(const Line& line, QWidget* parent);
  // Follows the line's end points and width.
  void place();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Line& line_;
};

}  // namespace lupe::qt
