#include "platform/qt/fontwarmup.h"

#include <fontconfig/fontconfig.h>
#include <malloc.h>

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
    if (!m_thread.joinable())
        return;
    m_thread.join();
    // Reading the configuration left the thread's heap full of freed parser buffers; they would
    // stay resident for the life of the program.
    malloc_trim(0);
}

} // namespace platform::qt
