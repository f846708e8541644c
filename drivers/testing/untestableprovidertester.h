#pragma once

#include "drivers/testing/connectiontester.h"

namespace oledb {
class ProviderCatalogue;
}

namespace drivers {

// Providers with no driver this machine could run: the answer says what would be needed and
// that nothing was tried, rather than a failure the user might read as a bad string.
class UntestableProviderTester final : public IConnectionTester
{
public:
    explicit UntestableProviderTester(const oledb::ProviderCatalogue &catalogue);

    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;

private:
    const oledb::ProviderCatalogue &m_catalogue;
};

} // namespace drivers
