#pragma once
// The close a window manager sends (the title bar's button, Alt+F4): a WM_DELETE_WINDOW
// client message to a program's mapped top-level window, found by its title on an X display.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace testsupport {

namespace detail {

inline xcb_atom_t atom(xcb_connection_t* x, const char* name) {
  const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(
          x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
      &std::free);
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

inline bool titled(xcb_connection_t* x, xcb_window_t window, const std::string& title) {
  const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
      xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr),
      &std::free);
  if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) return false;
  const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> name(
      xcb_get_property_reply(
          x, xcb_get_property(x, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
          nullptr),
      &std::free);
  if (!name) return false;
  const auto* text = static_cast<const char*>(xcb_get_property_value(name.get()));
  return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(name.get()))) ==
         title;
}

}  // namespace detail

// False when the display cannot be reached or no mapped window has that title.
inline bool sendWindowManagerClose(const std::string& display, const std::string& title) {
  xcb_connection_t* x = xcb_connect(display.c_str(), nullptr);
  const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(x, &xcb_disconnect);
  if (xcb_connection_has_error(x)) return false;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
      xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr), &std::free);
  if (!tree) return false;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    if (!detail::titled(x, children[i], title)) continue;
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = children[i];
    close.type = detail::atom(x, "WM_PROTOCOLS");
    close.data.data32[0] = detail::atom(x, "WM_DELETE_WINDOW");
    close.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x, 0, children[i], XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&close));
    return xcb_flush(x) > 0;
  }
  return false;
}

}  // namespace testsupport
