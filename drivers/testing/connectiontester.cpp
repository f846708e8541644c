#include "drivers/testing/connectiontester.h"

#include "drivers/guardedcall.h"
#include "oledb/connectionstring.h"
#include "oledb/propertydefinition.h"
#include "oledb/propertynames.h"
#include "oledb/secrets.h"

#include <limits>

namespace drivers {

namespace {

constexpr int DefaultConnectTimeout = 15;

// Only what came from the driver is masked: masking our own fixed wording would garble it and
// show where the password's letters occur.
TestResult masked(TestResult result, const QStringList &secrets,
                  const oledb::ProviderCatalogue &catalogue)
{
    if (result.outcome == TestResult::Outcome::Succeeded)
        return result;
    const QString fixed = TestResult::failed(QString()).message;
    const qsizetype own
        = result.outcome == TestResult::Outcome::Failed && result.message.startsWith(fixed)
        ? fixed.size()
        : 0;
    result.message = result.message.left(own)
        + oledb::maskSecrets(QStringView(result.message).sliced(own), secrets, catalogue);
    return result;
}

} // namespace

TestResult testConnectionString(IConnectionTester &tester,
                                const oledb::ProviderCatalogue &catalogue,
                                const QString &connectionString, const std::atomic<bool> &cancelled)
{
    static constexpr Guard<TestResult> guard {TestResult::failed, TestResult::failed, masked};
    return guardedCall(catalogue, connectionString, guard,
                       [&](const oledb::ConnectionString &connection) {
                           return tester.test(connection, cancelled);
                       });
}

int connectTimeoutSeconds(const oledb::ConnectionString &connection)
{
    const auto text = connection.value(oledb::property::ConnectTimeout);
    if (!text)
        return DefaultConnectTimeout;
    const auto seconds = oledb::PropertyDefinition::parseInteger(text->trimmed());
    if (!seconds || *seconds < 0 || *seconds > std::numeric_limits<int>::max())
        return DefaultConnectTimeout;
    return int(*seconds);
}

} // namespace drivers
