#pragma once

#include "drivers/discovery/lookup.h"

#include <atomic>
#include <functional>
#include <memory>

namespace oledb {
class ConnectionString;
class ProviderCatalogue;
} // namespace oledb

namespace drivers {

// One way of asking a server which databases it holds.
class IDatabaseLister
{
public:
    IDatabaseLister() = default;
    IDatabaseLister(const IDatabaseLister &) = delete;
    IDatabaseLister &operator=(const IDatabaseLister &) = delete;
    virtual ~IDatabaseLister() = default;

    // Blocks until the server answers; runs on a worker thread. May throw; a failure that
    // quotes the driver may still hold secrets (listDatabases masks them).
    virtual LookupResult list(const oledb::ConnectionString &connection,
                              const std::atomic<bool> &cancelled)
        = 0;
};

// Logs on the way Test Connection does: the ODBC provider through the driver manager, the SQL
// Server family through FreeTDS; other providers have no driver here.
class DatabaseLister final : public IDatabaseLister
{
public:
    // `findFreeTds` as for SqlServerTester; the catalogue tells the provider's family.
    DatabaseLister(const oledb::ProviderCatalogue &catalogue, std::function<QString()> findFreeTds);

    LookupResult list(const oledb::ConnectionString &connection,
                      const std::atomic<bool> &cancelled) override;

    // What to run where the driver reports fewer than two catalogs, by the DBMS it names.
    static QStringList fallbackQueries(const QString &dbmsName);

private:
    const oledb::ProviderCatalogue &m_catalogue;
    std::function<QString()> m_findFreeTds;
};

// Parses the string, lists, and turns any failure into one masked line. Never throws.
LookupResult listDatabases(IDatabaseLister &lister, const oledb::ProviderCatalogue &catalogue,
                           const QString &connectionString, const std::atomic<bool> &cancelled);

// The lister with this machine's drivers.
std::shared_ptr<IDatabaseLister> makeDatabaseLister(const oledb::ProviderCatalogue &catalogue);

} // namespace drivers
