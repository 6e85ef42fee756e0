#pragma once

#include <spa/pod/builder.h>

namespace lupe::wayland {

// What we ask of a monitor's stream: pixels whose bytes are ours, in shared
// memory, with the pointer and what changed as metadata.

// The formats to offer when connecting.
const spa_pod* videoFormats(spa_pod_builder& builder);

// Once the format is fixed: the buffers and the metadata.
inline constexpr int kBufferParams = 4;
void bufferParams(spa_pod_builder& builder, const spa_pod* params[kBufferParams]);

}  // namespace lupe::wayland
