#include "oledb/connection.h"
#include "oledb/formaterror.h"
#include "oledb/objectfactory.h"

#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

class tst_Connection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storesValidStringsExactly()
    {
        const auto connection = ObjectFactory().createConnection();
        QCOMPARE(platform::defaultValueText(connection), u""_s);
        for (const QString &text :
             {u" "_s, u"  provider = SQLOLEDB ;; data source=x;DATA SOURCE='y' ;"_s}) {
            connection->SetConnectionString(text);
            QCOMPARE(platform::defaultValueText(connection), text);
        }
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
        }
        QCOMPARE(connection.ConnectionString(), u"Data Source=x"_s);
    }
};

QTEST_APPLESS_MAIN(tst_Connection)
#include "tst_connection.moc"
