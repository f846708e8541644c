#include "oledb/conversion.h"

#include "oledb/connectionstring.h"
#include "oledb/formaterror.h"
#include "oledb/jsontable.h"
#include "oledb/odbcattributes.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <optional>

namespace oledb {

namespace {

using Pairs = QList<std::pair<QString, QString>>;

const JsonTableReader &reader()
{
    static const JsonTableReader table(QStringLiteral("Conversion tables"));
    return table;
}

// The booleans of every dialect here, as the OLE DB driver's initialisation strings take them.
const Pairs &booleans()
{
    static const Pairs values = {{QStringLiteral("true"), QStringLiteral("True")},
                                 {QStringLiteral("yes"), QStringLiteral("True")},
                                 {QStringLiteral("false"), QStringLiteral("False")},
                                 {QStringLiteral("no"), QStringLiteral("False")}};
    return values;
}

DialectConverter::Mapping readMapping(const QJsonObject &entry, const QString &where,
                                      const QHash<QString, QString> &sources)
{
    DialectConverter::Mapping mapping;
    mapping.names = reader().texts(entry, QLatin1String("names"), where, true);
    const QString at = where + QStringLiteral(", \"%1\"").arg(mapping.names.first());
    for (const QString &id : reader().texts(entry, QLatin1String("sources"), at, true)) {
        if (!sources.contains(id))
            reader().refuse(at, QStringLiteral("cites an unknown source \"%1\"").arg(id));
    }
    mapping.to = entry.value(QLatin1String("to")).toString();
    mapping.part = entry.value(QLatin1String("part")).toString();
    mapping.yields = entry.value(QLatin1String("yields")).toBool();
    if (!mapping.to.isEmpty() && !ConnectionString::isWritableKeyword(mapping.to))
        reader().refuse(
            at, QStringLiteral("\"%1\" is not a keyword a string can hold").arg(mapping.to));
    static const QStringList parts
        = {QStringLiteral("server"), QStringLiteral("instance"), QStringLiteral("port")};
    if (!mapping.part.isEmpty() && (!parts.contains(mapping.part) || mapping.to.isEmpty()))
        reader().refuse(at,
                        QStringLiteral("a part is server, instance or port of a target keyword"));
    const QJsonValue values = entry.value(QLatin1String("values"));
    if (values.toString() == QLatin1String("boolean")) {
        mapping.values = booleans();
    } else if (!values.isUndefined()) {
        if (!values.isArray() || mapping.to.isEmpty())
            reader().refuse(at,
                            QStringLiteral("\"values\" are [written, meant] pairs of a mapping"));
        for (const QJsonValue &pair : values.toArray()) {
            const QJsonArray written = pair.toArray();
            if (written.size() != 2 || !written.at(0).isString() || !written.at(1).isString())
                reader().refuse(at, QStringLiteral("\"values\" are [written, meant] pairs"));
            mapping.values.append({written.at(0).toString(), written.at(1).toString()});
        }
    }
    return mapping;
}

bool declares(const Provider &provider, QStringView keyword)
{
    for (const PropertyDefinition &property : provider.properties) {
        if (sameKeyword(property.name, keyword))
            return true;
    }
    return false;
}

// `+` and percent escapes, as the PostgreSQL JDBC driver decodes its URL.
QString urlDecoded(QStringView text)
{
    QString plus = text.toString();
    plus.replace(u'+', u' ');
    return QUrl::fromPercentEncoding(plus.toUtf8());
}

struct HostPort
{
    QString host;
    QString port;
};

// `host`, `host:port`, `[v6]` or `[v6]:port`. An IPv6 address outside brackets cannot be told
// from its port, so it is refused rather than cut at a guess.
HostPort splitHostPort(QStringView authority, const QString &bracketsHint)
{
    HostPort result;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        const QStringView rest = close < 0 ? QStringView() : authority.sliced(close + 1);
        if (close < 0 || !(rest.isEmpty() || rest.startsWith(u':')))
            throw ConversionError(QStringLiteral("The IPv6 address in brackets is not closed."));
        result.host = authority.sliced(1, close - 1).toString();
        if (!rest.isEmpty())
            result.port = rest.sliced(1).toString();
        return result;
    }
    const qsizetype colon = authority.indexOf(u':');
    if (colon >= 0 && authority.indexOf(u':', colon + 1) >= 0)
        throw ConversionError(QStringLiteral("The URL holds an IPv6 address outside brackets, "
                                             "which cannot be told from a port: ")
                              + bracketsHint);
    result.host = authority.first(colon < 0 ? authority.size() : colon).toString();
    if (colon >= 0)
        result.port = authority.sliced(colon + 1).toString();
    return result;
}

// jdbc:sqlserver://[serverName[\instanceName][:portNumber]][;property=value...], the properties
// with the driver's braces around a value that holds a `;`.
Pairs readJdbcSqlServer(QStringView rest)
{
    const qsizetype semicolon = rest.indexOf(u';');
    const QStringView authority = (semicolon < 0 ? rest : rest.first(semicolon)).trimmed();
    Pairs pairs;
    if (!authority.isEmpty()) {
        HostPort hostPort = splitHostPort(
            authority, QStringLiteral("write it as ;serverName=ADDRESS;portNumber=PORT."));
        const qsizetype backslash = hostPort.host.indexOf(u'\\');
        if (backslash >= 0) {
            pairs.append({QStringLiteral("serverName"), hostPort.host.first(backslash)});
            pairs.append({QStringLiteral("instanceName"), hostPort.host.sliced(backslash + 1)});
        } else {
            pairs.append({QStringLiteral("serverName"), hostPort.host});
        }
        if (!hostPort.port.isEmpty())
            pairs.append({QStringLiteral("portNumber"), hostPort.port});
    }
    if (semicolon >= 0) {
        const OdbcAttributes properties = OdbcAttributes::parse(rest.sliced(semicolon + 1));
        for (const OdbcAttributes::Attribute &attribute : properties.attributes())
            pairs.append({attribute.key, attribute.value});
    }
    return pairs;
}

// jdbc:postgresql://host:port/database?name=value&..., or jdbc:postgresql:database, where the
// host is localhost.
Pairs readJdbcPostgresql(QStringView rest)
{
    const qsizetype question = rest.indexOf(u'?');
    QStringView address = question < 0 ? rest : rest.first(question);
    QString host = QStringLiteral("localhost");
    QString port;
    if (address.startsWith(u"//")) {
        address = address.sliced(2);
        const qsizetype slash = address.indexOf(u'/');
        const QStringView authority = slash < 0 ? address : address.first(slash);
        address = slash < 0 ? QStringView() : address.sliced(slash + 1);
        if (authority.contains(u','))
            throw ConversionError(QStringLiteral(
                "The URL names several hosts; an ODBC string reaches one: keep the one to use."));
        HostPort hostPort = splitHostPort(authority, QStringLiteral("write it as [ADDRESS]:PORT."));
        if (!hostPort.host.isEmpty())
            host = hostPort.host;
        port = hostPort.port;
    } else if (address.startsWith(u'/')) {
        address = address.sliced(1);
    }
    Pairs pairs = {{QStringLiteral("host"), host}};
    if (!port.isEmpty())
        pairs.append({QStringLiteral("port"), port});
    if (!address.isEmpty())
        pairs.append({QStringLiteral("database"), urlDecoded(address)});
    if (question >= 0) {
        for (const QStringView parameter : rest.sliced(question + 1).tokenize(u'&')) {
            if (parameter.isEmpty())
                continue;
            const qsizetype assign = parameter.indexOf(u'=');
            if (assign < 0)
                pairs.append({urlDecoded(parameter), QString()});
            else
                pairs.append({urlDecoded(parameter.first(assign)),
                              urlDecoded(parameter.sliced(assign + 1))});
        }
    }
    return pairs;
}

bool isOdbcKeyword(QStringView keyword)
{
    return sameKeyword(keyword, u"DRIVER") || sameKeyword(keyword, u"DSN")
        || sameKeyword(keyword, u"FILEDSN");
}

[[noreturn]] void alreadyOleDb()
{
    throw ConversionError(
        QStringLiteral("This is an OLE DB string already: it names its Provider."));
}

} // namespace

