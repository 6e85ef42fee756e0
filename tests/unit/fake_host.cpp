#include "tests/unit/fake_host.hpp"

#include "platform/controls/control.hpp"
#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"

namespace lupe::test {
namespace {

std::string describe(const Control& control, PropertyId id) {
  return control.name() + "." + std::string(propertyName(id));
}

}  // namespace

Journal entries(const Journal& journal, std::string_view prefix) {
  Journal matching;
  for (const std::string& entry : journal)
    if (entry.starts_with(prefix)) matching.push_back(entry);
  return matching;
}

void FakeHost::checkWrite(const Control& control, PropertyId id) {
  journal_.push_back("write " + describe(control, id));
  if (refused_.contains({&control, id})) throw RuntimeError::invalidPropertyValue();
}

void FakeHost::propertyChanged(const Control& control, PropertyId id) {
  journal_.push_back("change " + describe(control, id));
}

void FakeHost::viewRedrawn(const PictureBox& picture) {
  journal_.push_back("redraw " + picture.name());
}

Handle FakeHost::handle(const char* what, Handle value) {
  journal_.push_back(what);
  if (value == 0) throw RuntimeError::invalidPropertyValue();
  return value;
}

void FakeHost::unload(Form& form) {
  journal_.push_back("unload");
  if (unloadFails) throw RuntimeError::invalidPropertyValue();
  ++unloads;
  int16_t cancel = 0;
  form.Unload.raise(cancel);
  journal_.push_back("closed");
}

void FakeHost::endProgram() {
  ++ends;
  journal_.push_back("endProgram");
}

std::vector<Args> FakeDesktop::argsOf(std::string_view name) const {
  std::vector<Args> matching;
  for (const auto& [called, args] : calls_)
    if (called == name) matching.push_back(args);
  return matching;
}

Handle FakeDesktop::GetDC(Handle window) {
  if (getDCFails) return log("GetDC", 0, window);
  held[nextDC_] = window;
  ++taken;
  nextDC_ += 4;
  return log("GetDC", nextDC_ - 4, window);
}

int32_t FakeDesktop::ReleaseDC(Handle window, Handle dc) {
  const auto it = held.find(dc);
  if (it == held.end() || it->second != window) return log("ReleaseDC", 0, window, dc);
  held.erase(it);
  ++givenBack;
  return log("ReleaseDC", 1, window, dc);
}

}  // namespace lupe::test
