// Runs a command that clicks (xdotool) and reports how long it took from its start until a
// window of a given title was mapped. Listening to MapNotify from before the command starts makes
// the end exact to the event; the command's own start-up is part of the figure.
#include "bench/common/mapwatch.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: corvanta_clickwatch TITLE COMMAND [ARGUMENT...]\n"
                     "prints: <ms from the start of COMMAND until a window TITLE was mapped>\n");
        return 2;
    }
    const std::string wanted = argv[1];
    Display *display = mapwatch::openListening("corvanta_clickwatch");
    if (!display)
        return 2;
    const auto started = mapwatch::Clock::now();
    const pid_t pid = mapwatch::start("corvanta_clickwatch", argv + 2);
    if (pid < 0)
        return 2;
    const double mappedMs = mapwatch::waitForMap(display, wanted, started);
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
