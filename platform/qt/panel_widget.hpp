#pragma once

#include <QGroupBox>

#include "platform/controls/controls.hpp"
#include "platform/controls/view_composer.hpp"

namespace lupe::qt {

// A frame: Qt's group box with the frame's caption, and over its face the
// lines the frame holds, drawn by the same pixel rule as the view's.
class PanelWidget final : public QGroupBox {
 public:
  PanelWidget(const Frame& frame, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Frame& frame_;
  ViewComposer composer_;
};

}  // namespace lupe::qt
