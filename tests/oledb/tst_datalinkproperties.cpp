#include "oledb/datalinkproperties.h"
#include "oledb/jetoptions.h"
#include "oledb/problems.h"
#include "oledb/providercatalogue.h"

#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

namespace {

DataLinkProperties read(const QString &text)
{
    return DataLinkProperties::fromString(ProviderCatalogue::builtIn(), text);
}

// `Property=value@offset`, `@-` where the provider's default stands, joined by ` | `.
QString effective(const DataLinkProperties &properties)
{
    QStringList shown;
    for (const EffectiveValue &value : properties.effectiveValues())
        shown.append(value.property + u'=' + value.value + u'@'
                     + (value.offset ? QString::number(*value.offset) : u"-"_s));
    return shown.join(u" | "_s);
}

// `rule@offset`, joined by spaces.
QString problems(const QList<Problem> &found)
{
    QStringList shown;
    for (const Problem &problem : found)
        shown.append(problem.rule + u'@' + QString::number(problem.offset));
    return shown.join(u' ');
}

} // namespace

class tst_DataLinkProperties : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAStringAsItsProviderDoes_data();
    void readsAStringAsItsProviderDoes();
    void aFileTypeIsFoundAndChangedWhateverStandsBesideIt_data();
    void aFileTypeIsFoundAndChangedWhateverStandsBesideIt();
    void anEditChangesOnlyItsPairAndItsReversalRestoresTheText_data();
    void anEditChangesOnlyItsPairAndItsReversalRestoresTheText();
    void pairsThatDisagreeAreAConflictResolvedByKeepingTheOneInEffect_data();
    void pairsThatDisagreeAreAConflictResolvedByKeepingTheOneInEffect();
    void removingAPropertyRemovesEveryPairThatSetsIt();
    void aNewStringStartsWithItsProviderAndQuotesOnlyWhereItMust();
};

