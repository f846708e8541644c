#include "platform/oledb/datalinkproperties.h"
#include "platform/oledb/datalinkwriter.h"
#include "platform/oledb/formaterror.h"
#include "platform/oledb/providercatalogue.h"

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
        QTest::addColumn<QStringList>("properties"); // keyword, value, keyword, value...
        QTest::addColumn<QString>("text");

        QTest::newRow("provider order, not the order given")
            << u"SQLOLEDB.1"_s << QStringList {u"Data Source"_s,           u"(local)"_s,
                                               u"Initial Catalog"_s,       u"pubs"_s,
                                               u"Integrated Security"_s,   u"SSPI"_s,
                                               u"Persist Security Info"_s, u"False"_s}
            << u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
               "Initial Catalog=pubs;Data Source=(local)"_s;
        QTest::newRow("password left out unless persisted")
            << u"MSOLEDBSQL.1"_s << QStringList {u"User ID"_s, u"sa"_s,          u"Password"_s,
                                                 u"secret"_s,  u"Data Source"_s, u"srv"_s}
            << u"Provider=MSOLEDBSQL.1;User ID=sa;Data Source=srv"_s;
        QTest::newRow("persisted password quoted as needed")
            << u"MSDAORA.1"_s << QStringList {u"Persist Security Info"_s,
                                              u"true"_s,
                                              u"Password"_s,
                                              u" a;\"b'"_s,
                                              u"User ID"_s,
                                              u"scott"_s}
            << u"Provider=MSDAORA.1;Password=\" a;\"\"b'\";User ID=scott;"
               "Persist Security Info=true"_s;
        QTest::newRow("database password is a secret too")
            << u"Microsoft.Jet.OLEDB.4.0"_s
            << QStringList {u"Data Source"_s, u"C:\\db.mdb"_s, u"Jet OLEDB:Database Password"_s,
                            u"x"_s}
            << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db.mdb"_s;
        QTest::newRow("empty value quoted")
            << u"MSDASQL.1"_s << QStringList {u"Extended Properties"_s, u""_s}
            << u"Provider=MSDASQL.1;Extended Properties=\"\""_s;
        QTest::newRow("unknown keywords last, in their order and spelling")
            << u"OraOLEDB.Oracle.1"_s
            << QStringList {u"zeta"_s, u"1"_s, u"Data Source"_s, u"orcl"_s, u"ALPHA"_s, u"2"_s}
            << u"Provider=OraOLEDB.Oracle.1;Data Source=orcl;zeta=1;ALPHA=2"_s;
        QTest::newRow("duplicates: the last value counts")
            << u"SQLNCLI11.1"_s << QStringList {u"data source"_s, u"a"_s, u"Foo"_s, u"1"_s,
                                                u"DATA SOURCE"_s, u"b"_s, u"foo"_s, u"2"_s}
            << u"Provider=SQLNCLI11.1;Data Source=b;Foo=2"_s;
        QTest::newRow("unknown provider keeps its name")
            << u"Acme.DB.2"_s
            << QStringList {u"Provider"_s, u"Other.1"_s, u"Foo"_s, u"bar"_s, u"Location"_s, u"x"_s}
            << u"Provider=Acme.DB.2;Location=x;Foo=bar"_s;
    }

    void writesDialogString()
    {
        QFETCH(QString, progId);
        QFETCH(QStringList, properties);
        QFETCH(QString, text);
        KeywordValueList pairs;
        for (qsizetype i = 0; i + 1 < properties.size(); i += 2)
            pairs.append({properties.at(i), properties.at(i + 1)});
        QCOMPARE(writeDataLinkString(ProviderCatalogue::builtIn().resolve(progId), pairs), text);
    }

    void untouchedStringComesBackVerbatim_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << u""_s;
        QTest::newRow("own spelling, order and quoting")
            << u" data source = 'x' ; provider=sqloledb;Password=p;a=1;A=2;"_s;
    }

    void untouchedStringComesBackVerbatim()
    {
        QFETCH(QString, text);
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
        QCOMPARE(properties.providerProgId(), u"sqloledb"_s);
        QCOMPARE(properties.value(u"ZETA"), u"2"_s);
        properties.setValue(u"Initial Catalog"_s, u"pubs"_s);
        QCOMPARE(properties.toString(ProviderCatalogue::builtIn()),
                 u"Provider=SQLOLEDB.1;Initial Catalog=pubs;Data Source=x;Zeta=2"_s);
        properties.remove(u"zeta");
        properties.setProviderProgId(u"MSDASQL.1"_s);
        QCOMPARE(properties.toString(ProviderCatalogue::builtIn()),
                 u"Provider=MSDASQL.1;Data Source=x;Initial Catalog=pubs"_s);
    }

    void malformedStringIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(FormatError, DataLinkProperties::fromString(u"a=1;b"_s));
    }
};

QTEST_APPLESS_MAIN(tst_DataLinkWriter)
#include "tst_datalinkwriter.moc"
