#pragma once

#include "drivers/testing/connectiontester.h"

namespace drivers {

// Providers with no driver this machine could run: the answer says what would be needed and
// that nothing was tried, rather than a failure the user might read as a bad string.
class UntestableProviderTester final : public IConnectionTester
{
public:
    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;
};

} // namespace drivers