// Real-world strings, each row naming the documentation it follows (the catalogue's source ids).
void tst_DataLinkProperties::readsAStringAsItsProviderDoes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("effective");
    QTest::addColumn<QString>("problems");
    // The string after the first fix offered; empty: none is.
    QTest::addColumn<QString>("fixed");
    // `Name=value` set through the model, and the string it gives; empty: no edit.
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("edited");

    QTest::newRow("msoledbsql-overview: Encrypt beside its default has no effect")
        << u"Provider=MSOLEDBSQL;Data Source=x;Encrypt=yes"_s
        << u"Data Source=x@20 | Use Encryption for Data=False@-"_s << u"no-effect@34"_s
        << u"Provider=MSOLEDBSQL;Data Source=x"_s << u"Use Encryption for Data=True"_s
        << u"Provider=MSOLEDBSQL;Data Source=x;Encrypt=yes;Use Encryption for Data=True"_s;
    QTest::newRow("msoledbsql-precedence: Data Source beats Server whatever the order")
        << u"Provider=MSOLEDBSQL19;Data Source=a;Server=b"_s << u"Data Source=a@22"_s
        << u"overridden@36"_s << u"Provider=MSOLEDBSQL19;Data Source=a"_s << u"Data Source=c"_s
        << u"Provider=MSOLEDBSQL19;Data Source=c;Server=b"_s;
    QTest::newRow("msoledbsql-overview: Encrypt=Strict leaves version 19 at Mandatory")
        << u"Provider=MSOLEDBSQL19;Server=tcp:x,1433;Encrypt=Strict;UID=u;PWD=p"_s
        << u"Data Source=tcp:x,1433@22 | Use Encryption for Data=Mandatory@- | User ID=u@55 | "
           "Password=p@61"_s
        << u"no-effect@40 password-not-persisted@61"_s
        << u"Provider=MSOLEDBSQL19;Server=tcp:x,1433;UID=u;PWD=p"_s << u"User ID=v"_s
        << u"Provider=MSOLEDBSQL19;Server=tcp:x,1433;Encrypt=Strict;UID=v;PWD=p"_s;
    QTest::newRow("sqlncli-precedence: without a default the first provider-string pair wins")
        << u"Provider=SQLNCLI11;Server=a;Database=db;Database=other;Trusted_Connection=yes"_s
        << u"Data Source=a@19 | Initial Catalog=db@28 | Integrated Security=SSPI@55"_s
        << u"deprecated@0 conflict@40"_s
        << u"Provider=SQLNCLI11;Server=a;Database=db;Trusted_Connection=yes"_s
        << u"Initial Catalog=sales"_s
        << u"Provider=SQLNCLI11;Server=a;Database=sales;Database=other;Trusted_Connection=yes"_s;
    QTest::newRow("msoledbsql-keywords-gds: UseFMTONLY beside its default has no effect")
        << u"Provider=MSOLEDBSQL19;Data Source=x;UseFMTONLY=yes"_s
        << u"Data Source=x@22 | Use FMTONLY=False@-"_s << u"no-effect@36"_s
        << u"Provider=MSOLEDBSQL19;Data Source=x"_s << u"Use FMTONLY=True"_s
        << u"Provider=MSOLEDBSQL19;Data Source=x;UseFMTONLY=yes;Use FMTONLY=True"_s;
    QTest::newRow("msoledbsql-access-token: a token beside a user")
        << u"Provider=MSOLEDBSQL;Data Source=x;User ID=u;Access Token=t;Persist Security Info=True"_s
        << u"Data Source=x@20 | User ID=u@34 | Access Token=t@44 | Persist Security Info=True@59"_s
        << u"token-with-credentials@44"_s << QString() << QString() << QString();
    QTest::newRow("msoledbsql-access-token, msoledbsql-entra: two ways to log on, one deprecated")
        << u"Provider=MSOLEDBSQL19;Data Source=x;Integrated Security=SSPI;"
           "Authentication=ActiveDirectoryPassword"_s
        << u"Data Source=x@22 | Integrated Security=SSPI@36 | "
           "Authentication=ActiveDirectoryPassword@61"_s
        << u"integrated-with-authentication@36 deprecated@61"_s << QString() << QString()
        << QString();
    QTest::newRow("msoledbsql-encryption: a host name for a certificate nobody validates")
        << u"Provider=MSOLEDBSQL19;Data Source=x;Trust Server Certificate=True;"
           "Host Name In Certificate=x.example.com"_s
        << u"Data Source=x@22 | Trust Server Certificate=True@36 | "
           "Host Name In Certificate=x.example.com@66"_s
        << u"hostname-with-trust@66"_s << QString() << QString() << QString();
    QTest::newRow("msoledbsql19-server-certificate: a certificate to match, encryption Mandatory")
        << u"Provider=MSOLEDBSQL19;Data Source=x;Server Certificate=/etc/ssl/x.cer"_s
        << u"Data Source=x@22 | Server Certificate=/etc/ssl/x.cer@36"_s
        << u"certificate-without-strict@36"_s << QString() << u"Use Encryption for Data=Strict"_s
        << u"Provider=MSOLEDBSQL19;Data Source=x;Server Certificate=/etc/ssl/x.cer;"
           "Use Encryption for Data=Strict"_s;
    QTest::newRow(
        "msoledbsql-overview, msoledbsql19-server-certificate: Encrypt=Strict does not count")
        << u"Provider=MSOLEDBSQL19;Server=x;Encrypt=Strict;Server Certificate=x.cer"_s
        << u"Data Source=x@22 | Use Encryption for Data=Mandatory@- | Server Certificate=x.cer@46"_s
        << u"no-effect@31 certificate-without-strict@46"_s
        << u"Provider=MSOLEDBSQL19;Server=x;Server Certificate=x.cer"_s << QString() << QString();
    QTest::newRow("msoledbsql19-server-certificate: under Strict encryption the certificate counts")
        << u"Provider=MSOLEDBSQL19;Data Source=x;Use Encryption for Data=Strict;"
           "Server Certificate=x.cer"_s
        << u"Data Source=x@22 | Use Encryption for Data=Strict@36 | Server Certificate=x.cer@67"_s
        << QString() << QString() << QString() << QString();
    QTest::newRow("msoledbsql19-server-certificate: the certificates' provider-string keywords")
        << u"Provider=MSOLEDBSQL19;Data Source=x;Use Encryption for Data=Strict;"
           "ServerCertificate=x.cer;HostNameInCertificate=h"_s
        << u"Data Source=x@22 | Use Encryption for Data=Strict@36 | Server Certificate=x.cer@67 | "
           "Host Name In Certificate=h@91"_s
        << QString() << QString() << QString() << QString();
    QTest::newRow("msoledbsql-keywords: a keyword one letter off")
        << u"Provider=MSOLEDBSQL;Data Source=x;Intial Catalog=db"_s
        << u"Data Source=x@20 | Intial Catalog=db@34"_s << u"misspelt-keyword@34"_s
        << u"Provider=MSOLEDBSQL;Data Source=x;Initial Catalog=db"_s << QString() << QString();
    QTest::newRow("msoledbsql-keywords: no rename onto a keyword the string sets already")
        << u"Provider=MSOLEDBSQL;Data Source=x;Initial Catalog=a;Intial Catalog=b"_s
        << u"Data Source=x@20 | Initial Catalog=a@34 | Intial Catalog=b@52"_s
        << u"misspelt-keyword@52"_s << QString() << QString() << QString();
    QTest::newRow("ado-msdasql: ODBC keywords at the top level go to the driver")
        << u"Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;"
           "Database=postgres;Uid=u;Pwd=p;"_s
        << u"Driver={PostgreSQL Unicode}@17 | Server=127.0.0.1@45 | Port=5432@62 | "
           "Initial Catalog=postgres@72 | User ID=u@90 | Password=p@96"_s
        << QString() << QString() << u"Initial Catalog=mydb"_s
        << u"Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;"
           "Database=mydb;Uid=u;Pwd=p;"_s;
    QTest::newRow("ado-datashape, ado-sqloledb: shaping SQLOLEDB reads the string as it does")
        << u"Provider=MSDataShape;Data Provider=SQLOLEDB.1;Server=a;Trusted_Connection=no;"
           "Unique Reshape Names=True"_s
        << u"Data Provider=SQLOLEDB.1@21 | Data Source=a@46 | Integrated Security=@55 | "
           "Unique Reshape Names=True@77"_s
        << u"deprecated@0 deprecated@21"_s << QString() << u"Integrated Security=SSPI"_s
        << u"Provider=MSDataShape;Data Provider=SQLOLEDB.1;Server=a;Trusted_Connection=yes;"
           "Unique Reshape Names=True"_s;
    QTest::newRow("ado-sqloledb: Server is another name for Data Source, the last one is used")
        << u"Provider=SQLOLEDB;Data Source=a;Server=b"_s << u"Data Source=b@32"_s
        << u"deprecated@0 conflict@18"_s << u"Provider=SQLOLEDB;Server=b"_s << QString()
        << QString();
}

