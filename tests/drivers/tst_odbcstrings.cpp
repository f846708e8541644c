#include "drivers/discovery/databaselister.h"
#include "drivers/testing/odbctester.h"
#include "drivers/testing/providerdispatcher.h"
#include "drivers/testing/sqlservertester.h"
#include "fakedrivermanager.h"
#include "oledb/connectionstring.h"
#include "oledb/odbcattributes.h"
#include "oledb/odbcdrivercatalogue.h"
#include "oledb/providercatalogue.h"

#include <QTest>

#include <memory>
#include <optional>

using oledb::OdbcAttributes;
using namespace Qt::StringLiterals;

class tst_OdbcStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReadOdbcStringsLikeTheDriverManager_data();
    void shouldReadOdbcStringsLikeTheDriverManager();
    void shouldWriteValuesTheDriverManagerReadsBack();
    void anEditChangesOnlyThePairItConcerns_data();
    void anEditChangesOnlyThePairItConcerns();
    void driversAreKnownByTheirLibraryOrElseTheirName_data();
    void driversAreKnownByTheirLibraryOrElseTheirName();
    void shouldMapOdbcProviderProperties_data();
    void shouldMapOdbcProviderProperties();
    void shouldFindTheSqlServerAddress_data();
    void shouldFindTheSqlServerAddress();
    void shouldRecogniseIntegratedSecurity_data();
    void shouldRecogniseIntegratedSecurity();
    void theLogOnWaitsAsLongAsTheConnectTimeoutSays_data();
    void theLogOnWaitsAsLongAsTheConnectTimeoutSays();
};

void tst_OdbcStrings::shouldReadOdbcStringsLikeTheDriverManager_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<OdbcAttributes::Attribute>>("expected");

    QTest::newRow("braces with a separator and an escaped brace")
        << QStringLiteral("DRIVER={PostgreSQL Unicode};PWD={a;b}}c}")
        << QList<OdbcAttributes::Attribute> {
               {QStringLiteral("DRIVER"), QStringLiteral("PostgreSQL Unicode")},
               {QStringLiteral("PWD"), QStringLiteral("a;b}c")}};
    QTest::newRow("white space trimmed, trailing separator optional")
        << QStringLiteral(" DSN = pg ; UID=me")
        << QList<OdbcAttributes::Attribute> {{QStringLiteral("DSN"), QStringLiteral("pg")},
                                             {QStringLiteral("UID"), QStringLiteral("me")}};
    QTest::newRow("white space of any kind around keys and bare values")
        << QStringLiteral("\u00A0PWD\u3000= \u2003pw\u00A0;UID=u")
        << QList<OdbcAttributes::Attribute> {{QStringLiteral("PWD"), QStringLiteral("pw")},
                                             {QStringLiteral("UID"), QStringLiteral("u")}};
    QTest::newRow("what follows a closing brace is dropped")
        << QStringLiteral("PWD={a}b;UID=u")
        << QList<OdbcAttributes::Attribute> {{QStringLiteral("PWD"), QStringLiteral("a")},
                                             {QStringLiteral("UID"), QStringLiteral("u")}};
    QTest::newRow("a piece without a value and an unclosed brace")
        << QStringLiteral("Trusted;PWD={open")
        << QList<OdbcAttributes::Attribute> {{QStringLiteral("Trusted"), QString()},
                                             {QStringLiteral("PWD"), QStringLiteral("open")}};
}

void tst_OdbcStrings::shouldReadOdbcStringsLikeTheDriverManager()
{
    QFETCH(QString, text);
    QFETCH(QList<OdbcAttributes::Attribute>, expected);
    QCOMPARE(OdbcAttributes::parse(text).attributes(), expected);
}

void tst_OdbcStrings::shouldWriteValuesTheDriverManagerReadsBack()
{
    OdbcAttributes odbc;
    const QStringList values {QStringLiteral("a;b"), QStringLiteral("}{"),
                              QStringLiteral(" padded "), QString(), QStringLiteral("plain")};
    for (qsizetype i = 0; i < values.size(); ++i)
        odbc.set(QStringLiteral("K%1").arg(i), values[i]);
    const auto back = OdbcAttributes::parse(odbc.toString());
    QCOMPARE(back.attributes(), odbc.attributes());
}

