#include "platform/qt/fontwarmup.h"

#include <fontconfig/fontconfig.h>

namespace platform::qt {

FontWarmUp::FontWarmUp()
    : m_thread([] { FcInit(); })
{ }

FontWarmUp::~FontWarmUp()
{
    ready();
}

void FontWarmUp::ready()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace platform::qt
