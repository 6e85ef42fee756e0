#pragma once

#include <cstdlib>
#include <memory>

namespace lupe::x11 {

// Replies, events and errors are handed over by xcb to be freed with free():
// each is held by one of these from the moment it comes.
struct FreeWithFree {
  void operator()(void* memory) const { std::free(memory); }
};
template <class T>
using XcbOwned = std::unique_ptr<T, FreeWithFree>;

// Takes over what xcb handed out: `auto reply = own(xcb_..._reply(...));`.
template <class T>
XcbOwned<T> own(T* handedOut) {
  return XcbOwned<T>(handedOut);
}

}  // namespace lupe::x11
