#include "support/x11display.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace testsupport {
namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> owned(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

}  // namespace

X11Display::X11Display(const std::string& display) {
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(display.c_str(), &screenNumber);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
  if (!screens.rem) {
    xcb_disconnect(connection);
    return;
  }
  connection_ = connection;
  root_ = screens.data->root;
}

X11Display::~X11Display() {
  if (connection_) xcb_disconnect(connection_);
}

std::vector<X11Display::Window> X11Display::topLevels() {
  std::vector<Window> windows;
  if (!connection_) return windows;
  auto tree = owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
  if (!tree) return windows;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    Window window;
    window.id = children[i];
    auto attributes = owned(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
    window.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    auto geometry = owned(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, children[i]), nullptr));
    if (geometry)
      window.geometry = QRect(geometry->x, geometry->y, geometry->width, geometry->height);
    auto wmClass = owned(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, children[i], XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        nullptr));
    if (wmClass) {
      // Two zero-terminated strings: the instance, then the class.
      const char* value = static_cast<const char*>(xcb_get_property_value(wmClass.get()));
      const std::string both(
          value, static_cast<std::size_t>(xcb_get_property_value_length(wmClass.get())));
      const std::size_t zero = both.find('\0');
      window.instance = both.substr(0, zero);
      if (zero != std::string::npos) {
        const std::string rest = both.substr(zero + 1);
        window.windowClass = rest.substr(0, rest.find('\0'));
      }
    }
    auto title =
        owned(xcb_get_property_reply(connection_,
                                     xcb_get_property(connection_, 0, children[i], XCB_ATOM_WM_NAME,
                                                      XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                     nullptr));
    if (title)
      window.title.assign(static_cast<const char*>(xcb_get_property_value(title.get())),
                          static_cast<std::size_t>(xcb_get_property_value_length(title.get())));
    windows.push_back(window);
  }
  return windows;
}

std::optional<X11Display::Window> X11Display::waitForWindow(const std::string& instance, int waitMs,
                                                            std::optional<QSize> size) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  do {
    for (const Window& window : topLevels())
      if (window.viewable && window.instance == instance &&
          (!size || window.geometry.size() == *size))
        return window;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < end);
  return std::nullopt;
}

uint32_t X11Display::inputFocus() {
  if (!connection_) return 0;
  auto focus =
      owned(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  return focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT ? focus->focus : 0;
}

uint32_t X11Display::topLevelOf(uint32_t window) {
  while (connection_ && window != 0 && window != root_) {
    auto tree =
        owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree) return 0;
    if (tree->parent == root_) return window;
    window = tree->parent;
  }
  return 0;
}

void X11Display::moveWindow(uint32_t id, int x, int y) {
  if (!connection_) return;
  const uint32_t values[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
  xcb_configure_window(connection_, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
  xcb_flush(connection_);
}

bool X11Display::closeWindow(uint32_t id) {
  if (!connection_) return false;
  const auto atom = [this](const std::string& name) {
    auto reply = owned(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  };
  xcb_client_message_event_t close{};
  close.response_type = XCB_CLIENT_MESSAGE;
  close.format = 32;
  close.window = id;
  close.type = atom("WM_PROTOCOLS");
  close.data.data32[0] = atom("WM_DELETE_WINDOW");
  close.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection_, 0, id, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&close));
  return xcb_flush(connection_) > 0;
}

QImage X11Display::grab(const QRect& rect) {
  if (!connection_) return {};
  auto image = owned(xcb_get_image_reply(
      connection_,
      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<int16_t>(rect.x()),
                    static_cast<int16_t>(rect.y()), static_cast<uint16_t>(rect.width()),
                    static_cast<uint16_t>(rect.height()), ~0u),
      nullptr));
  // Xvfb's 24-bit screens hold 32 bits a pixel, blue first: Qt's RGB32 on this machine.
  if (!image || image->depth != 24 ||
      xcb_get_image_data_length(image.get()) < rect.width() * rect.height() * 4)
    return {};
  return QImage(xcb_get_image_data(image.get()), rect.width(), rect.height(), rect.width() * 4,
                QImage::Format_RGB32)
      .copy();
}

}  // namespace testsupport
