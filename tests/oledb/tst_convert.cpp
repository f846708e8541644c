#include "oledb/conversion.h"
#include "oledb/formaterror.h"
#include "oledb/providercatalogue.h"

#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

class tst_Convert : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertsEachDialect_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("from"); // empty: refused, for the reason in `string`
        QTest::addColumn<QString>("string");
        QTest::addColumn<QStringList>("unmapped");

        QTest::newRow("SqlClient: synonyms, a quoted ; in the password, Encrypt=True")
            << u"Server=tcp:db.example.com,1433;Database=Orders;User Id=app;Password=\"s3c;ret\";Encrypt=True;TrustServerCertificate=no;Connection Timeout=30"_s
            << u"adonet-sqlclient"_s
            << u"Provider=MSOLEDBSQL19;Data Source=tcp:db.example.com,1433;Initial Catalog=Orders;User ID=app;Password=\"s3c;ret\";Use Encryption for Data=Mandatory;Trust Server Certificate=False;Connect Timeout=30"_s
            << QStringList();
        // Integrated Security=false is the default both sides: the later pair leaves nothing.
        QTest::newRow("SqlClient: Integrated Security=true, the last pair wins, no counterparts")
            << u"Data Source=(local)\\SQLEXPRESS;Integrated Security=true;Initial Catalog=a;Database=b;MultipleActiveResultSets=True;Encrypt=Strict;Pooling=false;Encrypt=maybe;Column Encryption Setting=Enabled"_s
            << u"adonet-sqlclient"_s
            << u"Provider=MSOLEDBSQL19;Data Source=(local)\\SQLEXPRESS;Integrated Security=SSPI;Initial Catalog=b;MARS Connection=True;Use Encryption for Data=Strict"_s
            << QStringList {u"Pooling=false"_s, u"Encrypt=maybe"_s,
                            u"Column Encryption Setting=Enabled"_s};
        QTest::newRow("SqlClient: Integrated Security=false writes nothing")
            << u"Server=s;Integrated Security=false;Trusted_Connection=no"_s
            << u"adonet-sqlclient"_s << u"Provider=MSOLEDBSQL19;Data Source=s"_s << QStringList();
        QTest::newRow("Npgsql: Host and Port decide, an unmapped secret is masked")
            << u"Host=pg.example.com;Port=5433;Database=shop;Username=ann;Password=p;SSL Mode=VerifyFull;Search Path=app;SSL Password=k3y"_s
            << u"adonet-npgsql"_s
            << u"Provider=MSDASQL;Extended Properties=\"DRIVER=PostgreSQL Unicode;SERVER=pg.example.com;PORT=5433;DATABASE=shop;UID=ann;PWD=p;SSLmode=verify-full;\""_s
            << QStringList {u"Search Path=app"_s, u"SSL Password=********"_s};
        QTest::newRow("ODBC for SQL Server: braces, the first of two wins")
            << u"Driver={ODBC Driver 18 for SQL Server};Server=tcp:sql1,1433;Database=db;UID=u;PWD={a;b}}};Encrypt=yes;TrustServerCertificate=yes;ColumnEncryption=Enabled;Server=other"_s
            << u"odbc"_s
            << u"Provider=MSOLEDBSQL19;Data Source=tcp:sql1,1433;Initial Catalog=db;User ID=u;Password=\"a;b}\";Use Encryption for Data=Mandatory;Trust Server Certificate=True"_s
            << QStringList {u"ColumnEncryption=Enabled"_s};
        QTest::newRow("ODBC for PostgreSQL: the Debian driver's name, the keywords kept")
            << u"DRIVER={PostgreSQL ANSI};SERVER=h;PORT=5432;DATABASE=d;UID=u;PWD={x;y}"_s
            << u"odbc"_s
            << u"Provider=MSDASQL;Extended Properties=\"DRIVER=PostgreSQL Unicode;SERVER=h;PORT=5432;DATABASE=d;UID=u;PWD={x;y};\""_s
            << QStringList();
        QTest::newRow("ODBC for MySQL goes to MariaDB's driver")
            << u"Driver={MySQL ODBC 8.0 Unicode Driver};Server=m;Database=d"_s << u"odbc"_s
            << u"Provider=MSDASQL;Extended Properties=\"Driver=MariaDB Unicode;Server=m;Database=d;\""_s
            << QStringList();
        QTest::newRow("JDBC SQL Server: host and port, a braced password")
            << u"jdbc:sqlserver://host:1433;databaseName=db;encrypt=true;user=u;password={p;w}"_s
            << u"jdbc-sqlserver"_s
            << u"Provider=MSOLEDBSQL19;Data Source=host,1433;Initial Catalog=db;Use Encryption for Data=Mandatory;User ID=u;Password=\"p;w\""_s
            << QStringList();
        QTest::newRow("JDBC SQL Server: an instance, integrated security, a masked store password")
            << u"jdbc:sqlserver://srv\\SQLEXPRESS;integratedSecurity=true;authenticationScheme=JavaKerberos;trustStorePassword=tp"_s
            << u"jdbc-sqlserver"_s
            << u"Provider=MSOLEDBSQL19;Data Source=srv\\SQLEXPRESS;Integrated Security=SSPI"_s
            << QStringList {u"authenticationScheme=JavaKerberos"_s,
                            u"trustStorePassword=********"_s};
        QTest::newRow("JDBC SQL Server: an instance and a port, both kept")
            << u"jdbc:sqlserver://srv\\INST:1500;loginTimeout=5;databaseName="_s
            << u"jdbc-sqlserver"_s
            << u"Provider=MSOLEDBSQL19;Data Source=srv\\INST,1500;Connect Timeout=5"_s
            << QStringList();
        QTest::newRow("JDBC SQL Server: an IPv6 address in serverName, the port after it")
            << u"jdbc:sqlserver://;serverName=3ffe:8311:eeee:f70f:0:5eec:4b9d:3bc8;portNumber=1433;databaseName=db"_s
            << u"jdbc-sqlserver"_s
            << u"Provider=MSOLEDBSQL19;Data Source=3ffe:8311:eeee:f70f:0:5eec:4b9d:3bc8,1433;Initial Catalog=db"_s
            << QStringList();
        QTest::newRow("JDBC PostgreSQL: query parameters decoded, ssl=true")
            << u"jdbc:postgresql://host:5432/db?user=u&password=p%26q&ssl=true&ApplicationName=etl"_s
            << u"jdbc-postgresql"_s
            << u"Provider=MSDASQL;Extended Properties=\"DRIVER=PostgreSQL Unicode;SERVER=host;PORT=5432;DATABASE=db;UID=u;PWD=p&q;SSLmode=verify-full;\""_s
            << QStringList {u"ApplicationName=etl"_s};
        QTest::newRow("JDBC PostgreSQL: IPv6 in brackets, sslmode beats a later ssl")
            << u"jdbc:postgresql://[::1]:5740/accounting?sslmode=require&ssl=true"_s
            << u"jdbc-postgresql"_s
            << u"Provider=MSDASQL;Extended Properties=\"DRIVER=PostgreSQL Unicode;SERVER=::1;PORT=5740;DATABASE=accounting;SSLmode=require;\""_s
            << QStringList();
        QTest::newRow("JDBC PostgreSQL: no host is localhost")
            << u"jdbc:postgresql:accounting"_s << u"jdbc-postgresql"_s
            << u"Provider=MSDASQL;Extended Properties=\"DRIVER=PostgreSQL Unicode;SERVER=localhost;DATABASE=accounting;\""_s
            << QStringList();
        QTest::newRow("refused: already OLE DB") << u"Provider=SQLOLEDB;Data Source=x;Driver=y"_s
                                                 << QString() << u"conversion"_s << QStringList();
        QTest::newRow("refused: an IPv6 address outside brackets")
            << u"jdbc:sqlserver://fe80::1:1433"_s << QString() << u"conversion"_s << QStringList();
        QTest::newRow("refused: several PostgreSQL hosts")
            << u"jdbc:postgresql://a:5432,b:5432/db"_s << QString() << u"conversion"_s
            << QStringList();
        QTest::newRow("refused: another JDBC driver")
            << u"jdbc:mysql://h/db"_s << QString() << u"conversion"_s << QStringList();
        QTest::newRow("refused: no keyword of any dialect")
            << u"Colour=blue"_s << QString() << u"conversion"_s << QStringList();
        QTest::newRow("refused: a malformed ADO.NET string")
            << u"Server=x;Password=\"a"_s << QString() << u"format"_s << QStringList();
    }

    void convertsEachDialect()
    {
        QFETCH(QString, input);
        QFETCH(QString, from);
        QFETCH(QString, string);
        QFETCH(QStringList, unmapped);

        const DialectConverter converter = DialectConverter::builtIn(ProviderCatalogue::builtIn());
        QString refusal;
        try {
            const Conversion conversion = converter.convert(input);
            QCOMPARE(conversion.from, from);
            QCOMPARE(conversion.string, string);
            QCOMPARE(conversion.unmapped, unmapped);
            return;
        } catch (const FormatError &) {
            refusal = u"format"_s;
        } catch (const ConversionError &) {
            refusal = u"conversion"_s;
        }
        QVERIFY(from.isEmpty());
        QCOMPARE(refusal, string);
    }
};

QTEST_APPLESS_MAIN(tst_Convert)
#include "tst_convert.moc"
