#pragma once

#include <QWidget>

#include "platform/controls/controls.hpp"

namespace lupe::qt {

// A line that lies in a container other than a picture box: a transparent
// widget spanning the line, which draws it by the compositor's line rule.
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