const DialectConverter::Mapping *DialectConverter::Table::find(QStringView keyword) const
{
    for (const Mapping &mapping : mappings) {
        for (const QString &name : mapping.names) {
            if (sameKeyword(name, keyword))
                return &mapping;
        }
    }
    return nullptr;
}

DialectConverter DialectConverter::fromJson(const QByteArray &json,
                                            const ProviderCatalogue &catalogue)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull())
        reader().refuse(QStringLiteral("offset %1").arg(error.offset), error.errorString());
    const QJsonObject top = document.object();

    DialectConverter converter;
    converter.m_catalogue = &catalogue;
    const QJsonObject sources = top.value(QLatin1String("sources")).toObject();
    for (auto it = sources.begin(); it != sources.end(); ++it) {
        if (!it->isString() || it->toString().isEmpty())
            reader().refuse(QStringLiteral("sources"),
                            QStringLiteral("source \"%1\" must be a non-empty text").arg(it.key()));
        converter.m_sources.insert(it.key(), it->toString());
    }

    const QJsonObject targets = top.value(QLatin1String("targets")).toObject();
    for (auto it = targets.begin(); it != targets.end(); ++it) {
        const QString where = QStringLiteral("target \"%1\"").arg(it.key());
        const QJsonObject entry = it->toObject();
        Target target {reader().text(entry, QLatin1String("provider"), where, true),
                       entry.value(QLatin1String("driver")).toString()};
        if (!converter.m_sources.contains(
                reader().text(entry, QLatin1String("source"), where, true)))
            reader().refuse(where, QStringLiteral("cites an unknown source"));
        if (target.driver.isEmpty() && !catalogue.find(target.provider))
            reader().refuse(where, QStringLiteral("names a provider the catalogue does not know"));
        converter.m_targets.insert(it.key(), target);
    }
    if (!converter.m_targets.contains(QStringLiteral("odbc")))
        reader().refuse(QStringLiteral("targets"),
                        QStringLiteral("no \"odbc\" target for other drivers"));

    for (const QJsonValue &item : top.value(QLatin1String("odbcDrivers")).toArray()) {
        const QString where = QStringLiteral("odbcDrivers");
        const QJsonObject entry = item.toObject();
        const QString target = reader().text(entry, QLatin1String("target"), where, true);
        if (!converter.m_targets.contains(target))
            reader().refuse(where, QStringLiteral("unknown target \"%1\"").arg(target));
        converter.m_odbcDrivers.append(
            {reader().text(entry, QLatin1String("contains"), where, true), target});
    }

    const QJsonObject tables = top.value(QLatin1String("tables")).toObject();
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        const QString where = QStringLiteral("table \"%1\"").arg(it.key());
        const QJsonObject entry = it->toObject();
        Table table;
        table.target = reader().text(entry, QLatin1String("target"), where, true);
        const auto target = converter.m_targets.constFind(table.target);
        if (target == converter.m_targets.cend())
            reader().refuse(where, QStringLiteral("unknown target \"%1\"").arg(table.target));
        table.firstWins = reader().text(entry, QLatin1String("repeated"), where, true)
            == QLatin1String("first");
        for (const QJsonValue &keyword : entry.value(QLatin1String("keywords")).toArray()) {
            Mapping mapping = readMapping(keyword.toObject(), where, converter.m_sources);
            // An OLE DB provider ignores a keyword it does not declare: a mapping to one would
            // drop the setting without a word.
            if (target->driver.isEmpty() && !mapping.to.isEmpty()
                && !declares(*catalogue.find(target->provider), mapping.to))
                reader().refuse(
                    where,
                    QStringLiteral("%1 does not declare \"%2\"").arg(target->provider, mapping.to));
            table.mappings.append(std::move(mapping));
        }
        converter.m_tables.insert(it.key(), std::move(table));
    }
    for (const char *needed : {"adonet-sqlclient", "adonet-npgsql", "odbc-sqlserver",
                               "jdbc-sqlserver", "jdbc-postgresql"}) {
        if (!converter.m_tables.contains(QLatin1String(needed)))
            reader().refuse(QStringLiteral("tables"),
                            QStringLiteral("no table \"%1\"").arg(QLatin1String(needed)));
    }
    return converter;
}

