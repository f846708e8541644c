#include "drivers/testing/untestableprovidertester.h"

#include "oledb/connectionstring.h"
#include "oledb/propertynames.h"
#include "oledb/providercatalogue.h"

namespace drivers {

UntestableProviderTester::UntestableProviderTester(const oledb::ProviderCatalogue &catalogue)
    : m_catalogue(catalogue)
{ }

TestResult UntestableProviderTester::test(const oledb::ConnectionString &connection,
                                          const std::atomic<bool> &)
{
    const QString provider
        = connection.value(oledb::property::Provider).value_or(QString()).trimmed();
    if (m_catalogue.familyOf(provider) == oledb::ProviderFamily::Oracle) {
        return TestResult::notTestable(QStringLiteral(
            "Test Connection cannot check an Oracle connection on this machine: it needs "
            "Oracle's own ODBC driver from Oracle Instant Client, which no Debian package "
            "provides. Nothing was tried."));
    }
    if (oledb::withoutVersion(provider).compare(u"MSOLAP", Qt::CaseInsensitive) == 0) {
        return TestResult::notTestable(QStringLiteral(
            "Test Connection cannot check an Analysis Services connection on this machine: "
            "no Linux driver exists for it and no Debian package provides one. Nothing was "
            "tried."));
    }
    return TestResult::notTestable(
        QStringLiteral("Test Connection cannot check a connection through the provider ") + u'\''
        + provider
        + QStringLiteral("' on this machine: there is no Linux driver for it in Debian. "
                         "Nothing was tried."));
}

} // namespace drivers
