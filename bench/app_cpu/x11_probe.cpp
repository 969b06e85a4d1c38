#include "bench/app_cpu/x11_probe.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <xcb/xcb.h>

X11Probe::X11Probe() {
    xcb_connection_t* c = xcb_connect(nullptr, &m_screen);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < m_screen && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return;
    }
    m_root = it.data->root;
    m_connection = c;
}

X11Probe::~X11Probe() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

unsigned X11Probe::atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const unsigned a = reply ? reply->atom : unsigned(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

bool X11Probe::trayHostPresent() {
    if (!m_connection)
        return false;
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(m_screen);
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, atom(name.c_str())), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    std::free(reply);
    return owned;
}

int X11Probe::viewableWindowsOf(pid_t pid) {
    if (!m_connection)
        return 0;
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
    if (!tree)
        return 0;
    int count = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    const int n = xcb_query_tree_children_length(tree);
    for (int i = 0; i < n; ++i) {
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (!viewable)
            continue;
        xcb_get_property_reply_t* property = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, children[i], pidAtom, XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        if (property && xcb_get_property_value_length(property) == 4) {
            uint32_t owner = 0;
            std::memcpy(&owner, xcb_get_property_value(property), 4);
            count += owner == uint32_t(pid) ? 1 : 0;
        }
        std::free(property);
    }
    std::free(tree);
    return count;
}
