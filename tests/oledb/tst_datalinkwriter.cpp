#include "oledb/datalinkproperties.h"
#include "oledb/datalinkwriter.h"
#include "oledb/providercatalogue.h"

#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

class tst_DataLinkWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesDialogString_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("properties"); // keyword|value|keyword|value...
        QTest::addColumn<QString>("text");

        QTest::newRow("provider order, not the order given")
            << u"SQLOLEDB.1"_s
            << u"Data Source|(local)|Initial Catalog|pubs|Integrated Security|SSPI|"
               "Persist Security Info|False"_s
            << u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
               "Initial Catalog=pubs;Data Source=(local)"_s;
        QTest::newRow("password left out unless persisted")
            << u"MSOLEDBSQL.1"_s << u"User ID|sa|Password|secret|Data Source|srv"_s
            << u"Provider=MSOLEDBSQL.1;User ID=sa;Data Source=srv"_s;
        QTest::newRow("persisted password quoted as needed")
            << u"MSDAORA.1"_s << u"Persist Security Info|true|Password| a;\"b'|User ID|scott"_s
            << u"Provider=MSDAORA.1;Password=\" a;\"\"b'\";User ID=scott;"
               "Persist Security Info=true"_s;
        QTest::newRow("database password is a secret too")
            << u"Microsoft.Jet.OLEDB.4.0"_s
            << u"Data Source|C:\\db.mdb|Jet OLEDB:Database Password|x"_s
            << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db.mdb"_s;
        QTest::newRow("a password the provider does not declare is a secret too")
            << u"MSDASQL.1"_s << u"Data Source|x|PWD|p|Extra Password|q"_s
            << u"Provider=MSDASQL.1;Data Source=x"_s;
        QTest::newRow("empty value quoted") << u"MSDASQL.1"_s << u"Extended Properties|"_s
                                            << u"Provider=MSDASQL.1;Extended Properties=\"\""_s;
        QTest::newRow("unknown keywords last, as given, last value counts")
            << u"OraOLEDB.Oracle.1"_s << u"zeta|1|data source|a|ALPHA|2|DATA SOURCE|orcl|Zeta|3"_s
            << u"Provider=OraOLEDB.Oracle.1;Data Source=orcl;zeta=3;ALPHA=2"_s;
        QTest::newRow("unknown provider keeps its name")
            << u"Acme.DB.2"_s << u"Provider|Other.1|Foo|bar|Location|x"_s
            << u"Provider=Acme.DB.2;Location=x;Foo=bar"_s;
    }

    void writesDialogString()
    {
        QFETCH(QString, progId);
        QFETCH(QString, properties);
        QFETCH(QString, text);
        const QStringList list = properties.split(u'|');
        KeywordValueList pairs;
        for (qsizetype i = 0; i + 1 < list.size(); i += 2)
            pairs.append({list.at(i), list.at(i + 1)});
        QCOMPARE(writeDataLinkString(ProviderCatalogue::builtIn().resolve(progId), pairs), text);
    }

    void untouchedStringComesBackVerbatim()
    {
        const QString text = u" data source = 'x' ; provider=sqloledb;Password=p;a=1;A=2;"_s;
        DataLinkProperties properties = DataLinkProperties::fromString(text);
        for (const KeywordValue &pair : properties.properties())
            properties.setValue(pair.keyword.toUpper(), pair.value);
        properties.setValue(u"PROVIDER"_s, properties.providerProgId());
        QCOMPARE(properties.toString(ProviderCatalogue::builtIn()), text);
    }

    void editedStringTakesDialogForm()
    {
        DataLinkProperties properties = DataLinkProperties::fromString(
            u"provider=sqloledb;data source=x;Zeta=1;Password=p;zeta=2"_s);
        properties.setValue(u"Initial Catalog"_s, u"pubs"_s);
        QCOMPARE(properties.toString(ProviderCatalogue::builtIn()),
                 u"Provider=SQLOLEDB.1;Initial Catalog=pubs;Data Source=x;Zeta=2"_s);
        properties.remove(u"zeta");
        properties.setProviderProgId(u"MSDASQL.1"_s);
        QCOMPARE(properties.toString(ProviderCatalogue::builtIn()),
                 u"Provider=MSDASQL.1;Data Source=x;Initial Catalog=pubs"_s);
    }
};

QTEST_APPLESS_MAIN(tst_DataLinkWriter)
#include "tst_datalinkwriter.moc"
