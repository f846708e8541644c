#include "platform/oledb/connection.h"
#include "platform/oledb/formaterror.h"
#include "platform/oledb/objectfactory.h"

#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

class tst_Connection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storesValidStringsExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << u""_s;
        QTest::newRow("only a space") << u" "_s;
        QTest::newRow("odd spacing, case and duplicates")
            << u"  provider = SQLOLEDB ;; data source=x;DATA SOURCE='y' ;"_s;
    }

    void storesValidStringsExactly()
    {
        QFETCH(QString, text);
        Connection connection;
        connection.SetConnectionString(text);
        QCOMPARE(connection.ConnectionString(), text);
        QCOMPARE(platform::defaultValueText(std::make_shared<Connection>()), QString());
    }

    void refusesMalformedAndKeepsWhatItHeld()
    {
        Connection connection;
        connection.SetConnectionString(u"Data Source=x"_s);
        try {
            connection.SetConnectionString(u"Data Source=x;Password=a;b"_s);
            QFAIL("accepted");
        } catch (const FormatError &error) {
            QCOMPARE(error.offset(), 25);
            QCOMPARE(error.code(), FormatError::Code);
        }
        QCOMPARE(connection.defaultValue(), u"Data Source=x"_s);
    }

    void factoryMakesFreshConnections()
    {
        ObjectFactory factory;
        const auto first = factory.createConnection();
        first->SetConnectionString(u"a=1"_s);
        const auto second = factory.createConnection();
        QCOMPARE(second->ConnectionString(), QString());
        QCOMPARE(platform::queryConnection(second), second);
    }

    void factoryWithoutDataLinksFails()
    {
        QVERIFY_THROWS_EXCEPTION(platform::Error, ObjectFactory().createDataLinks());
        ObjectFactory empty([] { return std::shared_ptr<platform::IDataSourceLocator>(); });
        QVERIFY_THROWS_EXCEPTION(platform::Error, empty.createDataLinks());
    }
};

QTEST_APPLESS_MAIN(tst_Connection)
#include "tst_connection.moc"
