#pragma once

#include <QStringList>

namespace datalink {

// The ODBC data source names the Connection page offers for the ODBC provider.
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

// Reads the section names of unixODBC's configuration files, for when the driver manager itself
// is not at hand.
class OdbcIniDataSources final : public IOdbcDataSources
{
public:
    // Without files: the user's ~/.odbc.ini and the system's odbc.ini (ODBCSYSINI honoured).
    explicit OdbcIniDataSources(QStringList files = {});

    QStringList dataSourceNames() override;

private:
    QStringList m_files;
};

} // namespace datalink
