#pragma once

// corvanta-connstr's commands: JSON requests on one file descriptor, JSON answers on another.

#include <QByteArrayView>

namespace oledb {
class ProviderCatalogue;
}

namespace connstr {

enum ExitCode {
    AllValid = 0,
    SomeInvalid = 1,
    // The input itself is unusable, memory ran out, or the output could not be written.
    Unusable = 2,
};

bool isCommand(QByteArrayView name);

// Runs the command `name`, one isCommand accepts, reading `in` and writing `out`; problems with
// the input as a whole go to standard error. The input array is read and answered one element
// at a time, so an unusable element found after answers have been written leaves the output
// array unterminated; the exit status says not to use it.
ExitCode runCommand(QByteArrayView name, const oledb::ProviderCatalogue &catalogue, int in,
                    int out);

} // namespace connstr
