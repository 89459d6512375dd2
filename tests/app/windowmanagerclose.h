#pragma once
// The close a window manager sends (the title bar's button, Alt+F4): a WM_DELETE_WINDOW
// client message to a program's mapped top-level window, found by its title on an X display.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace testsupport {

// An xcb reply, freed with free().
template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply) {
  return {reply, &std::free};
}

// False when the display cannot be reached or no mapped window has that title.
inline bool sendWindowManagerClose(const std::string& display, const std::string& title) {
  const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
      xcb_connect(display.c_str(), nullptr), &xcb_disconnect);
  xcb_connection_t* x = connection.get();
  if (xcb_connection_has_error(x)) return false;
  const auto atom = [x](const char* name) {
    const auto reply = owned(xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  };
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const auto tree = owned(xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr));
  if (!tree) return false;
  const xcb_window_t* windows = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    const auto state = owned(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, windows[i]), nullptr));
    const auto name = owned(xcb_get_property_reply(
        x, xcb_get_property(x, 0, windows[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
        nullptr));
    if (!state || state->map_state != XCB_MAP_STATE_VIEWABLE || !name ||
        std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                    static_cast<std::size_t>(xcb_get_property_value_length(name.get()))) != title)
      continue;
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = windows[i];
    close.type = atom("WM_PROTOCOLS");
    close.data.data32[0] = atom("WM_DELETE_WINDOW");
    close.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x, 0, windows[i], XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&close));
    return xcb_flush(x) > 0;
  }
  return false;
}

}  // namespace testsupport
