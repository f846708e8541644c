#include "drivers/detachedwork.h"

#include <cstdio>
#include <cstdlib>

namespace drivers {

namespace {

std::atomic<int> runningWorkers {0};

} // namespace

void DetachedWork::abandon()
{
    m_cancelled = true;
    const std::lock_guard lock(m_mutex);
    m_receiver = nullptr;
}

void DetachedWork::workerStarted()
{
    ++runningWorkers;
}

void DetachedWork::workerEnded()
{
    --runningWorkers;
}

void exitProcess(int status)
{
    if (runningWorkers == 0)
        std::exit(status);
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace drivers
