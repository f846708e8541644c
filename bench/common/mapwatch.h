#pragma once

// What the benchmark watchers share: start a command with the X server already listening, and
// the time until a window of a given title is mapped, exact to the MapNotify event.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace mapwatch {

using Clock = std::chrono::steady_clock;

// Windows come and go while we ask about them; a vanished window is simply not the one.
inline int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

inline std::string windowTitle(Display *display, Window window)
{
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data)
            == Success
        && data) {
        title.assign(reinterpret_cast<const char *>(data), count);
        XFree(data);
        return title;
    }
    char *name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

// Opens the display listening for new top-level windows; nullptr (with a message) if it cannot.
inline Display *openListening(const char *tool)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: cannot open display\n", tool);
        return nullptr;
    }
    XSetErrorHandler(ignoreErrors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    return display;
}

// Forks and execs argv[0..]; -1 (with a message) if it cannot.
inline pid_t start(const char *tool, char **argv)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        std::perror("exec");
        _exit(127);
    }
    if (pid < 0)
        std::fprintf(stderr, "%s: cannot fork\n", tool);
    return pid;
}

// Milliseconds from `started` until a window titled `wanted` was mapped, or -1 after 20 s.
inline double waitForMap(Display *display, const std::string &wanted, Clock::time_point started)
{
    const auto since = [started] {
        return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    };
    const auto deadline = started + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        if (!XPending(display)) {
            pollfd fd {ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        // A window manager maps a new window inside its frame, where the root no longer hears
        // of it, so every new top-level window is watched on its own.
        if (event.type == CreateNotify) {
            const Window window = event.xcreatewindow.window;
            XSelectInput(display, window, StructureNotifyMask);
            XWindowAttributes attributes;
            // Mapped before we listened: the time is the time we learnt of it.
            if (XGetWindowAttributes(display, window, &attributes)
                && attributes.map_state != IsUnmapped && windowTitle(display, window) == wanted)
                return since();
        } else if (event.type == MapNotify && windowTitle(display, event.xmap.window) == wanted) {
            return since();
        }
    }
    return -1;
}

} // namespace mapwatch