void tst_OdbcStrings::anEditChangesOnlyThePairItConcerns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<std::optional<QString>>("value");
    QTest::addColumn<QString>("edited");

    const QStringList server {QStringLiteral("SERVER"), QStringLiteral("Servername")};
    QTest::newRow("the value replaced where it stands, the spacing around it kept")
        << u" DRIVER = {PostgreSQL} ; Server = old ;Port=1"_s << server << std::optional(u"new"_s)
        << u" DRIVER = {PostgreSQL} ; Server = new ;Port=1"_s;
    QTest::newRow("found under another spelling, braced where it must be")
        << u"servername=a;UID=u"_s << server << std::optional(u"x;y}"_s)
        << u"servername={x;y}}};UID=u"_s;
    QTest::newRow("what a closing brace left behind goes with the old value")
        << u"PWD={a}b;UID=u"_s << QStringList {u"PWD"_s} << std::optional(u"c"_s)
        << u"PWD=c;UID=u"_s;
    QTest::newRow("only the first of two, which the driver goes by")
        << u"PWD=a;pwd=b"_s << QStringList {u"PWD"_s} << std::optional(u"c"_s) << u"PWD=c;pwd=b"_s;
    QTest::newRow("taken out with the separator after it")
        << u"A=1; PWD=p ;B=2"_s << QStringList {u"pwd"_s} << std::optional<QString>()
        << u"A=1;B=2"_s;
    QTest::newRow("the last pair taken out with the separator before it")
        << u"A=1;PWD={p;q}"_s << QStringList {u"PWD"_s} << std::optional<QString>() << u"A=1"_s;
    QTest::newRow("added at the end under the first key, a trailing separator kept")
        << u"A=1;"_s << server << std::optional(u"db"_s) << u"A=1;SERVER=db;"_s;
    QTest::newRow("added after the last pair")
        << u"A=1"_s << server << std::optional(u"db"_s) << u"A=1;SERVER=db"_s;
    QTest::newRow("the first pair of an empty string")
        << QString() << server << std::optional(u" db"_s) << u"SERVER={ db}"_s;
    QTest::newRow("taking out what is not there changes nothing")
        << u"A=1"_s << server << std::optional<QString>() << u"A=1"_s;
}

void tst_OdbcStrings::anEditChangesOnlyThePairItConcerns()
{
    QFETCH(QString, text);
    QFETCH(QStringList, keys);
    QFETCH(std::optional<QString>, value);
    QFETCH(QString, edited);
    QCOMPARE(OdbcAttributes::edited(text, keys, value), edited);
    // The driver manager reads back what was meant.
    std::optional<QString> read;
    const OdbcAttributes attributes = OdbcAttributes::parse(edited);
    for (const auto &attribute : attributes.attributes()) {
        if (!read && keys.contains(attribute.key, Qt::CaseInsensitive))
            read = attribute.value;
    }
    QCOMPARE(read, value);
}

void tst_OdbcStrings::driversAreKnownByTheirLibraryOrElseTheirName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("family");

    QTest::newRow("Debian's name and library")
        << u"PostgreSQL Unicode"_s << u"/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"_s
        << u"postgresql"_s;
    QTest::newRow("a name of the user's own, the library says which")
        << u"Sales server"_s << u"libtdsodbc.so"_s << u"freetds"_s;
    QTest::newRow("a versioned soname")
        << u"MariaDB"_s << u"/usr/lib/libmaodbc.so.3"_s << u"mariadb"_s;
    QTest::newRow("another vendor's driver under a familiar name")
        << u"PostgreSQL Wire Protocol"_s << u"/opt/vendor/lib/ddpsql28.so"_s << QString();
    QTest::newRow("no registration to go by: the name") << u"SQLite3"_s << QString() << u"sqlite"_s;
    QTest::newRow("nothing known") << u"Acme ODBC"_s << QString() << QString();
}

void tst_OdbcStrings::driversAreKnownByTheirLibraryOrElseTheirName()
{
    QFETCH(QString, name);
    QFETCH(QString, library);
    QFETCH(QString, family);
    const auto *found = oledb::OdbcDriverCatalogue::builtIn().family(name, library);
    QCOMPARE(found ? found->id : QString(), family);
}

