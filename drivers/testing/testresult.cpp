#include "drivers/testing/testresult.h"

namespace drivers {

TestResult TestResult::succeeded()
{
    return {Outcome::Succeeded, QStringLiteral("Test connection succeeded.")};
}

TestResult TestResult::failed(const QString &providerMessage)
{
    return {Outcome::Failed,
            QStringLiteral("Test connection failed because of an error in initializing provider. ")
                + providerMessage};
}

TestResult TestResult::notTestable(const QString &sentence)
{
    return {Outcome::NotTestable, sentence};
}

} // namespace drivers