DialectConverter DialectConverter::builtIn(const ProviderCatalogue &catalogue)
{
    static const QByteArray json = [] {
        QFile file(QStringLiteral(":/oledb/conversions.json"));
        if (!file.open(QIODevice::ReadOnly))
            throw platform::Error(
                QStringLiteral("Conversion tables: the built-in ones are missing"));
        return file.readAll();
    }();
    return fromJson(json, catalogue);
}

QString DialectConverter::unmappedPair(const QString &keyword, const QString &value) const
{
    QString pair = keyword;
    pair += u'=';
    ConnectionString::appendValue(pair, maskValue(keyword, value, *m_catalogue),
                                  EmptyValueStyle::Bare);
    return pair;
}

Conversion DialectConverter::translate(const QString &dialect, const QString &tableName,
                                       const Pairs &pairs) const
{
    const Table &table = m_tables[tableName];
    const Target &target = m_targets[table.target];
    Conversion conversion;
    conversion.from = dialect;

    // One slot per target keyword, where it is first set; a value of nothing leaves the
    // target's default, which is what the dialect's own default meant.
    struct Slot
    {
        QString keyword;
        std::optional<QString> value;
        bool yields = false;
    };
    QList<Slot> slots;
    QHash<QString, QString> parts;
    QString partsTarget;
    const auto put = [&](const QString &keyword, std::optional<QString> value, bool yields) {
        for (Slot &slot : slots) {
            if (!sameKeyword(slot.keyword, keyword))
                continue;
            if ((yields && !slot.yields) || (table.firstWins && slot.yields == yields))
                return;
            slot.value = std::move(value);
            slot.yields = yields;
            return;
        }
        slots.append({keyword, std::move(value), yields});
    };

    for (const auto &[keyword, value] : pairs) {
        const Mapping *mapping = table.find(keyword);
        if (!mapping || mapping->to.isEmpty()) {
            conversion.unmapped.append(unmappedPair(keyword, value));
            continue;
        }
        std::optional<QString> meant = value;
        if (!mapping->values.isEmpty()) {
            meant.reset();
            for (const auto &[written, meaning] : mapping->values) {
                if (value.trimmed().compare(written, Qt::CaseInsensitive) == 0) {
                    meant = meaning;
                    break;
                }
            }
            if (!meant) {
                conversion.unmapped.append(unmappedPair(keyword, value));
                continue;
            }
        }
        if (!mapping->part.isEmpty()) {
            if (!(table.firstWins && parts.contains(mapping->part)))
                parts.insert(mapping->part, *meant);
            partsTarget = mapping->to;
            put(mapping->to, QString(), false);
            continue;
        }
        put(mapping->to, meant->isEmpty() ? std::nullopt : meant, mapping->yields);
    }

    // SQL Server's own form, server\instance,port, which keeps both: given a port, neither driver
    // asks the server for the instance's.
    if (!parts.isEmpty()) {
        QString dataSource = parts.value(QStringLiteral("server"));
        if (const QString instance = parts.value(QStringLiteral("instance")); !instance.isEmpty())
            dataSource += u'\\' + instance;
        if (const QString port = parts.value(QStringLiteral("port")); !port.isEmpty())
            dataSource += u',' + port;
        for (Slot &slot : slots) {
            if (sameKeyword(slot.keyword, partsTarget))
                slot.value = dataSource;
        }
    }

    KeywordValueList written = {{QStringLiteral("Provider"), target.provider}};
    if (target.driver.isEmpty()) {
        for (const Slot &slot : std::as_const(slots)) {
            if (slot.value)
                written.append({slot.keyword, *slot.value});
        }
    } else {
        OdbcAttributes odbc;
        odbc.set(QStringLiteral("DRIVER"), target.driver);
        for (const Slot &slot : std::as_const(slots)) {
            if (slot.value)
                odbc.set(slot.keyword, *slot.value);
        }
        written.append({QStringLiteral("Extended Properties"), odbc.toString()});
    }
    conversion.string = ConnectionString(written).toString();
    return conversion;
}

