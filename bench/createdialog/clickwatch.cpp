// Runs a command that clicks (xdotool) and reports how long it took from its start until a
// window of a given title was mapped. Listening to MapNotify from before the command starts makes
// the end exact to the event; the command's own start-up is part of the figure.
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Windows come and go while we ask about them; a vanished window is simply not the one.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

std::string windowTitle(Display *display, Window window)
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
    }
    return title;
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: corvanta_clickwatch TITLE COMMAND [ARGUMENT...]\n"
                     "prints: <ms from the start of COMMAND until a window TITLE was mapped>\n");
        return 2;
    }
    const std::string wanted = argv[1];
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "corvanta_clickwatch: cannot open display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto started = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        std::perror("corvanta_clickwatch: exec");
        _exit(127);
    }
    if (pid < 0) {
        std::perror("corvanta_clickwatch: fork");
        return 2;
    }

    const auto deadline = started + std::chrono::seconds(20);
    double mappedMs = -1;
    while (mappedMs < 0 && Clock::now() < deadline) {
        if (!XPending(display)) {
            pollfd fd {ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        // The window manager maps a new window inside its frame, where the root no longer hears
        // of it, so every new top-level window is watched on its own.
        if (event.type == CreateNotify)
            XSelectInput(display, event.xcreatewindow.window, StructureNotifyMask);
        else if (event.type == MapNotify && mappedMs < 0
                 && windowTitle(display, event.xmap.window) == wanted)
            mappedMs = millisecondsSince(started);
    }
    XCloseDisplay(display);
    // xdotool lingers a while after its click; it is not waited for before the clock stops.
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) != pid; ++i)
        poll(nullptr, 0, 20);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (mappedMs < 0) {
        std::fprintf(stderr, "corvanta_clickwatch: no window titled \"%s\" was mapped\n",
                     wanted.c_str());
        return 1;
    }
    std::printf("%.2f\n", mappedMs);
    return 0;
}
