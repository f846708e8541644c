#include "drivers/discovery/databaselister.h"
#include "drivers/testing/sqlservertester.h"
#include "oledb/providercatalogue.h"
#include "testdb.h"

#include <QElapsedTimer>
#include <QTest>

using drivers::LookupResult;

class tst_DatabaseList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void listsWhatTheTestUserMayOpen_data();
    void listsWhatTheTestUserMayOpen();
    void aRefusedLogOnIsOneMaskedLine_data();
    void aRefusedLogOnIsOneMaskedLine();
    void aClosedSqlServerPortFailsWithinTheConnectTimeout();

private:
    LookupResult list(const QString &connectionString) const;

    TestDatabase m_db;
    std::shared_ptr<drivers::IDatabaseLister> m_lister
        = drivers::makeDatabaseLister(oledb::ProviderCatalogue::builtIn());
};

void tst_DatabaseList::initTestCase()
{
    if (!m_db.load())
        QSKIP("CORVANTA_TESTDB is not set: run through ctest, whose fixture starts the database");
}

LookupResult tst_DatabaseList::list(const QString &connectionString) const
{
    const std::atomic<bool> cancelled {false};
    return drivers::listDatabases(*m_lister, oledb::ProviderCatalogue::builtIn(),
                                  m_db.expand(connectionString), cancelled);
}

void tst_DatabaseList::listsWhatTheTestUserMayOpen_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("connectionString");
    const QString pg = QStringLiteral("PostgreSQL");
    const QString maria = QStringLiteral("MariaDB");
    const QString logOn = QStringLiteral(";User ID=%user%;Password=\"%password%\"");
    QTest::newRow("PostgreSQL by data source name")
        << pg << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg") + logOn;
    QTest::newRow("PostgreSQL by an ODBC string naming the driver")
        << pg
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={PostgreSQL Unicode};"
                          "SERVER=127.0.0.1;PORT=%port%;DATABASE=%database%\"")
            + logOn;
    QTest::newRow("PostgreSQL by ODBC keywords at the top level, the database under its ODBC name")
        << pg
        << QStringLiteral("Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;"
                          "Port=%port%;Database=%database%;Uid=%user%;Pwd=\"%password%\"");
    QTest::newRow("PostgreSQL with a half-typed database, which must not stop the log-on")
        << pg
        << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg;Initial Catalog=corv") + logOn;
    QTest::newRow("MariaDB by an ODBC string naming the driver")
        << maria
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={MariaDB Unicode};"
                          "SERVER=127.0.0.1;PORT=%mariadb_port%;DATABASE=%database%\"")
            + logOn;
    // MariaDB refuses a log-on that names a database the user may not open, as a half-typed
    // name is.
    QTest::newRow("MariaDB with a half-typed database under its ODBC name")
        << maria
        << QStringLiteral("Provider=MSDASQL;Driver={MariaDB Unicode};Server=127.0.0.1;"
                          "Port=%mariadb_port%;Database=corv;Uid=%user%;Pwd=\"%password%\"");
}

void tst_DatabaseList::listsWhatTheTestUserMayOpen()
{
    QFETCH(QString, server);
    QFETCH(QString, connectionString);
    if (const QString why = m_db.skipReason(server); !why.isEmpty())
        QSKIP(qPrintable(why));
    const LookupResult result = list(connectionString);
    QVERIFY2(result.succeeded(), qPrintable(result.failure));
    QVERIFY2(result.names.contains(m_db.value(QStringLiteral("database"))),
             qPrintable(result.names.join(u',')));
    QVERIFY2(!result.names.contains(m_db.value(QStringLiteral("private_database"))),
             qPrintable(result.names.join(u',')));
    // Not the user's own, so a list of only the database connected to is not enough.
    QVERIFY2(result.names.contains(m_db.value(QStringLiteral("shared_database"))),
             qPrintable(result.names.join(u',')));
    QVERIFY(!result.names.contains(QStringLiteral("template0")));
}

void tst_DatabaseList::aRefusedLogOnIsOneMaskedLine_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("driverSays");
    const QString pg = QStringLiteral("PostgreSQL");
    QTest::newRow("PostgreSQL with the wrong password")
        << pg
        << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg;User ID=%user%;"
                          "Password=\"%password%x\"")
        << QStringLiteral("password authentication failed");
    // The user name shows in its field; hiding it would say that the password is the same.
    QTest::newRow("a user named like the password keeps the name")
        << pg
        << QStringLiteral("Provider=MSDASQL.1;Data Source=CorvantaPg;User ID=\"%password%\";"
                          "Password=\"%password%\"")
        << QStringLiteral("%password%");
    QTest::newRow("MariaDB with the wrong password")
        << QStringLiteral("MariaDB")
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DRIVER={MariaDB Unicode};"
                          "SERVER=127.0.0.1;PORT=%mariadb_port%\";User ID=%user%;"
                          "Password=\"%password%x\"")
        << QStringLiteral("Access denied for user '%user%'");
    QTest::newRow("a one-letter password leaves our own sentence whole")
        << QString()
        << QStringLiteral("Provider=SQLOLEDB.1;Data Source=db1;Integrated Security=SSPI;"
                          "Password=e")
        << QStringLiteral("Listing databases needs a user name and password here");
}

void tst_DatabaseList::aRefusedLogOnIsOneMaskedLine()
{
    QFETCH(QString, server);
    QFETCH(QString, connectionString);
    QFETCH(QString, driverSays);
    if (const QString why = m_db.skipReason(server); !why.isEmpty())
        QSKIP(qPrintable(why));
    const LookupResult result = list(connectionString);
    QVERIFY(!result.succeeded());
    QVERIFY(result.names.isEmpty());
    QVERIFY2(result.failure.contains(m_db.expand(driverSays)), qPrintable(result.failure));
    QVERIFY2(!result.failure.contains(u'\n'), qPrintable(result.failure));
    QVERIFY2(!QString(result.failure)
                  .remove(m_db.expand(driverSays))
                  .contains(m_db.value(QStringLiteral("password"))),
             qPrintable(result.failure));
}

void tst_DatabaseList::aClosedSqlServerPortFailsWithinTheConnectTimeout()
{
    QVERIFY2(!drivers::findFreeTdsDriver().isEmpty(), "the Debian package tdsodbc is needed");
    QElapsedTimer clock;
    clock.start();
    const LookupResult result
        = list(QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%down_port%;User ID=sa;"
                              "Password=\"%password%\";Connect Timeout=3"));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!result.succeeded());
    QVERIFY2(result.failure.contains(QStringLiteral("[FreeTDS]")), qPrintable(result.failure));
    QVERIFY2(!result.failure.contains(u'\n'), qPrintable(result.failure));
    QVERIFY(!result.failure.contains(m_db.value(QStringLiteral("password"))));
}

QTEST_GUILESS_MAIN(tst_DatabaseList)
#include "tst_databaselist.moc"
