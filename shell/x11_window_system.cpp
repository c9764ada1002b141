#include "shell/x11_window_system.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
// The XKB header names a member "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <cstring>
#include <memory>

namespace gz::x11 {

namespace {

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// Whether the running window manager lists `feature` in _NET_SUPPORTED.
bool windowManagerSupports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t feature)
{
    const xcb_atom_t supported = atom(c, "_NET_SUPPORTED");
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!r || r->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get()) / 4;
    for (int i = 0; i < n; ++i)
        if (atoms[i] == feature)
            return true;
    return false;
}

std::optional<QMargins> frameExtentsOf(xcb_connection_t* c, xcb_window_t window, xcb_atom_t extents)
{
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) != 16)
        return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    // left, right, top, bottom
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                    static_cast<int>(v[3]));
}

}  // namespace

std::optional<QMargins> expectedFrameMargins(int waitMs)
{
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    if (!screen || request == XCB_ATOM_NONE || !windowManagerSupports(c, screen->root, request))
        return std::nullopt;

    // A stand-in for the program's window, created and never mapped.
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_client_message_event_t ask{};
    ask.response_type = XCB_CLIENT_MESSAGE;
    ask.format = 32;
    ask.window = probe;
    ask.type = request;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&ask));
    xcb_flush(c);
    // The answer is a property the window manager sets on the window; it
    // comes after a round trip or two.
    std::optional<QMargins> margins;
    QElapsedTimer waited;
    waited.start();
    while (!(margins = frameExtentsOf(c, probe, extents)) && waited.elapsed() < waitMs)
        QThread::msleep(5);
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return margins;
}

LockIndicatorReader::LockIndicatorReader()
{
    xcb_connection_t* c = connection();
    if (!c)
        return;
    Reply<xcb_xkb_use_extension_reply_t> use(xcb_xkb_use_extension_reply(
        c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
    if (!use || !use->supported)
        return;
    static const char* const kNames[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    for (int i = 0; i < 3; ++i)
        names_[i] = atom(c, kNames[i]);
    usable_ = true;
}

std::optional<LockStates> LockIndicatorReader::read() const
{
    xcb_connection_t* c = usable_ ? connection() : nullptr;
    if (!c)
        return std::nullopt;
    // All three asked before any answer is awaited.
    xcb_xkb_get_named_indicator_cookie_t asked[3];
    for (int i = 0; i < 3; ++i)
        asked[i] = xcb_xkb_get_named_indicator(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_LED_CLASS_DFLT_XI_CLASS,
                                               XCB_XKB_ID_DFLT_XI_ID, names_[i]);
    bool on[3] = {};
    for (int i = 0; i < 3; ++i) {
        Reply<xcb_xkb_get_named_indicator_reply_t> r(xcb_xkb_get_named_indicator_reply(c, asked[i], nullptr));
        on[i] = names_[i] != XCB_ATOM_NONE && r && r->found && r->on;
    }
    return LockStates{on[0], on[1], on[2]};
}

}  // namespace gz::x11
