#pragma once

#include "drivers/testing/connectiontester.h"

namespace drivers {

// Jet and ACE: no engine runs here, so the test checks what it can without one. An Access
// database must exist, be readable and carry the engine's signature; an Excel workbook or a
// folder of text files (Extended Properties says which) must exist and be readable.
class AccessFileTester final : public IConnectionTester
{
public:
    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;
};

} // namespace drivers
