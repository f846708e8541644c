#include "oledb/connectionstring.h"
#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"
#include "platform/error.h"

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

        QTest::newRow("version-independent, other case") << u"sqloledb"_s << u"SQLOLEDB.1"_s;
        QTest::newRow("newest of two versions")
            << u"Microsoft.ACE.OLEDB"_s << u"Microsoft.ACE.OLEDB.16.0"_s;
        QTest::newRow("numbered alias") << u"MSOLAP.8"_s << u"MSOLAP"_s;
        QTest::newRow("alias with spaces, other case")
            << u"postgresql ole db provider"_s << u"PostgreSQL.1"_s;
        QTest::newRow("a Db2 copy's name") << u"IBMDADB2.DB2COPY1"_s << u"IBMDADB2.1"_s;
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

    // The dialog's pages and Test Connection's drivers both go by this.
    void decidesTheFamilyByProgId_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("dataProvider"); // null: no Data Provider pair
        QTest::addColumn<ProviderFamily>("family");

        const QString none;
        QTest::newRow("versioned") << u"SQLOLEDB.1"_s << none << ProviderFamily::SqlServer;
        QTest::newRow("release number, other case")
            << u"msoledbsql19"_s << none << ProviderFamily::SqlServer;
        QTest::newRow("release and version")
            << u"SQLNCLI10.1"_s << none << ProviderFamily::SqlServer;
        QTest::newRow("longer name is another provider")
            << u"SQLOLEDBX"_s << none << ProviderFamily::Other;
        QTest::newRow("Jet") << u"Microsoft.Jet.OLEDB.4.0"_s << none << ProviderFamily::Jet;
        QTest::newRow("ACE, spaces")
            << u" Microsoft.ACE.OLEDB.12.0 "_s << none << ProviderFamily::Ace;
        QTest::newRow("ODBC") << u"MSDASQL"_s << none << ProviderFamily::Odbc;
        QTest::newRow("Oracle's own") << u"OraOLEDB.Oracle.1"_s << none << ProviderFamily::Oracle;
        QTest::newRow("Db2 is no SQL Server") << u"DB2OLEDB.1"_s << none << ProviderFamily::Other;
        QTest::newRow("shaping SQL Server")
            << u"MSDataShape"_s << u"SQLOLEDB.1"_s << ProviderFamily::SqlServer;
        QTest::newRow("shaping ACE, other case, spaces")
            << u"msdatashape.1"_s << u" microsoft.ace.oledb.12.0 "_s << ProviderFamily::Ace;
        QTest::newRow("shaping nothing") << u"MSDataShape"_s << u"NONE"_s << ProviderFamily::Other;
        QTest::newRow("shaping without a Data Provider")
            << u"MSDataShape.1"_s << none << ProviderFamily::Other;
        QTest::newRow("shaping an unknown provider")
            << u"MSDataShape"_s << u"Acme.DB.1"_s << ProviderFamily::Other;
        QTest::newRow("shaping a provider known only by its family")
            << u"MSDataShape"_s << u"SQLNCLI10"_s << ProviderFamily::Other;
        QTest::newRow("shaping the shaping service")
            << u"MSDataShape"_s << u"MSDataShape"_s << ProviderFamily::Other;
        QTest::newRow("Data Provider means nothing to a provider")
            << u"SQLOLEDB"_s << u"Microsoft.Jet.OLEDB.4.0"_s << ProviderFamily::SqlServer;
        QTest::newRow("unknown") << u"Acme.DB.1"_s << none << ProviderFamily::Other;
        QTest::newRow("empty") << QString() << none << ProviderFamily::Other;
    }

    void decidesTheFamilyByProgId()
    {
        QFETCH(QString, progId);
        QFETCH(QString, dataProvider);
        QFETCH(ProviderFamily, family);
        const ProviderCatalogue &catalogue = ProviderCatalogue::builtIn();
        KeywordValueList pairs {{u"Provider"_s, progId}};
        if (!dataProvider.isNull())
            pairs.append(
                {{u"Data Provider"_s, dataProvider}, {u"Unique Reshape Names"_s, u"True"_s}});
        const ConnectionString connection(pairs);
        // What Test Connection tries: a wrapped provider gets none of the service's own pairs.
        const ConnectionString handed = catalogue.handedOn(connection);
        QCOMPARE(catalogue.familyOf(*handed.value(u"Provider")), family);
        if (handed.pairs() != connection.pairs())
            QCOMPARE(handed.toString(), u"Provider="_s + dataProvider.trimmed());
        if (catalogue.find(progId)) {
            const DataLinkProperties properties
                = DataLinkProperties::fromString(catalogue, connection.toString());
            QCOMPARE(properties.provider().family, family);
            // The string stays the user's.
            QCOMPARE(properties.toString(), connection.toString());
        }
    }

    // Every provider, with every default set, writes a string that names it and holds them all.
    void everyProviderWritesItsDefaults()
    {
        const ProviderCatalogue &catalogue = ProviderCatalogue::builtIn();
        QVERIFY(catalogue.providers().size() >= 12);
        for (const Provider &provider : catalogue.providers()) {
            DataLinkProperties properties(catalogue);
            if (!provider.generic)
                properties.setProviderProgId(provider.progId);
            for (const PropertyDefinition &property : provider.properties)
                properties.setValue(property.name, property.defaultValue);
            const ConnectionString written = ConnectionString::parse(properties.toString());
            if (!provider.generic)
                QCOMPARE(catalogue.find(*written.value(u"Provider"))->progId, provider.progId);
            for (const PropertyDefinition &property : provider.properties)
                QCOMPARE(written.value(property.name), property.defaultValue);
        }
    }

    void readsTheKeywordsTheProvidersDocument_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("property"); // empty: not the provider's keyword

        QTest::newRow("SQL Server: Server") << u"MSOLEDBSQL"_s << u"server"_s << u"Data Source"_s;
        QTest::newRow("SQL Server: Addr") << u"SQLNCLI11"_s << u"Addr"_s << u"Network Address"_s;
        QTest::newRow("old SQL Server: no Address") << u"SQLOLEDB"_s << u"Address"_s << QString();
        QTest::newRow("ODBC: DSN") << u"MSDASQL"_s << u"DSN"_s << u"Data Source"_s;
        QTest::newRow("ODBC: the driver's Database")
            << u"MSDASQL"_s << u"Database"_s << u"Initial Catalog"_s;
        QTest::newRow("Analysis Services: Catalog")
            << u"MSOLAP"_s << u"Catalog"_s << u"Initial Catalog"_s;
        QTest::newRow("Jet: none") << u"Microsoft.Jet.OLEDB.4.0"_s << u"UID"_s << QString();
        QTest::newRow("SQL Server 19: UseFMTONLY")
            << u"MSOLEDBSQL19"_s << u"usefmtonly"_s << u"Use FMTONLY"_s;
        QTest::newRow("Native Client: no Use FMTONLY")
            << u"SQLNCLI11"_s << u"UseFMTONLY"_s << QString();
        QTest::newRow("Analysis Services: VisualMode")
            << u"MSOLAP"_s << u"VisualMode"_s << u"Default MDX Visual Mode"_s;
        QTest::newRow("IBM Db2: DSN") << u"IBMDADB2"_s << u"DSN"_s << u"Data Source"_s;
        QTest::newRow("Informix: the long name of FBS")
            << u"Ifxoledbc"_s << u"FETCHBUFFERSIZE"_s << u"FBS"_s;
        QTest::newRow("PgOleDb: timeout")
            << u"PostgreSQL"_s << u"timeout"_s << u"Connect Timeout"_s;
        QTest::newRow("ODBC: FileDSN is a keyword of its own")
            << u"MSDASQL"_s << u"filedsn"_s << u"FileDSN"_s;
    }

    void readsTheKeywordsTheProvidersDocument()
    {
        QFETCH(QString, progId);
        QFETCH(QString, keyword);
        QFETCH(QString, property);
        const PropertyDefinition *found
            = ProviderCatalogue::builtIn().resolve(progId).property(keyword);
        QCOMPARE(found ? found->name : QString(), property);
    }

    // What the dialog tells the user about a property, and where the catalogue learnt it.
    void everyPropertyIsDescribedFromAKnownSource_data()
    {
        QTest::addColumn<qsizetype>("index");
        const QList<Provider> &providers = ProviderCatalogue::builtIn().providers();
        for (qsizetype i = 0; i < providers.size(); ++i) {
            const QString name = providers.at(i).generic ? u"generic"_s : providers.at(i).progId;
            QTest::newRow(qPrintable(name)) << i;
        }
    }

    void everyPropertyIsDescribedFromAKnownSource()
    {
        QFETCH(qsizetype, index);
        const ProviderCatalogue &catalogue = ProviderCatalogue::builtIn();
        const Provider &provider = catalogue.providers().at(index);
        QVERIFY(!catalogue.source(provider.source).isEmpty());
        for (const PropertyDefinition &property : provider.properties) {
            const QString &sentence = property.description;
            QVERIFY2(sentence.size() > property.name.size() + 10, qPrintable(property.name));
            QVERIFY2(sentence.endsWith(u'.') && !sentence.contains(u". "), qPrintable(sentence));
            QVERIFY2(!catalogue.source(property.descriptionSource).isEmpty(),
                     qPrintable(property.name));
        }
    }

    void validatesValues_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");

        QTest::newRow("integer: negative") << u"OLE DB Services"_s << u"-2147483648"_s << true;
        QTest::newRow("integer: hex") << u"OLE DB Services"_s << u"0xFFFFFFFF"_s << true;
        QTest::newRow("integer: octal") << u"Connect Timeout"_s << u"017"_s << true;
        QTest::newRow("integer: 8 is no octal digit") << u"Connect Timeout"_s << u"08"_s << false;
        QTest::newRow("integer: bare 0x") << u"Connect Timeout"_s << u"0x"_s << false;
        QTest::newRow("integer: past 32 bits") << u"Connect Timeout"_s << u"4294967296"_s << false;
        QTest::newRow("integer: below -2^31") << u"Connect Timeout"_s << u"-2147483649"_s << false;
        QTest::newRow("boolean: any case") << u"Persist Security Info"_s << u"tRUE"_s << true;
        QTest::newRow("boolean: not yes") << u"Persist Security Info"_s << u"yes"_s << false;
        QTest::newRow("enumeration: any case") << u"Prompt"_s << u"complete required"_s << true;
        QTest::newRow("enumeration: one only") << u"Protection Level"_s << u"Call|Pkt"_s << false;
        QTest::newRow("flags: combined") << u"Mode"_s << u"read | SHARE DENY NONE"_s << true;
        QTest::newRow("flags: empty part") << u"Mode"_s << u"Read|"_s << false;
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

    void checksCatalogueOnLoading_data()
    {
        QTest::addColumn<QString>("providers"); // JSON, ' for "
        QTest::addColumn<bool>("valid");

        const QString generic = u"{'generic': true, 'description': 'd', 'properties': []}, "_s;
        const QString provider = u"{'progId': 'A', 'description': 'd', 'properties': [%1]}"_s;
        QTest::newRow("minimal") << generic + provider.arg(QString()) << true;
        QTest::newRow("name used twice") << generic + provider.arg(QString())
                + u", {'progId': 'B', 'aliases': ['a'], "
                  "'description': 'd', 'properties': []}"_s
                                         << false;
        QTest::newRow("invalid default") << generic
                + provider.arg(u"{'name': 'T', 'type': 'integer', 'page': 'all', 'default': 'x'}"_s)
                                         << false;
        const QString synonyms
            = u"{'progId': 'S', 'synonyms': ['s'], 'description': 'd', "
              "'properties': [{'name': 'T', 'type': 'text', 'page': 'all'}, "
              "{'name': 'U', 'type': 'text', 'page': 'all'}]}], "
              "'sources': {'doc': 'where'}, 'synonymSets': {'s': [%1]}, 'notes': ["_s;
        QTest::newRow("synonym") << generic
                + synonyms.arg(u"{'keyword': 'V', 'property': 'T', "
                               "'source': 'doc'}"_s)
                                 << true;
        QTest::newRow("synonym without a source")
            << generic + synonyms.arg(u"{'keyword': 'V', 'property': 'T', 'source': 'x'}"_s)
            << false;
        QTest::newRow("synonym that is another property's name")
            << generic + synonyms.arg(u"{'keyword': 'u', 'property': 'T', 'source': 'doc'}"_s)
            << false;
        QTest::newRow("synonym of a kind no provider reads") << generic
                + synonyms.arg(
                    u"{'keyword': 'V', 'kind': 'odbc', 'property': 'T', 'source': 'doc'}"_s)
                                                             << false;
        const QString cited = u"{'progId': 'S', 'description': 'd', 'properties': [%1]}], "
                              "'sources': {'doc': 'where'}, 'notes': ["_s;
        QTest::newRow("a default cited from a source") << generic
                + cited.arg(u"{'name': 'T', 'type': 'integer', 'page': 'all', 'default': '0', "
                            "'defaultSource': 'doc'}"_s)
                                                       << true;
        QTest::newRow("a default cited from nowhere") << generic
                + cited.arg(u"{'name': 'T', 'type': 'integer', 'page': 'all', 'default': '0', "
                            "'defaultSource': 'x'}"_s) << false;
        QTest::newRow("a cited default that is not there") << generic
                + cited.arg(u"{'name': 'T', 'type': 'integer', 'page': 'all', "
                            "'defaultSource': 'doc'}"_s) << false;
        const QString bounded = u"{'name': 'T', 'type': '%1', 'page': 'all', 'minimum': %2, "
                                "'maximum': 9, 'default': '%3'}"_s;
        QTest::newRow("a default within its bounds")
            << generic + cited.arg(bounded.arg(u"integer"_s, u"0"_s, u"9"_s)) << true;
        QTest::newRow("a default past its bounds")
            << generic + cited.arg(bounded.arg(u"integer"_s, u"0"_s, u"10"_s)) << false;
        QTest::newRow("a default in hexadecimal below the minimum")
            << generic + cited.arg(bounded.arg(u"integer"_s, u"1"_s, u"0x0"_s)) << false;
        QTest::newRow("bounds the wrong way round")
            << generic + cited.arg(bounded.arg(u"integer"_s, u"10"_s, u"9"_s)) << false;
        QTest::newRow("a fraction for a bound")
            << generic + cited.arg(bounded.arg(u"integer"_s, u"0.5"_s, u"1"_s)) << false;
        QTest::newRow("bounds on a text")
            << generic + cited.arg(bounded.arg(u"text"_s, u"0"_s, u"1"_s)) << false;
        QTest::newRow("a property's own name of a kind no provider reads") << generic
                + cited.arg(u"{'name': 'T', 'type': 'text', 'page': 'all', 'kind': 'odbc'}"_s)
                                                                           << false;
        const QString service
            = u"{'progId': 'S', 'wraps': {'property': '%1', 'source': 'doc'}, 'description': 'd', "
              "'properties': [{'name': 'P', 'type': 'text', 'page': 'all'}]}%2], "
              "'sources': {'doc': 'where'}, 'notes': ["_s;
        QTest::newRow("a service that wraps the provider a property names")
            << generic + service.arg(u"P"_s, QString()) << true;
        QTest::newRow("a service that wraps by a property it lacks")
            << generic + service.arg(u"Q"_s, QString()) << false;
        QTest::newRow("a service's own keyword is one of a provider it may wrap") << generic
                + service.arg(u"P"_s,
                              u", {'progId': 'A', 'description': 'd', "
                              "'properties': [{'name': 'p', 'type': 'text', 'page': 'all'}]}"_s)
                                                                                  << false;
        const QString described
            = u"{'progId': 'S', 'descriptions': [%1], 'description': 'd', "
              "'properties': [{'name': 'T', 'type': 'text', 'page': 'all'}]}], "
              "'sources': {'doc': 'where'}, 'descriptionSets': {'set': {'source': '%2', "
              "'properties': {'t': %3}}}, 'notes': ["_s;
        QTest::newRow("a described property")
            << generic + described.arg(u"'set'"_s, u"doc"_s, u"'What T does.'"_s) << true;
        QTest::newRow("descriptions from nowhere")
            << generic + described.arg(u"'set'"_s, u"x"_s, u"'What T does.'"_s) << false;
        QTest::newRow("an unknown description set")
            << generic + described.arg(u"'other'"_s, u"doc"_s, u"'What T does.'"_s) << false;
        QTest::newRow("an empty sentence")
            << generic + described.arg(u"'set'"_s, u"doc"_s, u"' '"_s) << false;
    }

    void checksCatalogueOnLoading()
    {
        QFETCH(QString, providers);
        QFETCH(bool, valid);
        const QByteArray json
            = QString(u"{'providers': ["_s + providers + u"]}"_s).replace(u'\'', u'"').toUtf8();
        if (valid)
            QCOMPARE(ProviderCatalogue::fromJson(json).providers().size(), 2);
        else
            QVERIFY_THROWS_EXCEPTION(platform::Error, ProviderCatalogue::fromJson(json));
    }
};

QTEST_APPLESS_MAIN(tst_ProviderCatalogue)
#include "tst_providercatalogue.moc"
