#pragma once

#include <QStringList>

namespace drivers {

// The ODBC data source names the Data Link dialog offers for the ODBC provider.
class IOdbcDataSources
{
public:
    IOdbcDataSources() = default;
    IOdbcDataSources(const IOdbcDataSources &) = delete;
    IOdbcDataSources &operator=(const IOdbcDataSources &) = delete;
    virtual ~IOdbcDataSources() = default;

    // User and system data sources, sorted, each once; empty when none can be found.
    virtual QStringList dataSourceNames() = 0;
};

// Asks the driver manager itself, so the list holds exactly what a connection can use.
class UnixOdbcDataSources final : public IOdbcDataSources
{
public:
    QStringList dataSourceNames() override;
};

} // namespace drivers
