#include "shell/ScreenWindows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(QUILLORY_HAVE_XCB)
#include <xcb/xcb.h>
#endif

namespace quillory {

#if defined(QUILLORY_HAVE_XCB)

namespace {

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* c) {
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    return it.data ? it.data->root : 0;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A property's bytes, or empty.
std::vector<uint8_t> Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
    std::vector<uint8_t> bytes;
    if (property == XCB_ATOM_NONE) return bytes;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1 << 16), nullptr), &std::free);
    if (!reply || reply->format == 0) return bytes;
    const int length = xcb_get_property_value_length(reply.get());
    const auto* value = static_cast<const uint8_t*>(xcb_get_property_value(reply.get()));
    bytes.assign(value, value + length);
    return bytes;
}

std::vector<uint32_t> Words(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> words(bytes.size() / 4);
    if (!words.empty()) std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

std::string Latin1ToUtf8(const std::vector<uint8_t>& bytes) {
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toStdString();
}

struct Atoms {
    xcb_atom_t clientList, wmName, utf8, wmState, netWmState, hidden, frameExtents, activeWindow;
    explicit Atoms(xcb_connection_t* c)
        : clientList(Atom(c, "_NET_CLIENT_LIST")),
          wmName(Atom(c, "_NET_WM_NAME")),
          utf8(Atom(c, "UTF8_STRING")),
          wmState(Atom(c, "WM_STATE")),
          netWmState(Atom(c, "_NET_WM_STATE")),
          hidden(Atom(c, "_NET_WM_STATE_HIDDEN")),
          frameExtents(Atom(c, "_NET_FRAME_EXTENTS")),
          activeWindow(Atom(c, "_NET_ACTIVE_WINDOW")) {}
};

bool Describe(xcb_connection_t* c, xcb_window_t root, const Atoms& atoms, xcb_window_t w, bool fromClientList,
              ScreenWindow& out) {
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &std::free);
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &std::free);
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> place(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr), &std::free);
    if (!attributes || !geometry || !place) return false;
    // Without a window manager, menus and tooltips are top-level windows too; they are not offered.
    if (!fromClientList && attributes->override_redirect) return false;
    out.id = w;
    out.visible = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    out.clientWidth = geometry->width;
    out.clientHeight = geometry->height;
    int left = 0, right = 0, top = 0, bottom = 0;
    const std::vector<uint32_t> extents = Words(Property(c, w, atoms.frameExtents, XCB_ATOM_CARDINAL));
    if (extents.size() == 4) left = int(extents[0]), right = int(extents[1]), top = int(extents[2]), bottom = int(extents[3]);
    out.x = place->dst_x - left;
    out.y = place->dst_y - top;
    out.width = geometry->width + left + right;
    out.height = geometry->height + top + bottom;
    const std::vector<uint8_t> utf8 = Property(c, w, atoms.wmName, atoms.utf8);
    out.title = utf8.empty() ? Latin1ToUtf8(Property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING))
                             : std::string(utf8.begin(), utf8.end());
    const std::vector<uint32_t> state = Words(Property(c, w, atoms.wmState, atoms.wmState));
    out.minimised = !state.empty() && state[0] == 3;  // IconicState
    for (uint32_t a : Words(Property(c, w, atoms.netWmState, XCB_ATOM_ATOM)))
        if (a == atoms.hidden) out.minimised = true;
    if (out.minimised) out.visible = true;  // an iconic window is unmapped; the rule on minimised ones decides
    return true;
}

bool HasWindowManagerList(xcb_connection_t* c, xcb_window_t root, const Atoms& atoms) {
    return !Property(c, root, atoms.clientList, XCB_ATOM_WINDOW).empty();
}

}  // namespace

bool OnX11() { return Connection() != nullptr; }

std::vector<ScreenWindow> ListScreenWindows() {
    std::vector<ScreenWindow> windows;
    xcb_connection_t* c = Connection();
    if (!c) return windows;
    const xcb_window_t root = Root(c);
    const Atoms atoms(c);
    std::vector<uint32_t> ids = Words(Property(c, root, atoms.clientList, XCB_ATOM_WINDOW));
    const bool fromClientList = !ids.empty();
    if (!fromClientList) {
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            ids.assign(children, children + xcb_query_tree_children_length(tree.get()));
        }
        // The tree lists the bottom window first; the list shows the top ones first.
        std::reverse(ids.begin(), ids.end());
    }
    for (uint32_t id : ids) {
        ScreenWindow w;
        if (Describe(c, root, atoms, id, fromClientList, w)) windows.push_back(std::move(w));
    }
    return windows;
}

QSize ScreenSize() {
    if (xcb_connection_t* c = Connection()) {
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> g(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, Root(c)), nullptr), &std::free);
        if (g) return QSize(g->width, g->height);
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() * screen->devicePixelRatio() : QSize();
}

void RaiseScreenWindow(uintptr_t window) {
    xcb_connection_t* c = Connection();
    if (!c || window == 0) return;
    const xcb_window_t root = Root(c);
    const Atoms atoms(c);
    if (HasWindowManagerList(c, root, atoms)) {
        // With a window manager, asking it to activate the window raises it.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = xcb_window_t(window);
        event.type = atoms.activeWindow;
        event.data.data32[0] = 2;  // from a pager-like tool
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, xcb_window_t(window), XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(c);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    // The raised window draws what was covered; this program's own windows draw through its event loop.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

#else

bool OnX11() { return false; }
std::vector<ScreenWindow> ListScreenWindows() { return {}; }
QSize ScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() * screen->devicePixelRatio() : QSize();
}
void RaiseScreenWindow(uintptr_t) {}

#endif

QImage GrabScreenArea(const CaptureArea& area) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QPixmap pixmap = area.Empty() ? screen->grabWindow(0)
                                        : screen->grabWindow(0, area.screenX, area.screenY, area.width, area.height);
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

PlatformBitmap ImageToBitmap(const QImage& source) {
    PlatformBitmap bitmap;
    if (source.isNull()) return bitmap;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    bitmap.width = image.width();
    bitmap.height = image.height();
    bitmap.bitsPerPixel = 32;
    bitmap.pixels.resize(size_t(bitmap.width) * size_t(bitmap.height) * 4);
    for (int y = 0; y < bitmap.height; ++y)
        std::memcpy(bitmap.pixels.data() + size_t(y) * size_t(bitmap.width) * 4, image.constScanLine(y),
                    size_t(bitmap.width) * 4);
    return bitmap;
}

}  // namespace quillory
