#pragma once

#include "drivers/testing/testresult.h"

#include <atomic>

namespace oledb {
class ConnectionString;
class ProviderCatalogue;
} // namespace oledb

namespace drivers {

// One way of checking that a connection string opens a connection.
class IConnectionTester
{
public:
    IConnectionTester() = default;
    IConnectionTester(const IConnectionTester &) = delete;
    IConnectionTester &operator=(const IConnectionTester &) = delete;
    virtual ~IConnectionTester() = default;

    // Blocks until the driver answers; runs on a worker thread, so it touches no widget. A
    // tester checks `cancelled` where it can stop early; a caller that cancels ignores the
    // result anyway. May throw; messages may still hold secrets (testConnectionString masks).
    virtual TestResult test(const oledb::ConnectionString &connection,
                            const std::atomic<bool> &cancelled)
        = 0;
};

// Parses the text, runs the tester and masks every secret of the string (by the catalogue's
// secret properties) in the message. Never throws: a malformed string or a failing tester ends
// in a failure result.
TestResult testConnectionString(IConnectionTester &tester,
                                const oledb::ProviderCatalogue &catalogue,
                                const QString &connectionString,
                                const std::atomic<bool> &cancelled);

// Seconds to wait for a log-on: `Connect Timeout` when it holds a whole number, 15 otherwise.
// Zero means "wait as long as it takes", as it does for the drivers.
int connectTimeoutSeconds(const oledb::ConnectionString &connection);

} // namespace drivers
