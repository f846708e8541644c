#include "drivers/discovery/odbcdatasources.h"
#include "drivers/testing/connectiontester.h"
#include "drivers/testing/providerdispatcher.h"
#include "drivers/testing/sqlservertester.h"
#include "oledb/odbcdrivercatalogue.h"
#include "oledb/providercatalogue.h"
#include "tests/drivers/exitprobe.h"
#include "tests/drivers/jetfile.h"
#include "tests/drivers/testdb.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using drivers::TestResult;
using Outcome = drivers::TestResult::Outcome;

namespace {

// A port that completes the TCP handshake and then says nothing, as a hung server does.
class SilentServer
{
public:
    SilentServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), length) != 0
            || ::listen(m_socket, 8) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;
    ~SilentServer()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }

    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

} // namespace

class tst_RealDrivers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shouldReportWhatTheDriverSays_data();
    void shouldReportWhatTheDriverSays();
    void shouldGiveUpOnAHungServerWithinTheConnectTimeout_data();
    void shouldGiveUpOnAHungServerWithinTheConnectTimeout();
    void shouldExitAtOnceWhileACancelledTestWaitsForAHungServer_data();
    void shouldExitAtOnceWhileACancelledTestWaitsForAHungServer();
    void shouldFailQuicklyOnAClosedSqlServerPort();
    void shouldListUserAndSystemDataSources();

private:
    TestResult run(const QString &connectionString) const;
    void verifyNoSecret(const TestResult &result) const;

    TestDatabase m_db;
    QTemporaryDir m_files;
    std::shared_ptr<drivers::IConnectionTester> m_tester
        = drivers::makeConnectionTester(oledb::ProviderCatalogue::builtIn());
};

void tst_RealDrivers::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("CORVANTA_TESTDB"))
        QSKIP("CORVANTA_TESTDB is not set: run through ctest, whose fixture starts the database");
    QVERIFY2(m_db.load(), "the testdb fixture left no testdb.env");

    // Access databases need no server: the reader opens the file.
    QVERIFY(m_files.isValid());
    m_db.values.insert(QStringLiteral("files"), m_files.path());
    const QList<testsupport::JetTable> tables {
        {QStringLiteral("Customers"),
         {QStringLiteral("Name"), QStringLiteral("City")},
         {{QStringLiteral("Ada"), QStringLiteral("London")},
          {QStringLiteral("Grace"), QStringLiteral("Arlington")}}},
        {QStringLiteral("Orders"), {QStringLiteral("Item")}, {{QStringLiteral("tea")}}},
    };
    using Format = drivers::JetHeader::Format;
    const std::pair<QString, QByteArray> files[] {
        {QStringLiteral("orders.mdb"), testsupport::jetDatabase(tables)},
        {QStringLiteral("Bestellungen in Köln; 東京.mdb"), testsupport::jetDatabase(tables)},
        {QStringLiteral("orders.accdb"),
         testsupport::jetDatabase(tables, {Format::Ace, {}, false})},
        {QStringLiteral("encoded.mdb"), testsupport::jetDatabase(tables, {Format::Jet4, {}, true})},
        {QStringLiteral("damaged.mdb"),
         testsupport::jetDatabase(
             tables,
             {Format::Jet4, {}, false, testsupport::JetFileOptions::Damage::CatalogueColumns})},
        {QStringLiteral("locked.mdb"),
         testsupport::jetDatabase(tables,
                                  {Format::Jet4, m_db.value(QStringLiteral("password")), false})},
    };
    for (const auto &[name, content] : files) {
        QFile file(m_files.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }
}

TestResult tst_RealDrivers::run(const QString &connectionString) const
{
    const std::atomic<bool> cancelled {false};
    return drivers::testConnectionString(*m_tester, oledb::ProviderCatalogue::builtIn(),
                                         connectionString, cancelled);
}

void tst_RealDrivers::verifyNoSecret(const TestResult &result) const
{
    QVERIFY2(!result.message.contains(m_db.value(QStringLiteral("password"))),
             qPrintable(result.message));
}

