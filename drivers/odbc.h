#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

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
// log-on timeout (seconds, 0 for none) passes, if the driver honours it (in its own keyword
// where it reads only that).
ConnectOutcome driverConnect(const QString &connectionString, int loginTimeoutSeconds);

struct CatalogOutcome
{
    bool connected = false;
    // Sorted, each once.
    QStringList names;
    // Why the log-on or every way of listing failed, as the driver manager and driver wrote it.
    QString diagnostics;
};

struct TableListing
{
    bool connected = false;
    // Each sorted, each name once: what the driver reports as user tables, and apart from them
    // its system tables. No views.
    QStringList tables;
    QStringList systemTables;
    // Why the log-on or the listing failed, as the driver manager and driver wrote it.
    QString diagnostics;
};

// Connects as driverConnect does and lists the tables. It cannot be cancelled: the Access
// reader runs it in a process of its own, which is ended instead.
TableListing listTables(const QString &connectionString, int timeoutSeconds);

// The SQL queries that list a server's databases, by the DBMS name the driver reports; each
// returns the names in its first column and is tried in turn until one runs.
using CatalogQueries = std::function<QStringList(const QString &dbmsName)>;

// Connects as driverConnect does and lists the databases: first the catalogs the driver reports
// (when `askDriver`), then, where that list has fewer than two, also what the first of
// `queries` that runs returns. Each statement may take the timeout again; `cancelled` is
// looked at between steps.
CatalogOutcome listCatalogs(const QString &connectionString, int timeoutSeconds, bool askDriver,
                            const CatalogQueries &queries, const std::atomic<bool> &cancelled);

struct DataSource
{
    QString name;
    // The user's file, which the driver manager reads first, or the system's.
    enum class Scope { User, System } scope = Scope::System;
    // Where the driver manager reads it from.
    QString file;
    // The system's file has one by the same name, which this one hides.
    bool hidesSystem = false;
};

// The configured user and system data sources, each name once, sorted by name.
QList<DataSource> dataSources();

// The files the driver manager reads data sources from: the user's is ODBCINI or
// ~/.odbc.ini, the system's odbc.ini in ODBCSYSINI or /etc, as Debian's unixODBC is built.
QString userDataSourceFile();
QString systemDataSourceFile();

struct Driver
{
    QString name;
    // The shared object from the registration (`Driver=`), empty when not given.
    QString library;
};

// The drivers registered with the driver manager.
QList<Driver> installedDrivers();

// What goes after DRIVER= for a driver Debian ships: its registered name, found by its shared
// object `library` or by `name`, else the library's path where Debian installs it (the driver
// manager loads a driver by path too); empty when neither is there.
QString findDriver(const QString &library, QStringView name);

} // namespace drivers::odbc
