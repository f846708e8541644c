#include "drivers/testing/connectiontester.h"

#include "oledb/connectionstring.h"
#include "oledb/propertydefinition.h"
#include "oledb/propertynames.h"
#include "oledb/secrets.h"
#include "platform/error.h"

#include <exception>
#include <limits>

namespace drivers {

namespace {

constexpr int DefaultConnectTimeout = 15;

} // namespace

TestResult testConnectionString(IConnectionTester &tester,
                                const oledb::ProviderCatalogue &catalogue,
                                const QString &connectionString, const std::atomic<bool> &cancelled)
{
    oledb::ConnectionString connection;
    try {
        connection = oledb::ConnectionString::parse(connectionString);
    } catch (const platform::Error &error) {
        // The syntax error names an offset, never the text, so there is nothing to mask.
        return TestResult::failed(error.message());
    }

    TestResult result;
    try {
        result = tester.test(connection, cancelled);
    } catch (const platform::Error &error) {
        result = TestResult::failed(error.message());
    } catch (const std::exception &error) {
        result = TestResult::failed(QString::fromLocal8Bit(error.what()));
    }
    // Only what came from the driver is masked: masking our own fixed wording would garble it
    // and show where the password's letters occur.
    if (result.outcome == TestResult::Outcome::Succeeded)
        return result;
    const QString fixed = TestResult::failed(QString()).message;
    const qsizetype own
        = result.outcome == TestResult::Outcome::Failed && result.message.startsWith(fixed)
        ? fixed.size()
        : 0;
    result.message = result.message.left(own)
        + oledb::maskSecrets(QStringView(result.message).sliced(own),
                             oledb::secretsOf(connection, catalogue), catalogue);
    return result;
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