void tst_DataLinkProperties::readsAStringAsItsProviderDoes()
{
    QFETCH(QString, text);
    QFETCH(QString, effective);
    QFETCH(QString, problems);
    QFETCH(QString, fixed);
    QFETCH(QString, set);
    QFETCH(QString, edited);

    const DataLinkProperties properties = read(text);
    QCOMPARE(::effective(properties), effective);
    const QList<Problem> found = findProblems(properties);
    QCOMPARE(::problems(found), problems);
    for (const Problem &problem : found) {
        QVERIFY2(problem.source.isEmpty()
                     || !properties.catalogue().source(problem.source).isEmpty(),
                 qPrintable(problem.source));
        QVERIFY(!problem.message.isEmpty());
    }

    const auto fix = std::find_if(found.cbegin(), found.cend(),
                                  [](const Problem &problem) { return problem.fix.has_value(); });
    QCOMPARE(fix == found.cend() ? QString() : [&] {
        DataLinkProperties mended = properties;
        if (!applyFix(mended, *fix->fix))
            return u"(not applied)"_s;
        return mended.toString();
    }(), fixed);

    if (!set.isEmpty()) {
        DataLinkProperties changed = properties;
        const qsizetype equals = set.indexOf(u'=');
        changed.setValue(set.first(equals), set.sliced(equals + 1));
        QCOMPARE(changed.toString(), edited);
        QCOMPARE(editConnectionString(properties.catalogue(), text,
                                      {{set.first(equals), set.sliced(equals + 1)}}, {}),
                 edited);
    }
}

