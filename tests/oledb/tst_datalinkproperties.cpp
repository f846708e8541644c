#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"

#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

namespace {

DataLinkProperties read(const QString &text)
{
    return DataLinkProperties::fromString(ProviderCatalogue::builtIn(), text);
}

} // namespace

class tst_DataLinkProperties : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anEditChangesOnlyItsPairAndItsReversalRestoresTheText_data();
    void anEditChangesOnlyItsPairAndItsReversalRestoresTheText();
    void pairsThatDisagreeAreAConflictResolvedByKeepingTheOneInEffect_data();
    void pairsThatDisagreeAreAConflictResolvedByKeepingTheOneInEffect();
    void removingAPropertyRemovesEveryPairThatSetsIt();
    void aNewStringStartsWithItsProviderAndQuotesOnlyWhereItMust();
};

void tst_DataLinkProperties::anEditChangesOnlyItsPairAndItsReversalRestoresTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value"); // null: remove the property
    QTest::addColumn<QString>("edited");

    QTest::newRow("SQL Server, one property of many, duplicates and spelling kept")
        << u"Provider=SQLOLEDB;Data Source=srv;Initial Catalog=db;User Id=u;Password=p;"
           "Foo=bar;foo=baz;Application Name=My App"_s
        << u"Initial Catalog"_s << u"Sales2"_s
        << u"Provider=SQLOLEDB;Data Source=srv;Initial Catalog=Sales2;User Id=u;Password=p;"
           "Foo=bar;foo=baz;Application Name=My App"_s;
    QTest::newRow("SQL Server, provider-string spelling: Server is the data source")
        << u"Provider=MSOLEDBSQL;Server=tcp:x.database.windows.net,1433;Database=db;UID=u;"
           "PWD=p;Encrypt=yes;Connect Timeout=30"_s
        << u"Data Source"_s << u"tcp:y.database.windows.net,1433"_s
        << u"Provider=MSOLEDBSQL;Server=tcp:y.database.windows.net,1433;Database=db;UID=u;"
           "PWD=p;Encrypt=yes;Connect Timeout=30"_s;
    QTest::newRow("SQL Server, Encrypt written in its own yes/no")
        << u"Provider=MSOLEDBSQL;Server=x;Database=db;Encrypt=yes"_s << u"Use Encryption for Data"_s
        << u"False"_s << u"Provider=MSOLEDBSQL;Server=x;Database=db;Encrypt=no"_s;
    QTest::newRow("SQL Server 19, Encrypt's yes is Mandatory")
        << u"Provider=MSOLEDBSQL19;Server=x;Encrypt=yes;TrustServerCertificate=no"_s
        << u"Use Encryption for Data"_s << u"Strict"_s
        << u"Provider=MSOLEDBSQL19;Server=x;Encrypt=Strict;TrustServerCertificate=no"_s;
    QTest::newRow("SQL Server, Trusted_Connection removed, trailing ; stays")
        << u"Provider=SQLNCLI11;Server=.\\SQLEXPRESS;Database=pubs;Trusted_Connection=yes;"_s
        << u"Integrated Security"_s << QString()
        << u"Provider=SQLNCLI11;Server=.\\SQLEXPRESS;Database=pubs;"_s;
    QTest::newRow("SQL Server, the dialog's own form, new property before the trailing ;")
        << u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Initial Catalog=pubs;Data Source=(local);"_s
        << u"Application Name"_s << u"Payroll; nightly"_s
        << u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Initial Catalog=pubs;Data Source=(local);Application Name=\"Payroll; nightly\";"_s;
    QTest::newRow("SQL Server, a value that now needs quotes gets them")
        << u"Provider=SQLOLEDB;User ID=sa;Password=secret"_s << u"Password"_s << u"a;b"_s
        << u"Provider=SQLOLEDB;User ID=sa;Password=\"a;b\""_s;
    QTest::newRow("SQL Server, single quotes stay single")
        << u"Provider=SQLOLEDB;Application Name='Payroll';Data Source=x"_s << u"Application Name"_s
        << u"Pay'roll"_s << u"Provider=SQLOLEDB;Application Name='Pay''roll';Data Source=x"_s;
    QTest::newRow("SQL Server, the value in effect is the last of two")
        << u"Provider=MSOLEDBSQL;Server=a;Data Source=b;"_s << u"Data Source"_s << u"c"_s
        << u"Provider=MSOLEDBSQL;Server=a;Data Source=c;"_s;
    QTest::newRow("another provider changes the Provider pair only")
        << u"provider=sqloledb;Data Source=srv;Packet Size=8192"_s << u"Provider"_s
        << u"MSOLEDBSQL.1"_s << u"provider=MSOLEDBSQL.1;Data Source=srv;Packet Size=8192"_s;
    QTest::newRow("Jet, Excel's extended properties keep their quotes")
        << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Reports\\Sales.xls;"
           "Extended Properties=\"Excel 8.0;HDR=Yes;IMEX=1\";"_s
        << u"Extended Properties"_s << u"Excel 8.0;HDR=No;IMEX=1"_s
        << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Reports\\Sales.xls;"
           "Extended Properties=\"Excel 8.0;HDR=No;IMEX=1\";"_s;
    QTest::newRow("ACE, another workbook")
        << u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=c:\\myFolder\\book.xlsx;"
           "Extended Properties='Excel 12.0 Xml;HDR=YES';"_s
        << u"Data Source"_s << u"D:\\data\\Q3 book.xlsx"_s
        << u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=D:\\data\\Q3 book.xlsx;"
           "Extended Properties='Excel 12.0 Xml;HDR=YES';"_s;
    QTest::newRow("ODBC, the nested string is left alone")
        << u"Provider=MSDASQL.1;Persist Security Info=False;"
           "Extended Properties=\"DSN=Sales;UID=report;PWD={p;w}\";Initial Catalog=sales"_s
        << u"Initial Catalog"_s << u"archive"_s
        << u"Provider=MSDASQL.1;Persist Security Info=False;"
           "Extended Properties=\"DSN=Sales;UID=report;PWD={p;w}\";Initial Catalog=archive"_s;
    QTest::newRow("ODBC, UID is the user")
        << u"Provider=MSDASQL;DSN=dsnName;UID=MyUserID;PWD=MyPassword;"_s << u"User ID"_s
        << u"other"_s << u"Provider=MSDASQL;DSN=dsnName;UID=other;PWD=MyPassword;"_s;
    QTest::newRow("Oracle, a descriptor for a data source")
        << u"Provider=OraOLEDB.Oracle;Data Source=MyOracleDB;User Id=scott;Password=tiger;"
           "OSAuthent=0;"_s
        << u"Data Source"_s
        << u"(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=db)(PORT=1521))"
           "(CONNECT_DATA=(SERVICE_NAME=orcl)))"_s
        << u"Provider=OraOLEDB.Oracle;Data Source=(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)"
           "(HOST=db)(PORT=1521))(CONNECT_DATA=(SERVICE_NAME=orcl)));User Id=scott;"
           "Password=tiger;OSAuthent=0;"_s;
    QTest::newRow("Analysis Services, Catalog is the database")
        << u"Provider=MSOLAP.8;Data Source=asazure://westus.asazure.windows.net/srv;"
           "Catalog=AdventureWorks;"_s
        << u"Initial Catalog"_s << u"Sales"_s
        << u"Provider=MSOLAP.8;Data Source=asazure://westus.asazure.windows.net/srv;"
           "Catalog=Sales;"_s;
    QTest::newRow("odd white space around everything")
        << u"  Provider = SQLOLEDB.1 ;\tData Source = ( local ) ;User ID= sa ;  "_s << u"User ID"_s
        << u"admin"_s
        << u"  Provider = SQLOLEDB.1 ;\tData Source = ( local ) ;User ID= admin ;  "_s;
    QTest::newRow("unknown provider, unknown keys, escaped = in a keyword")
        << u"Provider=Acme.DB.2;a==b=1;;Location=x;Foo=bar"_s << u"foo"_s << u"baz"_s
        << u"Provider=Acme.DB.2;a==b=1;;Location=x;Foo=baz"_s;
    QTest::newRow("the first pair removed leaves no separator in front")
        << u"Data Source=srv;Provider=SQLOLEDB;User ID=sa"_s << u"Data Source"_s << QString()
        << u"Provider=SQLOLEDB;User ID=sa"_s;
    QTest::newRow("an empty value written bare stays bare")
        << u"Provider=MSDASQL.1;Extended Properties=;Data Source=x"_s << u"Extended Properties"_s
        << u"DSN=a"_s << u"Provider=MSDASQL.1;Extended Properties=DSN=a;Data Source=x"_s;
}

