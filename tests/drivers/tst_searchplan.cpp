#include "drivers/discovery/searchplan.h"
#include "drivers/discovery/serverbrowser.h"

#include <QTest>

using drivers::LookupResult;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(drivers::LookupResult)

namespace {

// Answers with what it was given, at once.
class CannedBrowser final : public drivers::IServerBrowser
{
public:
    CannedBrowser(LookupResult host, LookupResult network)
        : m_host(std::move(host))
        , m_network(std::move(network))
    { }

    LookupResult queryHost(const QString &, const std::atomic<bool> &) override { return m_host; }
    LookupResult broadcast(const std::atomic<bool> &) override { return m_network; }
    std::chrono::milliseconds timeLimit() const override { return 2000ms; }

private:
    LookupResult m_host;
    LookupResult m_network;
};

} // namespace

class tst_SearchPlan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aDatabaseListKeysOnEverythingButTheDatabase_data();
    void aDatabaseListKeysOnEverythingButTheDatabase();
    void aServerListAsksTheTypedHostAndTheNetworksOnRefresh_data();
    void aServerListAsksTheTypedHostAndTheNetworksOnRefresh();
    void theHostsAndTheNetworksAnswersMakeOneList_data();
    void theHostsAndTheNetworksAnswersMakeOneList();
};

void tst_SearchPlan::aDatabaseListKeysOnEverythingButTheDatabase_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint64>("timeLimitMs");

    // The default log-on time-out is 15 s: twice that and a 5 s grace.
    QTest::newRow("default time-out")
        << QStringLiteral("Provider=SQLOLEDB;Data Source=db1;Initial Catalog=sales;User ID=sa")
        << QStringLiteral("Provider=SQLOLEDB;Data Source=db1;User ID=sa") << qint64(35000);
    QTest::newRow("keyword in another case, own time-out")
        << QStringLiteral("Provider=SQLOLEDB;initial catalog=sales;Connect Timeout=3")
        << QStringLiteral("Provider=SQLOLEDB;Connect Timeout=3") << qint64(11000);
    QTest::newRow("no time-out waits as long as it takes")
        << QStringLiteral("Provider=SQLOLEDB;Connect Timeout=0;Initial Catalog=sales")
        << QStringLiteral("Provider=SQLOLEDB;Connect Timeout=0") << qint64(0);
    QTest::newRow("both spellings of the database go")
        << QStringLiteral("Initial Catalog=a;Provider=SQLOLEDB;Initial Catalog=b")
        << QStringLiteral("Provider=SQLOLEDB") << qint64(35000);
    QTest::newRow("malformed keys on its text")
        << QStringLiteral("Provider=SQLOLEDB;Initial Catalog='sales")
        << QStringLiteral("Provider=SQLOLEDB;Initial Catalog='sales") << qint64(0);
}

void tst_SearchPlan::aDatabaseListKeysOnEverythingButTheDatabase()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, key);
    QFETCH(qint64, timeLimitMs);

    const drivers::DatabaseSearchPlan plan
        = drivers::planDatabaseSearch(connectionString, QStringLiteral("Initial Catalog"));
    QCOMPARE(plan.key, key);
    QCOMPARE(qint64(plan.timeLimit.count()), timeLimitMs);
}

void tst_SearchPlan::aServerListAsksTheTypedHostAndTheNetworksOnRefresh_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refresh");
    QTest::addColumn<bool>("searches");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("network");

    QTest::newRow("nothing typed, list opened")
        << QString() << false << false << QString() << false;
    QTest::newRow("nothing typed, Refresh") << QString() << true << true << QString() << true;
    QTest::newRow("instance, list opened")
        << QStringLiteral("db1\\SQLEXPRESS") << false << true << QStringLiteral("db1") << false;
    QTest::newRow("tcp with a port, Refresh")
        << QStringLiteral("tcp:db1,1433") << true << true << QStringLiteral("db1") << true;
    QTest::newRow("this machine") << QStringLiteral("(local)") << false << true
                                  << QStringLiteral("localhost") << false;
}

void tst_SearchPlan::aServerListAsksTheTypedHostAndTheNetworksOnRefresh()
{
    QFETCH(QString, typed);
    QFETCH(bool, refresh);
    QFETCH(bool, searches);
    QFETCH(QString, host);
    QFETCH(bool, network);

    const auto plan = drivers::planServerSearch(typed, refresh, 2000ms);
    QCOMPARE(plan.has_value(), searches);
    if (!plan)
        return;
    QCOMPARE(plan->host, host);
    QCOMPARE(plan->network, network);
    // Twice the browser's own wait and a 2 s grace.
    QCOMPARE(plan->timeLimit, 6000ms);
}

void tst_SearchPlan::theHostsAndTheNetworksAnswersMakeOneList_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("network");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<LookupResult>("hostAnswer");
    QTest::addColumn<LookupResult>("networkAnswer");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("failure");

    const auto found = [](const QStringList &names) {
        return LookupResult::found(names);
    };
    const LookupResult hostDown = LookupResult::failed(QStringLiteral("db1 did not answer."));
    const LookupResult noneHeard = LookupResult::failed(QStringLiteral("No server answered."));
    const QString db1 = QStringLiteral("db1\\A");
    const QString db2 = QStringLiteral("DB2\\B");

    QTest::newRow("host only") << QStringLiteral("db1") << false << false << found({db1})
                               << found({db2}) << QStringList {db1} << QString();
    QTest::newRow("networks only") << QString() << true << false << found({db1}) << found({db2})
                                   << QStringList {db2} << QString();
    QTest::newRow("both, the networks' first, once each")
        << QStringLiteral("db1") << true << false << found({db1}) << found({db2, db1})
        << QStringList {db2, db1} << QString();
    QTest::newRow("host down, networks heard") << QStringLiteral("db1") << true << false << hostDown
                                               << found({db2}) << QStringList {db2} << QString();
    QTest::newRow("host heard, networks silent")
        << QStringLiteral("db1") << true << false << found({db1}) << noneHeard << QStringList {db1}
        << QString();
    QTest::newRow("neither: the host's reason")
        << QStringLiteral("db1") << true << false << hostDown << noneHeard << QStringList()
        << hostDown.failure;
    QTest::newRow("cancelled after the host")
        << QStringLiteral("db1") << true << true << found({db1}) << found({db2})
        << QStringList {db1} << QString();
}

void tst_SearchPlan::theHostsAndTheNetworksAnswersMakeOneList()
{
    QFETCH(QString, host);
    QFETCH(bool, network);
    QFETCH(bool, cancelled);
    QFETCH(LookupResult, hostAnswer);
    QFETCH(LookupResult, networkAnswer);
    QFETCH(QStringList, names);
    QFETCH(QString, failure);

    CannedBrowser browser(hostAnswer, networkAnswer);
    const std::atomic<bool> stop {cancelled};
    const LookupResult result
        = drivers::searchServers(browser, drivers::ServerSearchPlan {host, network, 6000ms}, stop);
    QCOMPARE(result.names, names);
    QCOMPARE(result.failure, failure);
}

QTEST_GUILESS_MAIN(tst_SearchPlan)
#include "tst_searchplan.moc"
