#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/raster/placed_output.hpp"
#include "platform/raster/raster.hpp"

struct wl_buffer;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_shm;
struct wl_shm_pool;
struct wl_subcompositor;
struct wl_subsurface;
struct wl_surface;

namespace lupe::wayland {

// Shows a view from shared memory of ours on a subsurface of the window's
// surface: the stretch writes the frame in place, a change is attached and
// damaged where it lies, and neither Qt nor a copy comes in between. The
// subsurface lies below the window's surface, which leaves the view's place
// clear and has the controls over the view painted on it.
//
// It is made on the toolkit's connection, with an event queue of its own,
// and used on the toolkit's thread.
class WaylandViewOutput final : public PlacedOutput {
 public:
  // `window` tells the window's surface as it is now, null while it has
  // none. Null where the compositor offers no subsurfaces or shared memory.
  static std::unique_ptr<WaylandViewOutput> open(wl_display* display,
                                                 std::function<wl_surface*()> window);
  ~WaylandViewOutput() override;

  void place(const ViewPlacement& placement) override;
  RasterView provide(int32_t width, int32_t height) override;
  // The compositor has read what was attached last: it keeps no buffer of
  // ours past its copy, but may read it until it says so.
  void awaitWritable() override;
  void show(const PixelRect& area) override;

  // What it is made with, bound on its own queue.
  struct Globals {
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
  };

 private:
  struct Pool;

  WaylandViewOutput(wl_display* display, wl_event_queue* queue, Globals globals,
                    std::function<wl_surface*()> window);
  // The subsurface on the window's surface as it is now, made anew with it.
  void followWindow();
  // The part of the frame shown: visible, and whole units of the surface.
  PixelRect shownPart() const;
  wl_buffer* bufferFor(const PixelRect& part);
  void hide();
  void dispatchPending();

  wl_display* display_;
  wl_event_queue* queue_;
  Globals globals_;
  std::function<wl_surface*()> window_;
  wl_surface* parent_ = nullptr;
  wl_surface* surface_ = nullptr;
  wl_subsurface* subsurface_ = nullptr;
  std::unique_ptr<Pool> pool_;
  ViewPlacement placement_;
  RasterView memory_;
  int32_t rows_ = 0;  // of the memory, at least the frame's height
  Raster unshared_;  // the frame's memory where no shared memory could be had
  PixelRect attachedPart_;   // of the frame, as the buffer attached last shows it
  int32_t attachedScale_ = 0;
  bool mapped_ = false;
};

}  // namespace lupe::wayland
