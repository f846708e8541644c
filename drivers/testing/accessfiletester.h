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
    // is not installed; `findReaderProcess`, the program the reader is run in (see
    // findAccessReaderProcess), or an empty string when there is none.
    AccessFileTester(std::function<QString()> findReader,
                     std::function<QString()> findReaderProcess);

    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;

private:
    std::function<QString()> m_findReader;
    std::function<QString()> m_findReaderProcess;
};

// mdbtools' ODBC driver as registered with the driver manager, else its library where Debian
// puts it; empty when neither is there.
QString findAccessFileReader();

// The reader trusts the file it reads, and a damaged one can bring down the process that reads
// it: it is run in corvanta-access-reader, which CORVANTA_ACCESS_READER names, else the one
// beside the program, else the one where it is installed. Empty when none is there.
QString findAccessReaderProcess();

} // namespace drivers
