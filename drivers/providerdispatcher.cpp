#include "drivers/providerdispatcher.h"

#include "drivers/accessfiletester.h"
#include "drivers/odbctester.h"
#include "drivers/sqlservertester.h"
#include "drivers/untestableprovidertester.h"
#include "oledb/connectionstring.h"

#include <QRegularExpression>

namespace drivers {

ProviderDispatcher::ProviderDispatcher(Testers testers)
    : m_testers(std::move(testers))
{ }

QString ProviderDispatcher::withoutVersion(QStringView provider)
{
    static const QRegularExpression version(QStringLiteral(R"((\.\d+)+$)"));
    return provider.trimmed().toString().remove(version);
}

ProviderDispatcher::Family ProviderDispatcher::familyOf(QStringView provider)
{
    static const QRegularExpression sqlServer(
        QStringLiteral(R"(^(SQLOLEDB|SQLNCLI\d*|MSOLEDBSQL\d*)$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString base = withoutVersion(provider);
    if (base.isEmpty() || base.compare(u"MSDASQL", Qt::CaseInsensitive) == 0)
        return Family::Odbc;
    if (sqlServer.match(base).hasMatch())
        return Family::SqlServer;
    if (base.compare(u"Microsoft.Jet.OLEDB", Qt::CaseInsensitive) == 0
        || base.compare(u"Microsoft.ACE.OLEDB", Qt::CaseInsensitive) == 0)
        return Family::AccessFile;
    return Family::Untestable;
}

TestResult ProviderDispatcher::test(const oledb::ConnectionString &connection,
                                    const std::atomic<bool> &cancelled)
{
    IConnectionTester *tester = nullptr;
    switch (familyOf(connection.value(u"Provider").value_or(QString()))) {
    case Family::Odbc:
        tester = m_testers.odbc.get();
        break;
    case Family::SqlServer:
        tester = m_testers.sqlServer.get();
        break;
    case Family::AccessFile:
        tester = m_testers.accessFile.get();
        break;
    case Family::Untestable:
        tester = m_testers.untestable.get();
        break;
    }
    return tester->test(connection, cancelled);
}

std::shared_ptr<IConnectionTester> makeConnectionTester()
{
    return std::make_shared<ProviderDispatcher>(ProviderDispatcher::Testers {
        std::make_shared<OdbcTester>(), std::make_shared<SqlServerTester>(findFreeTdsDriver),
        std::make_shared<AccessFileTester>(), std::make_shared<UntestableProviderTester>()});
}

} // namespace drivers
