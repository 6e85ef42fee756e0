#include "entry/session_ending.hpp"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <QCoreApplication>
#include <QTimer>

#include "platform/qt/qt_backend.hpp"

namespace lupe {

void SessionEnding::attach(FormRuntime& runtime, qt::QtBackend& toolkit) {
  runtime_ = &runtime;
  toolkit_ = &toolkit;
}

void SessionEnding::detach() {
  runtime_ = nullptr;
  toolkit_ = nullptr;
}

void SessionEnding::end(Ending ending) {
  if (ending_) return;
  ending_ = std::move(ending);
  // Without a window there is nothing to close under anyone's feet.
  if (!runtime_) return finish();
  QTimer::singleShot(0, [this] { finish(); });
}

// Once, whichever way the ending comes: a lost display may follow an
// ending already told.
void SessionEnding::tell() {
  if (std::exchange(told_, true)) return;
  std::fputs(ending_->told().c_str(), stderr);
  std::fflush(stderr);
}

void SessionEnding::finish() {
  tell();
  if (runtime_) runtime_->closeRequested();
  QCoreApplication::exit(ending_->status);
}

void SessionEnding::endNow(const Ending& ending) {
  if (!ending_) ending_ = ending;
  tell();
  if (runtime_ && !closing_) {
    closing_ = true;
    runtime_->closeRequested();
  }
  std::_Exit(ending_->status);
}

void SessionEnding::close() {
  if (toolkit_) return toolkit_->closeWindow(0);
  end({"", "", 0});
}

}  // namespace lupe
