#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// A string from another world turned into the OLE DB string for the provider that reaches the
// same server.
struct Conversion
{
    QString string;
    // What the string was: adonet-sqlclient, adonet-npgsql, odbc, jdbc-sqlserver or
    // jdbc-postgresql.
    QString from;
    // Every pair the OLE DB side has no counterpart for, as `keyword=value` with the keyword as
    // written and any secret masked, so that the list can be shown and logged.
    QStringList unmapped;
};

} // namespace platform