void tst_DataLinkProperties::anEditChangesOnlyItsPairAndItsReversalRestoresTheText()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, edited);

    DataLinkProperties properties = read(text);
    const std::optional<QString> before = properties.value(name);
    if (value.isNull())
        properties.remove(name);
    else
        properties.setValue(name, value);
    QCOMPARE(properties.toString(), edited);
    QCOMPARE(read(edited).value(name), value.isNull() ? std::nullopt : std::optional(value));

    if (before)
        properties.setValue(name, *before);
    else
        properties.remove(name);
    QCOMPARE(properties.toString(), text);
}

void tst_DataLinkProperties::pairsThatDisagreeAreAConflictResolvedByKeepingTheOneInEffect_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pairs"); // 0: no conflict
    QTest::addColumn<QString>("kept");

    QTest::newRow("same keyword, other case")
        << u"Provider=SQLOLEDB;Foo=bar;foo=baz;Data Source=x"_s << u"FOO"_s << 2
        << u"Provider=SQLOLEDB;foo=baz;Data Source=x"_s;
    QTest::newRow("a synonym and the property's own name")
        << u"Provider=MSOLEDBSQL;Server=a;Data Source=b"_s << u"Data Source"_s << 2
        << u"Provider=MSOLEDBSQL;Data Source=b"_s;
    QTest::newRow("the same meaning spelt twice is no conflict")
        << u"Provider=SQLOLEDB;Trusted_Connection=yes;Integrated Security=SSPI"_s
        << u"Integrated Security"_s << 0 << QString();
}