void tst_OdbcStrings::shouldMapOdbcProviderProperties_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("odbc");

    QTest::newRow("data source, log-on and catalog")
        << QStringLiteral(
               "Provider=MSDASQL.1;Data Source=pg;User ID=me;Password=pw;Initial Catalog=db")
        << QStringLiteral("DSN=pg;UID=me;PWD=pw;DATABASE=db;");
    QTest::newRow("the data source goes before a driver the ODBC string names")
        << QStringLiteral("Extended Properties=\"DRIVER={SQLite3};Database=x\";Data Source=lite")
        << QStringLiteral("DSN=lite;DRIVER=SQLite3;Database=x;");
    QTest::newRow("log-on properties win over the ODBC string")
        << QStringLiteral("Extended Properties=\"DSN=pg;UID=old;PWD=old\";User ID=me;Password=new")
        << QStringLiteral("DSN=pg;UID=me;PWD=new;");
    QTest::newRow("no empty user name over the configured one")
        << QStringLiteral("Data Source=pg;User ID=;Password=") << QStringLiteral("DSN=pg;");
    QTest::newRow("a blank password for a named user")
        << QStringLiteral("Data Source=pg;User ID=me;Password=\"\"")
        << QStringLiteral("DSN=pg;UID=me;PWD=;");
    QTest::newRow("ODBC keywords at the top level go to the driver, braces read as ODBC's")
        << QStringLiteral("Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;"
                          "Port=5432;Database=postgres;Uid=u;Pwd=p;")
        << QStringLiteral("Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=5432;UID=u;PWD=p;"
                          "DATABASE=postgres;");
    QTest::newRow("the provider's own properties stay with the provider")
        << QStringLiteral("Provider=MSDASQL;DSN={pg};Connect Timeout=5;Prompt=Complete;"
                          "Persist Security Info=True;Uid=me;SSLmode=require")
        << QStringLiteral("DSN=pg;SSLmode=require;UID=me;");
    QTest::newRow("Extended Properties first, then the keywords beside it")
        << QStringLiteral("Provider=MSDASQL;Port=5433;Sslmode=require;"
                          "Extended Properties=\"DRIVER={PostgreSQL};PORT=5432\"")
        << QStringLiteral("DRIVER=PostgreSQL;PORT=5432;Sslmode=require;");
    QTest::newRow("without a Provider, the ODBC provider's reading")
        << QStringLiteral("Driver={SQLite3};Database=/tmp/a.db")
        << QStringLiteral("Driver=SQLite3;DATABASE=/tmp/a.db;");
    QTest::newRow("a password that must be braced")
        << QStringLiteral("Data Source=pg;User ID=me;Password=\"a;}b\"")
        << QStringLiteral("DSN=pg;UID=me;PWD={a;}}b};");
    QTest::newRow("a keyword ODBC cannot carry is not passed on as another")
        << QStringLiteral("Data Source=pg;PWD==x=secret;Opt{1}=y;SSLmode=require")
        << QStringLiteral("DSN=pg;SSLmode=require;");
}

void tst_OdbcStrings::shouldMapOdbcProviderProperties()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, odbc);
    QCOMPARE(
        drivers::OdbcTester::odbcConnectionString(oledb::ProviderCatalogue::builtIn(),
                                                  oledb::ConnectionString::parse(connectionString)),
        odbc);
}

void tst_OdbcStrings::shouldFindTheSqlServerAddress_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");

    QTest::newRow("host and port") << QStringLiteral("db.example.com,1500")
                                   << QStringLiteral("db.example.com") << QStringLiteral("1500");
    QTest::newRow("tcp prefix and spaces") << QStringLiteral(" tcp:10.0.0.5 , 1501 ")
                                           << QStringLiteral("10.0.0.5") << QStringLiteral("1501");
    QTest::newRow("host alone takes the default port")
        << QStringLiteral("db") << QStringLiteral("db") << QStringLiteral("1433");
    QTest::newRow("(local)") << QStringLiteral("(local)") << QStringLiteral("localhost")
                             << QStringLiteral("1433");
    QTest::newRow("named instance on this machine")
        << QStringLiteral(".\\SQLEXPRESS") << QStringLiteral("localhost\\SQLEXPRESS") << QString();
    QTest::newRow("no data source")
        << QString() << QStringLiteral("localhost") << QStringLiteral("1433");
}

void tst_OdbcStrings::shouldFindTheSqlServerAddress()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, server);
    QFETCH(QString, port);

    oledb::ConnectionString connection({{QStringLiteral("Provider"), QStringLiteral("SQLOLEDB")},
                                        {QStringLiteral("Data Source"), dataSource}});
    const auto odbc = OdbcAttributes::parse(
        drivers::SqlServerTester::odbcConnectionString(connection, QStringLiteral("FreeTDS")));
    QCOMPARE(odbc.value(u"SERVER"), server);
    QCOMPARE(odbc.value(u"PORT").value_or(QString()), port);
}

void tst_OdbcStrings::shouldRecogniseIntegratedSecurity_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<bool>("integrated");

    QTest::newRow("SSPI") << QStringLiteral("Integrated Security=SSPI") << true;
    QTest::newRow("true in another case") << QStringLiteral("integrated security=TRUE") << true;
    QTest::newRow("Trusted_Connection") << QStringLiteral("Trusted_Connection=yes") << true;
    QTest::newRow("false") << QStringLiteral("Integrated Security=False;User ID=sa") << false;
    QTest::newRow("not given") << QStringLiteral("User ID=sa") << false;
}

void tst_OdbcStrings::shouldRecogniseIntegratedSecurity()
{
    QFETCH(QString, connectionString);
    QFETCH(bool, integrated);
    QCOMPARE(drivers::SqlServerTester::usesIntegratedSecurity(
                 oledb::ConnectionString::parse(connectionString)),
             integrated);
}

