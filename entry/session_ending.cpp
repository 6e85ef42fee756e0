#include "entry/session_ending.hpp"

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include "platform/qt/qt_backend.hpp"

namespace lupe {
namespace {

void tell(const Ending& ending) {
  if (ending.line.empty()) return;
  std::fprintf(stderr, "%s\n", ending.line.c_str());
  if (!ending.cause.empty()) std::fprintf(stderr, "Ursache: %s\n", ending.cause.c_str());
  std::fflush(stderr);
}

bool onTheEventLoopsThread() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application && QThread::currentThread() == application->thread();
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
  // Widgets are only ever touched from the event loop's thread.
  if (runtime_ && !closing_ && onTheEventLoopsThread()) {
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
