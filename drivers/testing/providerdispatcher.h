#pragma once

#include "drivers/testing/connectiontester.h"

#include <memory>

namespace oledb {
class ProviderCatalogue;
}

namespace drivers {

// Hands a string to the tester for its provider. A string without a Provider keyword goes to
// ODBC, the provider OLE DB falls back to; one for a service that wraps a provider goes, as the
// service hands it on, to that provider's.
class ProviderDispatcher final : public IConnectionTester
{
public:
    enum class Family { Odbc, SqlServer, AccessFile, Untestable };

    struct Testers
    {
        std::shared_ptr<IConnectionTester> odbc;
        std::shared_ptr<IConnectionTester> sqlServer;
        std::shared_ptr<IConnectionTester> accessFile;
        std::shared_ptr<IConnectionTester> untestable;
    };

    ProviderDispatcher(const oledb::ProviderCatalogue &catalogue, Testers testers);

    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;

    // By the catalogue's family table.
    static Family familyOf(const oledb::ProviderCatalogue &catalogue, QStringView provider);

private:
    const oledb::ProviderCatalogue &m_catalogue;
    Testers m_testers;
};

// The testers with the real drivers of this machine.
std::shared_ptr<IConnectionTester> makeConnectionTester(const oledb::ProviderCatalogue &catalogue);

} // namespace drivers
