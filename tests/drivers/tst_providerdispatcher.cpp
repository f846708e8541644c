#include "drivers/testing/providerdispatcher.h"
#include "drivers/testing/sqlservertester.h"
#include "drivers/testing/untestableprovidertester.h"
#include "oledb/connectionstring.h"
#include "oledb/providercatalogue.h"
#include "platform/error.h"

#include "oledb/formaterror.h"

#include <QTest>

#include <functional>
#include <stdexcept>

using drivers::ProviderDispatcher;
using drivers::TestResult;
using Family = ProviderDispatcher::Family;
using Outcome = TestResult::Outcome;

namespace {

// Answers with whatever the test wants, given the string it was handed.
class ScriptedTester final : public drivers::IConnectionTester
{
public:
    explicit ScriptedTester(std::function<TestResult(const oledb::ConnectionString &)> answer)
        : m_answer(std::move(answer))
    { }

    TestResult test(const oledb::ConnectionString &connection, const std::atomic<bool> &) override
    {
        return m_answer(connection);
    }

private:
    std::function<TestResult(const oledb::ConnectionString &)> m_answer;
};

std::shared_ptr<drivers::IConnectionTester> answering(const QString &name)
{
    return std::make_shared<ScriptedTester>(
        [name](const oledb::ConnectionString &) { return TestResult::failed(name); });
}

TestResult run(drivers::IConnectionTester &tester, const QString &connectionString)
{
    const std::atomic<bool> cancelled {false};
    return drivers::testConnectionString(tester, oledb::ProviderCatalogue::builtIn(),
                                         connectionString, cancelled);
}

} // namespace

class tst_ProviderDispatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldPickTheTesterByProvider_data();
    void shouldPickTheTesterByProvider();
    void shouldSayWhatAnUntestableProviderNeeds_data();
    void shouldSayWhatAnUntestableProviderNeeds();
    void shouldEndEveryFailureInAResult_data();
    void shouldEndEveryFailureInAResult();
    void shouldReadTheConnectTimeout_data();
    void shouldReadTheConnectTimeout();
};

void tst_ProviderDispatcher::shouldPickTheTesterByProvider_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("tester");

    QTest::newRow("no provider is ODBC") << QString() << QStringLiteral("odbc");
    QTest::newRow("MSDASQL.1") << QStringLiteral("MSDASQL.1") << QStringLiteral("odbc");
    QTest::newRow("msdasql in lower case") << QStringLiteral("msdasql") << QStringLiteral("odbc");
    QTest::newRow("SQLOLEDB.1") << QStringLiteral("SQLOLEDB.1") << QStringLiteral("sqlServer");
    QTest::newRow("SQLNCLI11") << QStringLiteral("SQLNCLI11") << QStringLiteral("sqlServer");
    QTest::newRow("MSOLEDBSQL19.1")
        << QStringLiteral(" MSOLEDBSQL19.1 ") << QStringLiteral("sqlServer");
    QTest::newRow("Jet 4.0") << QStringLiteral("Microsoft.Jet.OLEDB.4.0")
                             << QStringLiteral("accessFile");
    QTest::newRow("ACE 12.0 in another case")
        << QStringLiteral("microsoft.ace.oledb.12.0") << QStringLiteral("accessFile");
    QTest::newRow("ACE without version")
        << QStringLiteral("Microsoft.ACE.OLEDB") << QStringLiteral("accessFile");
    QTest::newRow("Oracle") << QStringLiteral("OraOLEDB.Oracle.1") << QStringLiteral("untestable");
    QTest::newRow("a name that only starts like SQL Server")
        << QStringLiteral("SQLOLEDBX") << QStringLiteral("untestable");
    QTest::newRow("shaping SQL Server")
        << QStringLiteral("MSDataShape;Data Provider=SQLOLEDB.1") << QStringLiteral("sqlServer");
    QTest::newRow("shaping Jet") << QStringLiteral(
        "MSDataShape.1;Data Provider=Microsoft.Jet.OLEDB.4.0")
                                 << QStringLiteral("accessFile");
    QTest::newRow("shaping nothing")
        << QStringLiteral("MSDataShape;Data Provider=NONE") << QStringLiteral("untestable");
}

void tst_ProviderDispatcher::shouldPickTheTesterByProvider()
{
    QFETCH(QString, provider);
    QFETCH(QString, tester);

    ProviderDispatcher dispatcher(
        oledb::ProviderCatalogue::builtIn(),
        {answering(QStringLiteral("odbc")), answering(QStringLiteral("sqlServer")),
         answering(QStringLiteral("accessFile")), answering(QStringLiteral("untestable"))});
    const QString text = provider.isNull() ? QStringLiteral("Data Source=x")
                                           : QStringLiteral("Provider=") + provider;
    QVERIFY(run(dispatcher, text).message.endsWith(u' ' + tester));
}

