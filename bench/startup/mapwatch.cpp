// Starts a program and reports how long it took for its window of a given title to be mapped,
// and the program's resident memory a while later. Listening to MapNotify from before the
// program starts makes the time exact to the event, where polling tools are off by their
// interval.
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

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
        return title;
    }
    char *name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

int usage()
{
    std::fprintf(stderr,
                 "usage: corvanta_mapwatch TITLE IDLE_MS PROGRAM [ARGUMENT...]\n"
                 "prints: <milliseconds to map> <resident KiB after IDLE_MS>\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return usage();
    const std::string wanted = argv[1];
    const int idleMs = std::atoi(argv[2]);

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "corvanta_mapwatch: cannot open display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const auto started = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        std::perror("corvanta_mapwatch: exec");
        _exit(127);
    }
    if (pid < 0) {
        std::perror("corvanta_mapwatch: fork");
        return 2;
    }

    // A window manager maps the program's window inside its frame, where the root no longer
    // hears of it, so every new top-level window is watched on its own.
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
        if (event.type == CreateNotify) {
            const Window window = event.xcreatewindow.window;
            XSelectInput(display, window, StructureNotifyMask);
            XWindowAttributes attributes;
            // Mapped before we listened: the time is the time we learnt of it.
            if (XGetWindowAttributes(display, window, &attributes)
                && attributes.map_state != IsUnmapped && windowTitle(display, window) == wanted)
                mappedMs
                    = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        } else if (event.type == MapNotify && windowTitle(display, event.xmap.window) == wanted) {
            mappedMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        }
    }
    if (mappedMs < 0) {
        std::fprintf(stderr, "corvanta_mapwatch: no window titled \"%s\" was mapped\n",
                     wanted.c_str());
        stop(pid);
        return 1;
    }

    std::this_thread::sleep_for(std::chrono::milliseconds(idleMs));
    const long rss = residentKiB(pid);
    stop(pid);
    XCloseDisplay(display);
    std::printf("%.2f %ld\n", mappedMs, rss);
    return rss < 0 ? 1 : 0;
}
