#include "display.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/x11/xcb_owned.hpp"

namespace lupe::e2e {

namespace {

using x11::own;

std::runtime_error xError(const std::string& what, const xcb_generic_error_t* error) {
  return std::runtime_error(what + " failed with X error " +
                            std::to_string(error ? error->error_code : -1));
}

const xcb_visualtype_t* rootVisual(const xcb_screen_t* screen) {
  for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
       xcb_depth_next(&depths)) {
    for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
         xcb_visualtype_next(&visuals)) {
      if (visuals.data->visual_id == screen->root_visual) return visuals.data;
    }
  }
  return nullptr;
}

int bitsPerPixel(const xcb_setup_t* setup, int depth) {
  for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
       xcb_format_next(&formats)) {
    if (formats.data->depth == depth) return formats.data->bits_per_pixel;
  }
  return 0;
}

}  // namespace

XDisplay::XDisplay(const char* name) {
  int screenNumber = 0;
  connection_ = xcb_connect(name, &screenNumber);
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    throw std::runtime_error(std::string("cannot connect to X display ") +
                             (name ? name : (std::getenv("DISPLAY") ?: "(DISPLAY unset)")));
  }
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  auto screens = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
  screen_ = screens.data;
  lsbFirst_ = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;

  const xcb_visualtype_t* visual = rootVisual(screen_);
  const bool trueColour24 = screen_->root_depth == 24 && visual &&
                            visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                            visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
                            visual->blue_mask == 0xff && bitsPerPixel(setup, 24) == 32;
  if (!trueColour24) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    throw std::runtime_error("the end-to-end tests need a 24-bit TrueColor root, 32 bits a pixel");
  }
}

XDisplay::~XDisplay() {
  if (connection_) xcb_disconnect(connection_);
}

xcb_atom_t XDisplay::atom(std::string_view name) {
  if (auto found = atoms_.find(name); found != atoms_.end()) return found->second;
  auto reply = own(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, uint16_t(name.size()), name.data()), nullptr));
  if (!reply) throw std::runtime_error("cannot intern atom " + std::string(name));
  atoms_.emplace(std::string(name), reply->atom);
  return reply->atom;
}

std::string XDisplay::atomName(xcb_atom_t atom) {
  auto reply =
      own(xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
  if (!reply) return {};
  return std::string(xcb_get_atom_name_name(reply.get()),
                     size_t(xcb_get_atom_name_name_length(reply.get())));
}

std::optional<XDisplay::Property> XDisplay::property(xcb_window_t window, xcb_atom_t property) {
  // A length of 1 << 20 items (4 MiB) is more than any property read here.
  auto reply = own(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 20),
      nullptr));
  if (!reply || reply->type == XCB_NONE) return std::nullopt;
  Property result;
  result.type = reply->type;
  result.format = reply->format;
  const auto* data = static_cast<const uint8_t*>(xcb_get_property_value(reply.get()));
  result.bytes.assign(data, data + xcb_get_property_value_length(reply.get()));
  return result;
}

std::vector<uint32_t> XDisplay::items32(xcb_window_t window, std::string_view name) {
  const auto value = property(window, atom(name));
  if (!value || value->format != 32) return {};
  std::vector<uint32_t> items(value->bytes.size() / 4);
  if (!items.empty()) std::memcpy(items.data(), value->bytes.data(), items.size() * 4);
  return items;
}

Rect XDisplay::rootRect() const {
  const auto geometry =
      own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root()), nullptr));
  return geometry ? Rect{0, 0, geometry->width, geometry->height}
                  : Rect{0, 0, screen_->width_in_pixels, screen_->height_in_pixels};
}

void XDisplay::sync() {
  own(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  // Errors of requests sent without a reply land in the event queue.
  while (const auto event = own(xcb_poll_for_event(connection_)))
    if (event->response_type == 0)
      throw xError("a request", reinterpret_cast<const xcb_generic_error_t*>(event.get()));
  if (xcb_connection_has_error(connection_))
    throw std::runtime_error("the connection to the X server broke");
}

Image XDisplay::readRoot(const Rect& area) {
  xcb_generic_error_t* error = nullptr;
  auto reply = own(xcb_get_image_reply(
      connection_,
      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root(), int16_t(area.x),
                    int16_t(area.y), uint16_t(area.width), uint16_t(area.height), ~0u),
      &error));
  const auto refusal = own(error);
  if (!reply) throw xError("GetImage of " + area.describe(), refusal.get());
  const auto* data = xcb_get_image_data(reply.get());
  const size_t length = size_t(xcb_get_image_data_length(reply.get()));
  if (length < size_t(area.width) * size_t(area.height) * 4)
    throw std::runtime_error("GetImage returned too few bytes");
  Image image(area.width, area.height);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      const uint8_t* p = data + (size_t(y) * size_t(area.width) + size_t(x)) * 4;
      const uint32_t word = lsbFirst_ ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16
                                      : uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16;
      image.set(x, y, word & 0xffffff);
    }
  }
  return image;
}

void XDisplay::putRootPixmapRows(xcb_pixmap_t pixmap, xcb_gcontext_t gc, int top, int rows) {
  const int width = screen_->width_in_pixels;
  std::vector<uint8_t> data(size_t(width) * size_t(rows) * 4);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = patternColour(x, top + y);
      uint8_t* p = data.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
      const uint8_t bytes[4] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
      for (int i = 0; i < 4; ++i) p[i] = lsbFirst_ ? bytes[i] : bytes[3 - i];
    }
  }
  xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(width), uint16_t(rows),
                0, int16_t(top), 0, 24, uint32_t(data.size()), data.data());
}

void XDisplay::paintRootPattern() {
  const int width = screen_->width_in_pixels;
  const int height = screen_->height_in_pixels;
  const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
  xcb_create_pixmap(connection_, 24, pixmap, root(), uint16_t(width), uint16_t(height));
  const xcb_gcontext_t gc = xcb_generate_id(connection_);
  xcb_create_gc(connection_, gc, pixmap, 0, nullptr);

  // Stay well inside the request size limit.
  const size_t maxBytes =
      std::min<size_t>(size_t(xcb_get_maximum_request_length(connection_)) * 4, size_t(1) << 20);
  const int rowsPerRequest = std::max(1, int((maxBytes - 64) / (size_t(width) * 4)));
  for (int top = 0; top < height; top += rowsPerRequest)
    putRootPixmapRows(pixmap, gc, top, std::min(rowsPerRequest, height - top));

  // The root keeps its own reference to the background pixmap.
  xcb_change_window_attributes(connection_, root(), XCB_CW_BACK_PIXMAP, &pixmap);
  xcb_clear_area(connection_, 0, root(), 0, 0, 0, 0);
  xcb_free_gc(connection_, gc);
  xcb_free_pixmap(connection_, pixmap);
  sync();
}

void XDisplay::sendToWindowManager(xcb_window_t about, std::string_view type,
                                   const std::vector<uint32_t>& data) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = about;
  event.type = atom(type);
  for (size_t i = 0; i < data.size() && i < 5; ++i) event.data.data32[i] = data[i];
  xcb_send_event(connection_, 0, root(),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  sync();
}

}  // namespace lupe::e2e
