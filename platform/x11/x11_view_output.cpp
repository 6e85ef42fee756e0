#include "platform/x11/x11_view_output.hpp"

#include <algorithm>

#include <xcb/shm.h>

#include "platform/x11/pixel_format.hpp"
#include "platform/x11/xcb_owned.hpp"

namespace lupe::x11 {
namespace {

// The layout of the window's images, from its visual; false when it cannot be told.
bool windowFormat(xcb_connection_t* connection, uint32_t window, ServerPixelFormat& format) {
  const auto attributesCookie = xcb_get_window_attributes(connection, window);
  const auto geometryCookie = xcb_get_geometry(connection, window);
  const auto attributes =
      own(xcb_get_window_attributes_reply(connection, attributesCookie, nullptr));
  const auto geometry = own(xcb_get_geometry_reply(connection, geometryCookie, nullptr));
  return attributes && geometry &&
         describeVisual(xcb_get_setup(connection), attributes->visual, format) &&
         format.depth == geometry->depth;
}

}  // namespace

std::unique_ptr<X11ViewOutput> X11ViewOutput::open(uint32_t window, const char* display) {
  xcb_connection_t* connection = xcb_connect(display, nullptr);
  ServerPixelFormat format;
  if (xcb_connection_has_error(connection) != 0 || !windowFormat(connection, window, format) ||
      !PixelConverter(format).direct()) {
    xcb_disconnect(connection);
    return nullptr;
  }
  return std::unique_ptr<X11ViewOutput>(
      new X11ViewOutput(connection, window, static_cast<uint8_t>(format.depth)));
}

X11ViewOutput::X11ViewOutput(xcb_connection_t* connection, uint32_t window, uint8_t depth)
    : connection_(connection), window_(window), depth_(depth) {
  gc_ = xcb_generate_id(connection_);
  const uint32_t noExposures = 0;
  xcb_create_gc(connection_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  if (serverOffersShm(connection_)) {
    shared_ = true;
    completionEvent_ = xcb_get_extension_data(connection_, &xcb_shm_id)->first_event +
                       XCB_SHM_COMPLETION;
  }
}

X11ViewOutput::~X11ViewOutput() {
  awaitWritable();
  segment_.release(connection_);
  if (xcb_connection_has_error(connection_) == 0) xcb_free_gc(connection_, gc_);
  xcb_flush(connection_);
  xcb_disconnect(connection_);
}

RasterView X11ViewOutput::provide(int32_t width, int32_t height) {
  awaitWritable();
  width = std::max(width, 0);
  height = std::max(height, 0);
  const size_t bytes = size_t(width) * size_t(height) * sizeof(Pixel);
  if (shared_ && bytes > segment_.size()) {
    // Grown with room to spare, so a window dragged larger does not make a
    // segment per size, but never past a quarter more than is needed.
    ShmSegment larger;
    if (larger.create(connection_, std::max(bytes, std::min(2 * segment_.size(), bytes / 4 * 5)))) {
      segment_.release(connection_);
      segment_ = std::move(larger);
    } else {
      // The kernel or the server refuses: carry on with plain PutImage.
      segment_.release(connection_);
      shared_ = false;
    }
  }
  Pixel* pixels = nullptr;
  if (shared_) {
    pixels = reinterpret_cast<Pixel*>(segment_.data());
  } else {
    plain_.resize(bytes / sizeof(Pixel));
    pixels = plain_.data();
  }
  memory_ = {pixels, width, height, width};
  return memory_;
}

void X11ViewOutput::awaitWritable() {
  // The server reads a put in order; its completion, or its error, ends the
  // wait. A lost connection ends it too, as nobody reads any more.
  while (reading_) {
    auto event = own(xcb_poll_for_event(connection_));
    if (!event) event = own(xcb_wait_for_event(connection_));
    if (!event) {
      reading_ = false;
      break;
    }
    const uint8_t type = event->response_type & 0x7f;
    if ((type == completionEvent_ || type == 0) && event->full_sequence >= lastPut_)
      reading_ = false;
  }
}

void X11ViewOutput::show(const PixelRect& wanted) {
  const PixelRect area = intersection(wanted, {0, 0, memory_.width, memory_.height});
  if (area.empty() || xcb_connection_has_error(connection_) != 0) return;
  if (!shared_) return putPlain(area);
  const auto x = static_cast<int16_t>(area.x), y = static_cast<int16_t>(area.y);
  lastPut_ = xcb_shm_put_image(connection_, window_, gc_, static_cast<uint16_t>(memory_.stride),
                               static_cast<uint16_t>(memory_.height), x, y,
                               static_cast<uint16_t>(area.width),
                               static_cast<uint16_t>(area.height), x, y, depth_,
                               XCB_IMAGE_FORMAT_Z_PIXMAP, 1, segment_.id(), 0)
                 .sequence;
  reading_ = true;
  xcb_flush(connection_);
}

// Whole rows at a time, as many as one request may carry; the server has
// its copy once the request is sent, so the memory is free at once.
void X11ViewOutput::putPlain(const PixelRect& area) {
  const size_t rowBytes = size_t(memory_.stride) * sizeof(Pixel);
  const size_t requestBytes = size_t(xcb_get_maximum_request_length(connection_)) * 4;
  const int32_t rowsPerPut = static_cast<int32_t>(
      std::clamp<size_t>((requestBytes - 64) / rowBytes, 1, 0x7fff));
  for (int32_t y = area.y; y < area.y + area.height; y += rowsPerPut) {
    const int32_t rows = std::min(rowsPerPut, area.y + area.height - y);
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                  static_cast<uint16_t>(memory_.stride), static_cast<uint16_t>(rows), 0,
                  static_cast<int16_t>(y), 0, depth_, static_cast<uint32_t>(rows * rowBytes),
                  reinterpret_cast<const uint8_t*>(memory_.row(y)));
  }
  xcb_flush(connection_);
}

void X11ViewOutput::fill(const PixelRect& area, Pixel color) {
  if (area.empty() || xcb_connection_has_error(connection_) != 0) return;
  const uint32_t foreground = color & 0x00ffffffu;
  xcb_change_gc(connection_, gc_, XCB_GC_FOREGROUND, &foreground);
  const xcb_rectangle_t rectangle{static_cast<int16_t>(area.x), static_cast<int16_t>(area.y),
                                  static_cast<uint16_t>(area.width),
                                  static_cast<uint16_t>(area.height)};
  xcb_poly_fill_rectangle(connection_, window_, gc_, 1, &rectangle);
  xcb_flush(connection_);
}

}  // namespace lupe::x11
