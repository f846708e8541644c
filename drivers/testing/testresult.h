#pragma once

#include <QString>

namespace drivers {

// What a user is told after pressing "Test Connection", in the words the dialog has always used.
struct TestResult
{
    enum class Outcome { Succeeded, Failed, NotTestable };

    Outcome outcome = Outcome::Failed;
    QString message;

    static TestResult succeeded();
    // The provider's own words follow the standard sentence.
    static TestResult failed(const QString &providerMessage);
    // For a provider with no driver here: the sentence says what would be needed and that
    // nothing was tried.
    static TestResult notTestable(const QString &sentence);
};

} // namespace drivers
