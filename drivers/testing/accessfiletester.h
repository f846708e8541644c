#pragma once

#include "drivers/testing/connectiontester.h"

#include <functional>

namespace drivers {

// Jet and ACE: no engine runs here. An Access database is opened with the reader Debian ships
// (mdbtools' ODBC driver), which must list its tables; what that reader cannot check (an
// encrypted ACE file, users in a workgroup file) is said, not passed. An Excel workbook or a folder
// of text files (Extended Properties says which) must exist and be readable, and is not opened.
class AccessFileTester final : public IConnectionTester
{
public:
    // `findReader` answers what goes after DRIVER= for the reader, or an empty string when it
    // is not installed.
    explicit AccessFileTester(std::function<QString()> findReader);

    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;

private:
    std::function<QString()> m_findReader;
};

// mdbtools' ODBC driver as registered with the driver manager, else its library where Debian
// puts it; empty when neither is there.
QString findAccessFileReader();

} // namespace drivers