void tst_RealDrivers::shouldReportWhatTheDriverSays_data()
{
    // The server the row needs running, if any.
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("driverSays");

    const QString pg = QStringLiteral("PostgreSQL");
    const QString maria = QStringLiteral("MariaDB");
    const QString logOn = QStringLiteral(";User ID=%user%;Password=\"%password%\"");
    QTest::newRow("PostgreSQL by data source name")
        << pg << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg") + logOn
        << Outcome::Succeeded << QString();
    QTest::newRow("PostgreSQL without a Provider keyword")
        << pg << QStringLiteral("Data Source=CorvantaPg") + logOn << Outcome::Succeeded
        << QString();
    QTest::newRow("PostgreSQL by an ODBC string in Extended Properties")
        << pg
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={PostgreSQL "
                          "Unicode};SERVER=127.0.0.1;PORT=%port%;DATABASE=%database%;"
                          "UID=%user%;PWD={%password%}\"")
        << Outcome::Succeeded << QString();
    QTest::newRow("PostgreSQL by ODBC keywords at the top level of the string")
        << pg
        << QStringLiteral("Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;"
                          "Port=%port%;Database=%database%;Uid=%user%;Pwd=\"%password%\";")
        << Outcome::Succeeded << QString();
    QTest::newRow("PostgreSQL with the wrong password")
        << pg
        << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg;User ID=%user%;"
                          "Password=\"%password%x\"")
        << Outcome::Failed << QStringLiteral("password authentication failed");
    QTest::newRow("PostgreSQL with an unknown database")
        << pg
        << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg;Initial Catalog=nowhere")
            + logOn
        << Outcome::Failed << QStringLiteral("\"nowhere\" does not exist");
    // The user name shows in its field: the message says which log-on failed, and does not
    // tell an onlooker that the password is the same.
    QTest::newRow("PostgreSQL refusing a user named like the password keeps the name")
        << pg
        << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg;User ID=\"%password%\";"
                          "Password=\"%password%\"")
        << Outcome::Failed << QStringLiteral("%password%");
    QTest::newRow("PostgreSQL server down")
        << QString() << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPgDown") + logOn
        << Outcome::Failed << QStringLiteral("%down_port%");
    const QString mariaServer
        = QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={MariaDB "
                         "Unicode};SERVER=127.0.0.1;PORT=%mariadb_port%\"");
    QTest::newRow("MariaDB by an ODBC string in Extended Properties")
        << maria
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={MariaDB Unicode};"
                          "SERVER=127.0.0.1;PORT=%mariadb_port%;DATABASE=%database%;UID=%user%;"
                          "PWD={%password%}\"")
        << Outcome::Succeeded << QString();
    QTest::newRow("MariaDB by ODBC keywords at the top level of the string")
        << maria
        << QStringLiteral("Provider=MSDASQL;Driver={MariaDB Unicode};Server=127.0.0.1;"
                          "Port=%mariadb_port%;Database=%database%;Uid=%user%;Pwd=\"%password%\"")
        << Outcome::Succeeded << QString();
    QTest::newRow("MariaDB with the wrong password")
        << maria << mariaServer + QStringLiteral(";User ID=%user%;Password=\"%password%x\"")
        << Outcome::Failed << QStringLiteral("Access denied for user '%user%'");
    QTest::newRow("MariaDB refusing a user named like the password keeps the name")
        << maria << mariaServer + QStringLiteral(";User ID=\"%password%\";Password=\"%password%\"")
        << Outcome::Failed << QStringLiteral("'%password%'");
    QTest::newRow("MariaDB server down")
        << QString()
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={MariaDB Unicode};"
                          "SERVER=127.0.0.1;PORT=%down_port%\"")
            + logOn
        << Outcome::Failed << QStringLiteral("Can't connect to server on '127.0.0.1'");
    QTest::newRow("SQLite by data source name")
        << QString() << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaSqlite")
        << Outcome::Succeeded << QString();
    QTest::newRow("SQLite with a database file that cannot be made")
        << QString()
        << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaSqlite;Initial "
                          "Catalog=/nonexistent/folder/test.sqlite")
        << Outcome::Failed << QStringLiteral("[SQLite]");
    const QString jet = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%files%/");
    const QString ace = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=%files%/");
    QTest::newRow("Access database opened by the reader")
        << QString() << jet + QStringLiteral("orders.mdb") << Outcome::Succeeded << QString();
    QTest::newRow("Access database named in other scripts")
        << QString()
        << QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"%files%/Bestellungen "
                          "in Köln; 東京.mdb\"")
        << Outcome::Succeeded << QString();
    QTest::newRow("Access 2007 database opened by the reader")
        << QString() << ace + QStringLiteral("orders.accdb") << Outcome::Succeeded << QString();
    QTest::newRow("encoded Access database opened by the reader")
        << QString() << jet + QStringLiteral("encoded.mdb") << Outcome::Succeeded << QString();
    QTest::newRow("Access database with its password")
        << QString()
        << jet + QStringLiteral("locked.mdb;Jet OLEDB:Database Password=\"%password%\"")
        << Outcome::Succeeded << QString();
    QTest::newRow("Access database with the wrong password")
        << QString()
        << jet + QStringLiteral("locked.mdb;Jet OLEDB:Database Password=\"%password%x\"")
        << Outcome::Failed << QStringLiteral("Not a valid password.");
    QTest::newRow("Access database without its password")
        << QString() << jet + QStringLiteral("locked.mdb") << Outcome::Failed
        << QStringLiteral("Not a valid password.");
    // The reader opens it, lists nothing and says nothing.
    QTest::newRow("Access database whose catalogue cannot be read")
        << QString() << jet + QStringLiteral("damaged.mdb") << Outcome::Failed
        << QStringLiteral("could not read its catalogue");
    // The reader lists the tables but knows nothing of users.
    QTest::newRow("Access database secured by a workgroup file")
        << QString()
        << jet + QStringLiteral("orders.mdb;Jet OLEDB:System database=%files%/system.mdw")
        << Outcome::NotTestable
        << QStringLiteral("listed its 2 tables, but the user was not checked against the "
                          "workgroup information file '%files%/system.mdw'");
    QTest::newRow("unknown data source")
        << QString() << QStringLiteral("Provider=MSDASQL.1;Data Source=NoSuchSource") + logOn
        << Outcome::Failed << QStringLiteral("Data source name not found");
}

