#pragma once

#include <cstdint>

#include "platform/desktop/desktop.hpp"

namespace lupe::win32 {

// The program keeps window and device-context handles in 32-bit integers.
// That loses nothing on 64-bit Windows: user and GDI handles index tables
// the system keeps per session, and only their low 32 bits are significant,
// so a handle may be truncated to 32 bits and sign-extended back, which is
// how 32- and 64-bit programs pass them to each other. Only such handles
// cross here, never pointers or kernel object handles.
template <class NativeHandle>
Handle toHandle(NativeHandle native) {
  return static_cast<Handle>(reinterpret_cast<intptr_t>(native));
}

template <class NativeHandle>
NativeHandle fromHandle(Handle handle) {
  return reinterpret_cast<NativeHandle>(static_cast<intptr_t>(handle));
}

}  // namespace lupe::win32