Conversion DialectConverter::convertOdbc(QStringView text) const
{
    OdbcAttributes attributes = OdbcAttributes::parse(text);
    if (attributes.value(u"Provider"))
        alreadyOleDb();
    QString target = QStringLiteral("odbc");
    if (const auto driver = attributes.value(u"DRIVER")) {
        QString name = *driver;
        if (name.startsWith(u'{') && name.endsWith(u'}'))
            name = name.sliced(1, name.size() - 2);
        for (const auto &[needle, candidate] : m_odbcDrivers) {
            if (name.contains(needle, Qt::CaseInsensitive)) {
                target = candidate;
                break;
            }
        }
    }
    // SQL Server's drivers have keywords of their own, which its OLE DB driver names otherwise.
    if (target == m_tables[QStringLiteral("odbc-sqlserver")].target) {
        Pairs pairs;
        for (const OdbcAttributes::Attribute &attribute : attributes.attributes()) {
            if (!sameKeyword(attribute.key, u"DRIVER"))
                pairs.append({attribute.key, attribute.value});
        }
        return translate(QStringLiteral("odbc"), QStringLiteral("odbc-sqlserver"), pairs);
    }
    // Another engine's driver reads the same keywords whichever build of it is installed:
    // only its name changes, to the one Debian registers.
    const Target &odbc = m_targets[target];
    if (!odbc.driver.isEmpty())
        attributes.set(QStringLiteral("DRIVER"), odbc.driver);
    Conversion conversion;
    conversion.from = QStringLiteral("odbc");
    conversion.string
        = ConnectionString({{QStringLiteral("Provider"), odbc.provider},
                            {QStringLiteral("Extended Properties"), attributes.toString()}})
              .toString();
    return conversion;
}

