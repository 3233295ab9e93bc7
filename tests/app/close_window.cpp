// Test helper for an X display: waits until a top-level window titled TITLE
// (or, for "PREFIX*", a title starting with PREFIX) is mapped, then asks it to
// close as a window manager would (WM_DELETE_WINDOW). Exits 0 once the
// request is sent, 1 if no such window showed within SECONDS.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

// Searches the whole window tree: without a window manager Qt's windows are
// children of the root, with one they sit inside a frame.
static Window findWindow(Display *display, Window parent, const std::string &wanted)
{
    Window root = 0, parentOut = 0, *children = nullptr, found = 0;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &parentOut, &children, &count) == 0)
        return 0;
    const bool prefix = !wanted.empty() && wanted.back() == '*';
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        std::string title;
        XTextProperty text;
        if (XGetWMName(display, children[i], &text) != 0 && text.value != nullptr) {
            title.assign(reinterpret_cast<const char *>(text.value), text.nitems);
            XFree(text.value);
        }
        XWindowAttributes a;
        const bool named = prefix ? title.compare(0, wanted.size() - 1, wanted, 0, wanted.size() - 1) == 0 : title == wanted;
        const bool shown = named && XGetWindowAttributes(display, children[i], &a) != 0 && a.map_state == IsViewable;
        found = shown && a.width > 1 ? children[i] : findWindow(display, children[i], wanted);
    }
    XFree(children); // XFree accepts null
    return found;
}

int main(int argc, char **argv)
{
    Display *display = argc == 3 ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr) {
        std::fprintf(stderr, "usage: %s TITLE SECONDS (with an X display)\n", argv[0]);
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[2]));
    Window window = 0;
    while ((window = findWindow(display, DefaultRootWindow(display), argv[1])) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "no window titled \"%s\" showed\n", argv[1]);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    XEvent event{};
    event.xclient = {ClientMessage, 0, False, display, window, XInternAtom(display, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display); // flushes the request
    return 0;
}