void tst_RealDrivers::shouldReportWhatTheDriverSays()
{
    QFETCH(QString, server);
    QFETCH(QString, connectionString);
    QFETCH(Outcome, outcome);
    QFETCH(QString, driverSays);
    if (const QString why = m_db.skipReason(server); !why.isEmpty())
        QSKIP(qPrintable(why));

    QElapsedTimer clock;
    clock.start();
    const TestResult result = run(m_db.expand(connectionString));
    QVERIFY2(clock.elapsed() < 15000, "a refusal must not wait for the default timeout");
    QVERIFY2(result.outcome == outcome, qPrintable(result.message));
    if (outcome == Outcome::Succeeded) {
        QCOMPARE(result.message, QStringLiteral("Test connection succeeded."));
    } else if (outcome == Outcome::NotTestable) {
        QVERIFY2(result.message.contains(m_db.expand(driverSays)), qPrintable(result.message));
    } else {
        QVERIFY(result.message.startsWith(QStringLiteral(
            "Test connection failed because of an error in initializing provider. ")));
        QVERIFY2(result.message.contains(m_db.expand(driverSays)), qPrintable(result.message));
    }
    TestResult shown = result;
    shown.message.remove(m_db.expand(driverSays));
    verifyNoSecret(shown);
}

void tst_RealDrivers::shouldGiveUpOnAHungServerWithinTheConnectTimeout_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::newRow("SQL Server through FreeTDS")
        << QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%silent%;User ID=sa;"
                          "Password=\"%password%\";Connect Timeout=2");
    QTest::newRow("PostgreSQL through ODBC")
        << QStringLiteral("Provider=MSDASQL.1;Extended Properties=\"DRIVER={PostgreSQL "
                          "Unicode};SERVER=127.0.0.1;PORT=%silent%;DATABASE=x\";User "
                          "ID=%user%;Password=\"%password%\";Connect Timeout=2");
    QTest::newRow("MariaDB through ODBC")
        << QStringLiteral("Provider=MSDASQL;Driver={MariaDB Unicode};Server=127.0.0.1;"
                          "Port=%silent%;Uid=%user%;Pwd=\"%password%\";Connect Timeout=2");
}

