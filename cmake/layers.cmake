# The layers, each folder with the folders it may include (besides itself).
# A folder reaches only what lies below it: the core never the emulation or
# the logic, the logic never a backend, one backend never another. The
# portable folders (all but the backends) must build on every platform, so
# they include no GUI toolkit, window system or platform API either. The
# check runs with every build: a stray include fails at once, not later on
# the other platform.
set(core platform/runtime,platform/raster,platform/desktop,platform/controls)
set(LUPE_LAYERS
  "platform/runtime"
  "platform/raster"
  "platform/desktop=platform/raster"
  "platform/controls=platform/runtime,platform/raster,platform/desktop"
  "platform/emulation=${core}"
  "app=${core},magnify,overlay"
  "magnify=${core},app"
  "overlay=${core},app"
  "platform/x11=${core},platform/emulation"
  "platform/wayland=${core},platform/emulation"
  "platform/qt=${core},platform/emulation"
  "platform/win32=${core}")
set(LUPE_PORTABLE platform/runtime platform/raster platform/desktop platform/controls
                  platform/emulation app magnify overlay)

function(lupe_check_layers)
  add_custom_target(layer_includes ALL
    COMMAND ${CMAKE_COMMAND} "-DROOT=${CMAKE_SOURCE_DIR}" "-DLAYERS=${LUPE_LAYERS}"
            "-DPORTABLE=${LUPE_PORTABLE}" -P "${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake"
    COMMENT "Checking that every include stays within its layer"
    VERBATIM)
endfunction()