void tst_OdbcStrings::theLogOnWaitsAsLongAsTheConnectTimeoutSays_data()
{
    QTest::addColumn<bool>("listsDatabases");
    QTest::addColumn<QString>("text");
    QTest::addColumn<long>("seconds");
    // For a driver that ignores the connection attribute: its own keyword, as the string ends.
    QTest::addColumn<QString>("driverKeyword");

    QTest::newRow("Test Connection through ODBC")
        << false << QStringLiteral("Provider=MSDASQL;DSN=x;Connect Timeout=7") << 7L << QString();
    QTest::newRow("Test Connection through ODBC, no timeout given")
        << false << QStringLiteral("Provider=MSDASQL;DSN=x") << 15L << QString();
    QTest::newRow("Test Connection through ODBC, zero waits as long as it takes")
        << false << QStringLiteral("Provider=MSDASQL;DSN=x;Connect Timeout=0") << 0L << QString();
    QTest::newRow("Test Connection to SQL Server through FreeTDS")
        << false
        << QStringLiteral("Provider=SQLOLEDB;Data Source=h;User ID=u;Password=p;"
                          "Connect Timeout=3")
        << 3L << QString();
    QTest::newRow("listing the databases of an ODBC data source")
        << true << QStringLiteral("Provider=MSDASQL;DSN=x;Connect Timeout=9") << 9L << QString();
    QTest::newRow("listing the databases of SQL Server through FreeTDS")
        << true << QStringLiteral("Provider=SQLOLEDB;Data Source=h;User ID=u;Connect Timeout=4")
        << 4L << QString();
    QTest::newRow("Test Connection through the MariaDB driver it names")
        << false
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={MariaDB Unicode};"
                          "SERVER=h\";Connect Timeout=6")
        << 6L << QStringLiteral("CONN_TIMEOUT=6");
    QTest::newRow("listing the databases of a data source for the MariaDB driver")
        << true << QStringLiteral("Provider=MSDASQL;Data Source=CorvantaMaria;Connect Timeout=5")
        << 5L << QStringLiteral("CONN_TIMEOUT=5");
    QTest::newRow("the MariaDB driver's own keyword, where the string gives it, stays")
        << false
        << QStringLiteral("Provider=MSDASQL;Driver={MariaDB Unicode};CONN_TIMEOUT=30;"
                          "Connect Timeout=6")
        << 6L << QStringLiteral("CONN_TIMEOUT=30");
    QTest::newRow("the MariaDB driver with no timeout waits, as every driver does")
        << false << QStringLiteral("Provider=MSDASQL;Driver={MariaDB Unicode};Connect Timeout=0")
        << 0L << QString();
}

void tst_OdbcStrings::theLogOnWaitsAsLongAsTheConnectTimeoutSays()
{
    QFETCH(bool, listsDatabases);
    QFETCH(QString, text);
    QFETCH(long, seconds);
    QFETCH(QString, driverKeyword);

    fakedrivermanager::forget();
    const auto freeTds = [] {
        return QStringLiteral("FreeTDS");
    };
    const std::atomic<bool> cancelled {false};
    const oledb::ProviderCatalogue &catalogue = oledb::ProviderCatalogue::builtIn();
    if (listsDatabases) {
        drivers::DatabaseLister lister(catalogue, freeTds);
        QVERIFY(!drivers::listDatabases(lister, catalogue, text, cancelled).succeeded());
    } else {
        const auto odbc = std::make_shared<drivers::OdbcTester>(catalogue);
        drivers::ProviderDispatcher tester(
            catalogue, {odbc, std::make_shared<drivers::SqlServerTester>(freeTds), odbc, odbc});
        QCOMPARE(drivers::testConnectionString(tester, catalogue, text, cancelled).outcome,
                 drivers::TestResult::Outcome::Failed);
    }
    const fakedrivermanager::LogOn logOn = fakedrivermanager::lastLogOn();
    QCOMPARE(logOn.attempts, 1);
    QCOMPARE(logOn.loginTimeoutSeconds, seconds);
    if (driverKeyword.isEmpty()) {
        QVERIFY2(!logOn.connectionString.contains(u"CONN_TIMEOUT", Qt::CaseInsensitive),
                 qPrintable(logOn.connectionString));
    } else {
        QVERIFY2(logOn.connectionString.endsWith(driverKeyword)
                     || logOn.connectionString.endsWith(driverKeyword + u';'),
                 qPrintable(logOn.connectionString));
    }
}

QTEST_GUILESS_MAIN(tst_OdbcStrings)
#include "tst_odbcstrings.moc"