Conversion DialectConverter::convert(QStringView text) const
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.startsWith(u"jdbc:", Qt::CaseInsensitive)) {
        constexpr QStringView sqlServer = u"jdbc:sqlserver://";
        constexpr QStringView postgresql = u"jdbc:postgresql:";
        if (trimmed.startsWith(sqlServer, Qt::CaseInsensitive))
            return translate(QStringLiteral("jdbc-sqlserver"), QStringLiteral("jdbc-sqlserver"),
                             readJdbcSqlServer(trimmed.sliced(sqlServer.size())));
        if (trimmed.startsWith(postgresql, Qt::CaseInsensitive))
            return translate(QStringLiteral("jdbc-postgresql"), QStringLiteral("jdbc-postgresql"),
                             readJdbcPostgresql(trimmed.sliced(postgresql.size())));
        throw ConversionError(QStringLiteral(
            "A JDBC URL of a driver the converter does not know: it reads jdbc:sqlserver: and "
            "jdbc:postgresql: URLs."));
    }

    // ADO.NET writes its strings in the OLE DB syntax; ODBC's braces may break that syntax, so
    // a string that does not parse can still be an ODBC one.
    std::optional<ConnectionString> parsed;
    std::optional<FormatError> syntax;
    try {
        parsed = ConnectionString::parse(text);
    } catch (const FormatError &error) {
        syntax = error;
    }
    if (parsed) {
        if (parsed->contains(u"Provider"))
            alreadyOleDb();
        for (const KeywordValue &pair : parsed->pairs()) {
            if (isOdbcKeyword(pair.keyword))
                return convertOdbc(text);
        }
    } else {
        const OdbcAttributes attributes = OdbcAttributes::parse(text);
        for (const OdbcAttributes::Attribute &attribute : attributes.attributes()) {
            if (isOdbcKeyword(attribute.key))
                return convertOdbc(text);
        }
        throw *syntax;
    }

    // Both clients know Server, Database, Password and a few more; a keyword only one of them
    // knows decides, and the SQL Server client, far the more common, takes a tie.
    const Table &sqlClient = m_tables[QStringLiteral("adonet-sqlclient")];
    const Table &npgsql = m_tables[QStringLiteral("adonet-npgsql")];
    int sqlClientOnly = 0;
    int npgsqlOnly = 0;
    bool known = false;
    Pairs pairs;
    for (const KeywordValue &pair : parsed->pairs()) {
        const bool inSqlClient = sqlClient.find(pair.keyword);
        const bool inNpgsql = npgsql.find(pair.keyword);
        known |= inSqlClient || inNpgsql;
        sqlClientOnly += inSqlClient && !inNpgsql;
        npgsqlOnly += inNpgsql && !inSqlClient;
        pairs.append({pair.keyword, pair.value});
    }
    if (!known)
        throw ConversionError(QStringLiteral(
            "Not a string the converter knows: it reads ADO.NET strings for SQL Server and "
            "PostgreSQL, ODBC strings (with DRIVER or DSN) and JDBC URLs."));
    const QString dialect = npgsqlOnly > sqlClientOnly ? QStringLiteral("adonet-npgsql")
                                                       : QStringLiteral("adonet-sqlclient");
    return translate(dialect, dialect, pairs);
}

} // namespace oledb
