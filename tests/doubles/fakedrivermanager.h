#pragma once

#include <QString>

// A driver manager with no drivers behind it. A test linked with it has it loaded under the real
// one's soname, so the code that opens the driver manager by that name gets this one, and no
// log-on ever leaves the process: every one fails without a diagnostic. Its one data source,
// CorvantaMaria, names the MariaDB driver.
namespace fakedrivermanager {

struct LogOn
{
    int attempts = 0;
    // The login time-out set on the connection before the last attempt; -1 when none was.
    long loginTimeoutSeconds = -1;
    QString connectionString;
};

// What the log-ons since the last forget() were given.
LogOn lastLogOn();
void forget();

} // namespace fakedrivermanager
