#include "entry/session_ending.hpp"

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QTimer>

#include "platform/qt/qt_backend.hpp"

namespace lupe {
namespace {

void tell(const Ending& ending) {
  std::fputs(ending.told().c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

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

void SessionEnding::finish() {
  tell(*ending_);
  if (runtime_) runtime_->closeRequested();
  QCoreApplication::exit(ending_->status);
}

void SessionEnding::endNow(const Ending& ending) {
  if (!ending_) ending_ = ending;
  tell(*ending_);
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
