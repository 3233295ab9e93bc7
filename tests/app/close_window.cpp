// Test helper for an X display: waits until a top-level window with the given
// title (or, for "PREFIX*", a title starting with PREFIX) is mapped, then asks
// it to close as a window manager would (WM_DELETE_WINDOW). Exits 0 once the
// request is sent, 1 if no such window showed within the given seconds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// Whether `window` is shown, larger than a pixel, and titled as wanted.
bool matches(Display *display, Window window, const std::string &wanted)
{
    std::string title;
    XTextProperty text;
    if (XGetWMName(display, window, &text) != 0 && text.value != nullptr) {
        title.assign(reinterpret_cast<const char *>(text.value), text.nitems);
        XFree(text.value);
    }
    const bool prefix = !wanted.empty() && wanted.back() == '*';
    if (prefix ? title.compare(0, wanted.size() - 1, wanted, 0, wanted.size() - 1) != 0 : title != wanted)
        return false;
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable
           && attributes.width > 1 && attributes.height > 1;
}

// Searches the whole window tree: without a window manager Qt's windows are
// children of the root, with one they sit inside a frame.
Window findWindow(Display *display, Window parent, const std::string &title)
{
    Window root = 0, parentOut = 0, *children = nullptr, found = 0;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &parentOut, &children, &count) == 0)
        return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i)
        found = matches(display, children[i], title) ? children[i] : findWindow(display, children[i], title);
    if (children != nullptr)
        XFree(children);
    return found;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TITLE SECONDS\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[2]));
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    Window window = 0;
    while ((window = findWindow(display, DefaultRootWindow(display), title)) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "no window titled \"%s\" showed\n", title.c_str());
            XCloseDisplay(display);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::printf("window 0x%lx \"%s\" is shown; closing it\n", window, title.c_str());
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