void tst_RealDrivers::shouldGiveUpOnAHungServerWithinTheConnectTimeout()
{
    QFETCH(QString, connectionString);
    SilentServer silent;
    QVERIFY(silent.port() > 0);

    QElapsedTimer clock;
    clock.start();
    const TestResult result
        = run(m_db.expand(connectionString)
                  .replace(QStringLiteral("%silent%"), QString::number(silent.port())));
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY2(elapsed >= 1500 && elapsed < 6000, qPrintable(QString::number(elapsed)));
    verifyNoSecret(result);
}

void tst_RealDrivers::shouldExitAtOnceWhileACancelledTestWaitsForAHungServer_data()
{
    shouldGiveUpOnAHungServerWithinTheConnectTimeout_data();
}

void tst_RealDrivers::shouldExitAtOnceWhileACancelledTestWaitsForAHungServer()
{
    QFETCH(QString, connectionString);
    SilentServer silent;
    QVERIFY(silent.port() > 0);
    const QString text = m_db.expand(connectionString)
                             .replace(QStringLiteral("%silent%"), QString::number(silent.port()));
    // Ten times per driver: cancelled at once, and later while the driver waits for the server.
    for (int delay = 0; delay < 500; delay += 50) {
        const QString fault = exitProbeFault({QString::number(delay), text});
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
}

void tst_RealDrivers::shouldFailQuicklyOnAClosedSqlServerPort()
{
    QVERIFY2(!drivers::findFreeTdsDriver().isEmpty(), "the Debian package tdsodbc is needed");
    QElapsedTimer clock;
    clock.start();
    const TestResult result = run(
        m_db.expand(QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%down_port%;"
                                   "Initial Catalog=master;User ID=sa;Password=\"%password%\";"
                                   "Connect Timeout=5")));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY2(result.message.contains(QStringLiteral("[FreeTDS]")), qPrintable(result.message));
    verifyNoSecret(result);
}

void tst_RealDrivers::shouldListUserAndSystemDataSources()
{
    using Scope = drivers::odbc::DataSource::Scope;
    const QString odbc = qEnvironmentVariable("CORVANTA_TESTDB") + QStringLiteral("/odbc");
    QStringList listed;
    for (const drivers::odbc::DataSource &source : drivers::UnixOdbcDataSources().dataSources()) {
        listed.append(
            QStringLiteral("%1 %2 %3")
                .arg(source.name, source.scope == Scope::User ? u"user" : u"system", source.file));
    }
    QCOMPARE(listed,
             (QStringList {u"CorvantaPg system "_s + odbc + u"/odbc.ini"_s,
                           u"CorvantaPgDown system "_s + odbc + u"/odbc.ini"_s,
                           u"CorvantaSqlite user "_s + odbc + u"/user.ini"_s}));
    // What the driver manager registers is what the Build dialog's keyword table knows.
    for (const drivers::odbc::Driver &driver : drivers::UnixOdbcDataSources().drivers()) {
        QVERIFY2(oledb::OdbcDriverCatalogue::builtIn().family(driver.name, driver.library),
                 qPrintable(driver.name + u' ' + driver.library));
    }
}

QTEST_GUILESS_MAIN(tst_RealDrivers)
#include "tst_realdrivers.moc"
