#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The few calls into the unixODBC driver manager Test Connection needs, with its handles kept
// out of every other header.
namespace drivers::odbc {

struct ConnectOutcome
{
    bool connected = false;
    // The driver manager's and the driver's diagnostics, one per line, as they wrote them.
    QString diagnostics;
};

// Connects without prompting and disconnects at once. Blocks until the driver answers or the
// log-on timeout (seconds, 0 for none) passes, if the driver honours it.
ConnectOutcome driverConnect(const QString &connectionString, int loginTimeoutSeconds);

// The names of the configured user and system data sources, each once, sorted.
QStringList dataSourceNames();

struct Driver
{
    QString name;
    // The shared object from the registration (`Driver=`), empty when not given.
    QString library;
};

// The drivers registered with the driver manager.
QList<Driver> installedDrivers();

} // namespace drivers::odbc