void tst_ProviderDispatcher::shouldSayWhatAnUntestableProviderNeeds_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("needed");

    QTest::newRow("Oracle") << QStringLiteral("Provider=MSDAORA.1;Data Source=orcl")
                            << QStringLiteral("Oracle Instant Client");
    QTest::newRow("Analysis Services")
        << QStringLiteral("Provider=MSOLAP.8") << QStringLiteral("Analysis Services");
    QTest::newRow("shaping Oracle")
        << QStringLiteral("Provider=MSDataShape;Data Provider=MSDAORA;Data Source=orcl")
        << QStringLiteral("Oracle Instant Client");
    QTest::newRow("unknown provider keeps its name")
        << QStringLiteral("Provider=Acme.Data.3") << QStringLiteral("'Acme.Data.3'");
    QTest::newRow("SQL Server without FreeTDS")
        << QStringLiteral("Provider=SQLOLEDB;Data Source=db;User ID=sa")
        << QStringLiteral("tdsodbc");
    QTest::newRow("SQL Server with integrated security")
        << QStringLiteral("Provider=SQLOLEDB;Data Source=db;Integrated Security=SSPI")
        << QStringLiteral("Integrated security");
}

void tst_ProviderDispatcher::shouldSayWhatAnUntestableProviderNeeds()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, needed);

    ProviderDispatcher dispatcher(
        oledb::ProviderCatalogue::builtIn(),
        {answering(QStringLiteral("odbc")),
         std::make_shared<drivers::SqlServerTester>([] { return QString(); }),
         answering(QStringLiteral("accessFile")),
         std::make_shared<drivers::UntestableProviderTester>(oledb::ProviderCatalogue::builtIn())});
    const TestResult result = run(dispatcher, connectionString);
    QCOMPARE(result.outcome, Outcome::NotTestable);
    QVERIFY2(result.message.contains(needed), qPrintable(result.message));
    QVERIFY2(result.message.endsWith(QStringLiteral("Nothing was tried.")),
             qPrintable(result.message));
}

void tst_ProviderDispatcher::shouldEndEveryFailureInAResult_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<std::function<TestResult(const oledb::ConnectionString &)>>("answer");
    QTest::addColumn<QString>("expected");

    const auto unused = [](const oledb::ConnectionString &) -> TestResult {
        throw std::logic_error("must not be called");
    };
    QTest::newRow("a malformed string")
        << QStringLiteral("Provider=MSDASQL;Password='unclosed") << std::function(unused)
        << QStringLiteral("Test connection failed because of an error in initializing provider. ")
            + oledb::FormatError::text();
    QTest::newRow("a platform error, echoing the password")
        << QStringLiteral("Provider=MSDASQL;Password=hunter2")
        << std::function([](const oledb::ConnectionString &) -> TestResult {
               throw platform::Error(QStringLiteral("bad login hunter2"));
           })
        << QStringLiteral("Test connection failed because of an error in initializing provider. "
                          "bad login ********");
    QTest::newRow("a short password leaves our own words whole")
        << QStringLiteral("Provider=MSDASQL;Password=on")
        << std::function([](const oledb::ConnectionString &) {
               return TestResult::failed(QStringLiteral("log on refused"));
           })
        << QStringLiteral("Test connection failed because of an error in initializing provider. "
                          "log ******** refused");
    QTest::newRow("any other exception")
        << QStringLiteral("Provider=MSDASQL")
        << std::function([](const oledb::ConnectionString &) -> TestResult {
               throw std::runtime_error("out of handles");
           })
        << QStringLiteral("Test connection failed because of an error in initializing provider. "
                          "out of handles");
    QTest::newRow("a driver echoing the whole string")
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DSN=pg;PWD={p;w}\";Password=x1y2")
        << std::function([](const oledb::ConnectionString &connection) {
               QString echo;
               for (const auto &pair : connection.pairs())
                   echo += pair.keyword + u'=' + pair.value + u';';
               return TestResult::failed(echo);
           })
        << QStringLiteral(
               "Test connection failed because of an error in initializing provider. "
               "Provider=MSDASQL;Extended Properties=DSN=pg;PWD=********;Password=********;");
}

void tst_ProviderDispatcher::shouldEndEveryFailureInAResult()
{
    QFETCH(QString, connectionString);
    using Answer = std::function<TestResult(const oledb::ConnectionString &)>;
    QFETCH(Answer, answer);
    QFETCH(QString, expected);

    ScriptedTester tester(answer);
    const TestResult result = run(tester, connectionString);
    QCOMPARE(result.outcome, Outcome::Failed);
    QCOMPARE(result.message.left(expected.size()), expected);
}

void tst_ProviderDispatcher::shouldReadTheConnectTimeout_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<int>("seconds");

    QTest::newRow("none set") << QStringLiteral("Provider=MSDASQL") << 15;
    QTest::newRow("set") << QStringLiteral("Connect Timeout=30") << 30;
    QTest::newRow("hexadecimal, padded") << QStringLiteral("connect timeout= 0x10 ") << 16;
    QTest::newRow("zero waits as long as it takes") << QStringLiteral("Connect Timeout=0") << 0;
    QTest::newRow("negative") << QStringLiteral("Connect Timeout=-5") << 15;
    QTest::newRow("not a number") << QStringLiteral("Connect Timeout=soon") << 15;
}

void tst_ProviderDispatcher::shouldReadTheConnectTimeout()
{
    QFETCH(QString, connectionString);
    QFETCH(int, seconds);
    QCOMPARE(drivers::connectTimeoutSeconds(oledb::ConnectionString::parse(connectionString)),
             seconds);
}

QTEST_GUILESS_MAIN(tst_ProviderDispatcher)
#include "tst_providerdispatcher.moc"