void tst_DataLinkProperties::aFileTypeIsFoundAndChangedWhateverStandsBesideIt_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("chosen"); // the type to set
    QTest::addColumn<QString>("changed");

    QTest::newRow("ACE workbook, IMEX kept")
        << u"Excel 12.0 Xml;HDR=YES;IMEX=1"_s << u"Excel 12.0 Xml"_s << u"Excel 12.0 Macro"_s
        << u"Excel 12.0 Macro;HDR=YES;IMEX=1"_s;
    QTest::newRow("type after the options, white space kept")
        << u"HDR=No; Excel 8.0 ;MaxScanRows=0"_s << u"Excel 8.0"_s << u"Excel 12.0"_s
        << u"HDR=No; Excel 12.0 ;MaxScanRows=0"_s;
    QTest::newRow("text file, a ; inside FMT's parentheses")
        << u"text;HDR=Yes;FMT=Delimited(;)"_s << u"text"_s << QString()
        << u"HDR=Yes;FMT=Delimited(;)"_s;
    QTest::newRow("no type yet") << u"HDR=Yes"_s << QString() << u"Excel 8.0"_s
                                 << u"Excel 8.0;HDR=Yes"_s;
}

void tst_DataLinkProperties::aFileTypeIsFoundAndChangedWhateverStandsBesideIt()
{
    QFETCH(QString, options);
    QFETCH(QString, type);
    QFETCH(QString, chosen);
    QFETCH(QString, changed);

    QCOMPARE(jetoptions::fileType(options), type);
    QCOMPARE(jetoptions::withFileType(options, chosen), changed);
    QCOMPARE(jetoptions::fileType(changed), chosen);
}

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
    QTest::newRow("SQL Server, Trusted_Connection written in its own yes/no")
        << u"Provider=MSOLEDBSQL;Server=x;Database=db;Trusted_Connection=yes"_s
        << u"Integrated Security"_s << QString(u""_s)
        << u"Provider=MSOLEDBSQL;Server=x;Database=db;Trusted_Connection=no"_s;
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
    QTest::newRow("SQL Server, the property name is in effect before a provider-string one")
        << u"Provider=MSOLEDBSQL19;Data Source=a;Server=b"_s << u"Data Source"_s << u"c"_s
        << u"Provider=MSOLEDBSQL19;Data Source=c;Server=b"_s;
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
    QTest::newRow("removed between others, every other pair and separator as written")
        << u" a=1;;b=2; Provider=SQLOLEDB ;Server=x;c=3;;d=4;"_s << u"Data Source"_s << QString()
        << u" a=1;;b=2; Provider=SQLOLEDB;c=3;;d=4;"_s;
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
    // Scripts read only the pairs an edit can touch and keep the rest as text; the answer is
    // the dialog's.
    QCOMPARE(value.isNull()
                 ? editConnectionString(properties.catalogue(), text, {}, {name})
                 : editConnectionString(properties.catalogue(), text, {{name, value}}, {}),
             edited);

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
    QTest::addColumn<int>("inEffect");
    QTest::addColumn<QString>("kept");

    QTest::newRow("same keyword, other case")
        << u"Provider=SQLOLEDB;Foo=bar;foo=baz;Data Source=x"_s << u"FOO"_s << 2 << 1
        << u"Provider=SQLOLEDB;foo=baz;Data Source=x"_s;
    QTest::newRow("SQL Server, the property's own name wins before its provider-string name")
        << u"Provider=MSOLEDBSQL;Data Source=b;Server=a"_s << u"Data Source"_s << 2 << 0
        << u"Provider=MSOLEDBSQL;Data Source=b"_s;
    QTest::newRow("SQL Server, of two provider-string names the first wins")
        << u"Provider=SQLNCLI11;UID=a;uid=b;Server=x"_s << u"User ID"_s << 2 << 0
        << u"Provider=SQLNCLI11;UID=a;Server=x"_s;
    QTest::newRow("SQL Server, pairs beneath a default are no rivals: neither has effect")
        << u"Provider=MSOLEDBSQL;Encrypt=yes;Encrypt=no"_s << u"Use Encryption for Data"_s << 0 << 0
        << QString();
    QTest::newRow("the same meaning spelt twice is no conflict")
        << u"Provider=SQLOLEDB;Trusted_Connection=yes;Integrated Security=SSPI"_s
        << u"Integrated Security"_s << 0 << 0 << QString();
}

void tst_DataLinkProperties::pairsThatDisagreeAreAConflictResolvedByKeepingTheOneInEffect()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(int, pairs);
    QFETCH(int, inEffect);
    QFETCH(QString, kept);

    DataLinkProperties properties = read(text);
    const std::optional<Conflict> conflict = properties.conflict(name);
    QCOMPARE(conflict ? int(conflict->pairs.size()) : 0, pairs);
    if (!conflict)
        return;
    QCOMPARE(conflict->inEffect, inEffect);
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
