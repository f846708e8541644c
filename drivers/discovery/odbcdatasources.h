#pragma once

#include "drivers/odbc.h"

#include <QList>

namespace drivers {

// The ODBC data sources and drivers the Data Link dialog offers for the ODBC provider.
class IOdbcDataSources
{
public:
    IOdbcDataSources() = default;
    IOdbcDataSources(const IOdbcDataSources &) = delete;
    IOdbcDataSources &operator=(const IOdbcDataSources &) = delete;
    virtual ~IOdbcDataSources() = default;

    // User and system data sources, each name once, sorted, each with the file it comes from;
    // empty when none can be found.
    virtual QList<odbc::DataSource> dataSources() = 0;
    // The registered drivers, in the order of their registrations; empty when there are none.
    virtual QList<odbc::Driver> drivers() = 0;
};

// Asks the driver manager itself, so the lists hold exactly what a connection can use.
class UnixOdbcDataSources final : public IOdbcDataSources
{
public:
    QList<odbc::DataSource> dataSources() override;
    QList<odbc::Driver> drivers() override;
};

} // namespace drivers
