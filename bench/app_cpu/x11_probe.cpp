#include "bench/app_cpu/x11_probe.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
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
    return int(windowsOf(pid).size());
}

void X11Probe::unmapWindowsOf(pid_t pid) {
    for (const unsigned w : windowsOf(pid))
        xcb_unmap_window(m_connection, w);
    xcb_flush(m_connection);
}

// An override-redirect window over the whole screen: without a window manager nobody moves it,
// and the X server reports everything under it as fully obscured.
void X11Probe::coverScreen(bool on) {
    if (!m_connection)
        return;
    if (!on) {
        if (m_cover)
            xcb_destroy_window(m_connection, m_cover);
        m_cover = 0;
        xcb_flush(m_connection);
        return;
    }
    if (m_cover)
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < m_screen && it.rem; ++i)
        xcb_screen_next(&it);
    m_cover = xcb_generate_id(m_connection);
    const uint32_t values[] = {it.data->black_pixel, 1};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_cover, m_root, 0, 0,
                      it.data->width_in_pixels, it.data->height_in_pixels, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, it.data->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(m_connection, m_cover);
    xcb_flush(m_connection);
}

std::vector<unsigned> X11Probe::windowsOf(pid_t pid) {
    std::vector<unsigned> out;
    if (!m_connection)
        return out;
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
    if (!tree)
        return out;
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
            if (owner == uint32_t(pid))
                out.push_back(children[i]);
        }
        std::free(property);
    }
    std::free(tree);
    return out;
}
