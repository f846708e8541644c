#pragma once

#include "datalink/datalinkdialog.h"

#include <memory>

namespace oledb {
class ProviderCatalogue;
}

namespace drivers {
class IConnectionTester;
}

namespace datalink {

// What "Test Connection" runs. Returns at once: the test runs on a worker thread behind a
// progress dialog, window-modal to the Data Link dialog, whose Cancel stops the waiting; the
// result comes in a message box over the dialog. A press while a test runs is ignored. The
// catalogue, which must last as long as the program, tells what to mask in the message.
ConnectionTester makeTestConnectionHook(std::shared_ptr<drivers::IConnectionTester> tester,
                                        const oledb::ProviderCatalogue &catalogue);
// The same with this machine's drivers.
ConnectionTester makeTestConnectionHook(const oledb::ProviderCatalogue &catalogue);

} // namespace datalink
