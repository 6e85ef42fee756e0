#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/raster/placed_output.hpp"
#include "platform/raster/raster.hpp"

struct wl_buffer;
struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_shm;
struct wl_subcompositor;
struct wl_surface;

namespace lupe::wayland {

struct ShmPool;

// Shows a view from shared memory of ours on subsurfaces of the window's
// surface: the stretch writes the frame in place, a change is attached and
// damaged where it lies, and neither Qt nor a copy comes in between. One
// opaque subsurface for each tile of the view, over the window's surface,
// which shows the controls lying over the view between them: the compositor
// blends nothing.
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
  // The compositor has taken in what was attached last: it keeps no buffer
  // of ours past its copy, but may read it until it says so.
  void awaitWritable() override;
  void show(const PixelRect& area) override;

  // What it is made with, bound on its own queue.
  struct Globals {
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
  };

 private:
  struct Tile;

  WaylandViewOutput(wl_display* display, wl_event_queue* queue, Globals globals,
                    std::function<wl_surface*()> window);
  // The tiles' subsurfaces on the window's surface as it is now.
  void followWindow();
  bool reading() const;
  // The part of the frame a tile shows: whole units of the surface.
  PixelRect shownPart(const Tile& tile) const;
  void hide();
  // Attaches and damages what is yet to be shown, and asks to hear when the
  // compositor would take the next picture.
  void commitUnshown();
  static void frameDone(void* data, wl_callback* callback, uint32_t time);

  wl_display* display_;
  wl_event_queue* queue_;
  Globals globals_;
  std::function<wl_surface*()> window_;
  wl_surface* parent_ = nullptr;
  std::vector<std::unique_ptr<Tile>> tiles_;
  std::unique_ptr<ShmPool> pool_;  // the frame's memory, one size at a time
  ViewPlacement placement_;
  RasterView memory_;
  int32_t rows_ = 0;  // of the memory, at least the frame's height
  Raster unshared_;   // the frame's memory where no shared memory could be had
  PixelRect unshown_;             // changed since the last commit
  wl_callback* frame_ = nullptr;  // asked with the last commit, not yet told
  std::chrono::steady_clock::time_point frameAsked_;
};

}  // namespace lupe::wayland
