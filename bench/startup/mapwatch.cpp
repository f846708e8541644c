// Starts a program and reports how long it took for its window of a given title to be mapped,
// and the program's resident memory a while later. Listening to MapNotify from before the
// program starts makes the time exact to the event, where polling tools are off by their
// interval.
#include "bench/common/mapwatch.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

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

    Display *display = mapwatch::openListening("corvanta_mapwatch");
    if (!display)
        return 2;
    const auto started = mapwatch::Clock::now();
    const pid_t pid = mapwatch::start("corvanta_mapwatch", argv + 3);
    if (pid < 0)
        return 2;
    const double mappedMs = mapwatch::waitForMap(display, wanted, started);
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
