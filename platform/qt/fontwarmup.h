#pragma once

#include <thread>

namespace platform::qt {

// Fontconfig reads every configuration file and font cache on its first use, the largest single
// cost of putting the first text on screen. Started before the application object, this has a
// second thread do it while the application loads its plugins and connects to the display;
// ready() waits for it, so the first text layout finds it done and the two never race.
class FontWarmUp
{
public:
    FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;
    ~FontWarmUp();

    void ready();

private:
    std::thread m_thread;
};

} // namespace platform::qt