void tst_DataLinkProperties::pairsThatDisagreeAreAConflictResolvedByKeepingTheOneInEffect()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(int, pairs);
    QFETCH(QString, kept);

    DataLinkProperties properties = read(text);
    const std::optional<Conflict> conflict = properties.conflict(name);
    QCOMPARE(conflict ? int(conflict->pairs.size()) : 0, pairs);
    if (!conflict)
        return;
    QCOMPARE(conflict->inEffect, pairs - 1);
    properties.keepOnlyInEffect(name);
    QCOMPARE(properties.toString(), kept);
    QVERIFY(!properties.conflict(name));
}

void tst_DataLinkProperties::removingAPropertyRemovesEveryPairThatSetsIt()
{
    DataLinkProperties properties = read(u"Provider=MSDASQL;UID=a;Data Source=x;User ID=b;uid=c"_s);
    properties.remove(u"User ID");
    QCOMPARE(properties.toString(), u"Provider=MSDASQL;Data Source=x"_s);
    // Brought back where the pair in effect stood, in the spelling it had there.
    properties.setValue(u"User ID"_s, u"d"_s);
    QCOMPARE(properties.toString(), u"Provider=MSDASQL;Data Source=x;uid=d"_s);
}

void tst_DataLinkProperties::aNewStringStartsWithItsProviderAndQuotesOnlyWhereItMust()
{
    DataLinkProperties properties(ProviderCatalogue::builtIn());
    QCOMPARE(properties.toString(), QString());
    properties.setValue(u"Data Source"_s, u"C:\\a b.mdb"_s);
    properties.setProviderProgId(u"Microsoft.Jet.OLEDB.4.0"_s);
    properties.setValue(u"Jet OLEDB:Database Password"_s, u"x;y"_s);
    properties.setValue(u"Password"_s, QString());
    QCOMPARE(properties.toString(),
             u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a b.mdb;"
             "Jet OLEDB:Database Password=\"x;y\";Password=\"\""_s);
}

QTEST_APPLESS_MAIN(tst_DataLinkProperties)
#include "tst_datalinkproperties.moc"
