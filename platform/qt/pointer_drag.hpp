#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace lupe::qt {

// Moves a top-level window with the pointer until the left button comes up:
// the interactive move for window managers that offer none of their own
// (no _NET_WM_MOVERESIZE), or no window manager at all.
class PointerDrag final : public QObject {
 public:
  ~PointerDrag() override;
  // Starts following the pointer; false when the left button is not down.
  bool start(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void stop();

  QPointer<QWidget> window_;
  QPoint grabbedAt_;  // the pointer's place on the window's frame
};

}  // namespace lupe::qt
