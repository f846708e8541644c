#include "platform/error.h"
#include "platform/oledb/connectionstring.h"
#include "platform/oledb/datalinkwriter.h"
#include "platform/oledb/providercatalogue.h"

#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

class tst_ProviderCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsByProgIdOrAlias_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("progId"); // empty: not found

        QTest::newRow("as written") << u"SQLOLEDB.1"_s << u"SQLOLEDB.1"_s;
        QTest::newRow("version-independent") << u"SQLOLEDB"_s << u"SQLOLEDB.1"_s;
        QTest::newRow("other case") << u"microsoft.jet.oledb.4.0"_s << u"Microsoft.Jet.OLEDB.4.0"_s;
        QTest::newRow("newest of two versions")
            << u"Microsoft.ACE.OLEDB"_s << u"Microsoft.ACE.OLEDB.16.0"_s;
        QTest::newRow("numbered alias") << u"MSOLAP.8"_s << u"MSOLAP"_s;
        QTest::newRow("ODBC bridge") << u"msdasql"_s << u"MSDASQL.1"_s;
        QTest::newRow("unknown") << u"Acme.DB.1"_s << QString();
        QTest::newRow("no name") << QString() << QString();
    }

    void findsByProgIdOrAlias()
    {
        QFETCH(QString, name);
        QFETCH(QString, progId);
        const Provider *provider = ProviderCatalogue::builtIn().find(name);
        QCOMPARE(provider ? provider->progId : QString(), progId);
    }

    void unknownProviderKeepsItsName()
    {
        const Provider provider = ProviderCatalogue::builtIn().resolve(u"Acme.DB.2");
        QVERIFY(provider.generic);
        QCOMPARE(provider.progId, u"Acme.DB.2"_s);
        QVERIFY(provider.property(u"data source"));
    }

    // Every provider, with every default set, writes a string that names it and holds them all.
    void everyProviderWritesItsDefaults()
    {
        const ProviderCatalogue &catalogue = ProviderCatalogue::builtIn();
        QVERIFY(catalogue.providers().size() >= 12);
        for (const Provider &provider : catalogue.providers()) {
            KeywordValueList defaults;
            for (const PropertyDefinition &property : provider.properties)
                defaults.append({property.name, property.defaultValue});
            // Secrets are written only where saving them is allowed.
            defaults.append({u"Persist Security Info"_s, u"True"_s});
            const ConnectionString written
                = ConnectionString::parse(writeDataLinkString(provider, defaults));
            if (!provider.generic)
                QCOMPARE(catalogue.find(*written.value(u"Provider"))->progId, provider.progId);
            for (const PropertyDefinition &property : provider.properties) {
                if (property.name != u"Persist Security Info")
                    QCOMPARE(written.value(property.name), property.defaultValue);
            }
        }
    }

    void validatesValues_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");

        QTest::newRow("integer: decimal") << u"Connect Timeout"_s << u"30"_s << true;
        QTest::newRow("integer: negative") << u"OLE DB Services"_s << u"-2147483648"_s << true;
        QTest::newRow("integer: hex") << u"OLE DB Services"_s << u"0xFFFFFFFF"_s << true;
        QTest::newRow("integer: octal") << u"Connect Timeout"_s << u"017"_s << true;
        QTest::newRow("integer: 8 is no octal digit") << u"Connect Timeout"_s << u"08"_s << false;
        QTest::newRow("integer: bare 0x") << u"Connect Timeout"_s << u"0x"_s << false;
        QTest::newRow("integer: past 32 bits") << u"Connect Timeout"_s << u"4294967296"_s << false;
        QTest::newRow("integer: below -2^31") << u"Connect Timeout"_s << u"-2147483649"_s << false;
        QTest::newRow("integer: fraction") << u"Connect Timeout"_s << u"1.5"_s << false;
        QTest::newRow("integer: empty") << u"Connect Timeout"_s << u""_s << false;
        QTest::newRow("boolean: any case") << u"Persist Security Info"_s << u"tRUE"_s << true;
        QTest::newRow("boolean: not yes") << u"Persist Security Info"_s << u"yes"_s << false;
        QTest::newRow("enumeration: any case") << u"Prompt"_s << u"complete required"_s << true;
        QTest::newRow("enumeration: spaces matter") << u"Prompt"_s << u"NoPrompt"_s << false;
        QTest::newRow("enumeration: one only") << u"Protection Level"_s << u"Call|Pkt"_s << false;
        QTest::newRow("flags: combined") << u"Mode"_s << u"read | SHARE DENY NONE"_s << true;
        QTest::newRow("flags: empty part") << u"Mode"_s << u"Read|"_s << false;
        QTest::newRow("flags: unknown part") << u"Mode"_s << u"Write|Append"_s << false;
        QTest::newRow("text: anything") << u"Data Source"_s << u"\"; ="_s << true;
    }

    void validatesValues()
    {
        QFETCH(QString, property);
        QFETCH(QString, value);
        QFETCH(bool, valid);
        const PropertyDefinition *definition
            = ProviderCatalogue::builtIn().generic().property(property);
        QVERIFY(definition);
        const auto problem = definition->explainInvalid(value);
        QCOMPARE(!problem, valid);
        if (problem)
            QVERIFY2(problem->startsWith(property), qPrintable(*problem));
    }

    void refusesBrokenCatalogues_data()
    {
        const QString generic
            = u"{\"generic\": true, \"description\": \"d\", \"properties\": []}"_s;
        const auto provider = [](const QString &progId, const QString &properties = {}) {
            return u",{\"progId\": \"%1\", \"description\": \"d\", \"properties\": [%2]}"_s.arg(
                progId, properties);
        };
        const auto mode = [](const QString &type, const QString &extra = {}) {
            return u"{\"name\": \"Mode\", \"type\": \"%1\", \"page\": \"all\"%2}"_s.arg(type,
                                                                                        extra);
        };
        const auto catalogue = [](const QString &providers) {
            return u"{\"providers\": [%1]}"_s.arg(providers).toUtf8();
        };
        QTest::addColumn<QByteArray>("json");

        QTest::newRow("not JSON") << QByteArray("{");
        QTest::newRow("no generic entry") << catalogue(provider(u"A.1"_s).sliced(1));
        QTest::newRow("two generic entries") << catalogue(generic + u","_s + generic);
        QTest::newRow("name used twice")
            << catalogue(generic + provider(u"A.1"_s) + provider(u"a.1"_s));
        QTest::newRow("unknown type") << catalogue(generic + provider(u"A.1"_s, mode(u"date"_s)));
        QTest::newRow("enumeration without values")
            << catalogue(generic + provider(u"A.1"_s, mode(u"enumeration"_s)));
        QTest::newRow("invalid default") << catalogue(
            generic + provider(u"A.1"_s, mode(u"integer"_s, u", \"default\": \"x\""_s)));
        QTest::newRow("property twice")
            << catalogue(generic + provider(u"A.1"_s, mode(u"text"_s) + u","_s + mode(u"text"_s)));
    }

    void refusesBrokenCatalogues()
    {
        QFETCH(QByteArray, json);
        QVERIFY_THROWS_EXCEPTION(platform::Error, ProviderCatalogue::fromJson(json));
    }
};

QTEST_APPLESS_MAIN(tst_ProviderCatalogue)
#include "tst_providercatalogue.moc"
