#include "oledb/providercatalogue.h"

#include "oledb/connectionstring.h"
#include "oledb/jsontable.h"
#include "oledb/propertynames.h"
#include "platform/error.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace oledb {

namespace {

const JsonTableReader &reader()
{
    static const JsonTableReader table(QStringLiteral("Provider catalogue"));
    return table;
}

bool flag(const QJsonObject &object, QLatin1String key, const QString &where)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return false;
    if (!value.isBool())
        reader().refuse(where, QStringLiteral("\"%1\" must be true or false").arg(key));
    return value.toBool();
}

template<typename Enum>
Enum choice(const QString &name, const QList<std::pair<QLatin1String, Enum>> &names,
            const QString &where)
{
    for (const auto &[candidate, value] : names) {
        if (name == candidate)
            return value;
    }
    reader().refuse(where, QStringLiteral("unknown kind \"%1\"").arg(name));
}

using Sources = QHash<QString, QString>;

KeywordKind keywordKind(const QString &name, const QString &where)
{
    static const QList<std::pair<QLatin1String, KeywordKind>> kinds = {
        {QLatin1String("alias"), KeywordKind::Alias},
        {QLatin1String("providerString"), KeywordKind::ProviderString},
        {QLatin1String("driver"), KeywordKind::Driver},
    };
    return name.isEmpty() ? KeywordKind::Alias : choice(name, kinds, where);
}

std::optional<qint64> bound(const QJsonObject &object, QLatin1String key, const QString &where)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return std::nullopt;
    // The same 32 bits a value may use, so that a bound never rules out what it could not hold.
    const double number = value.toDouble();
    if (!value.isDouble() || number != std::floor(number) || number < -2147483648.0
        || number > 4294967295.0)
        reader().refuse(
            where, QStringLiteral("\"%1\" must be a whole number that fits in 32 bits").arg(key));
    return qint64(number);
}

// Data is only as good as where it came from: every rule names a source the catalogue lists.
QString citation(const QJsonObject &object, QLatin1String key, const Sources &sources,
                 const QString &where, bool required)
{
    const QString id = reader().text(object, key, where, required);
    if (!id.isEmpty() && !sources.contains(id))
        reader().refuse(where, QStringLiteral("cites an unknown source \"%1\"").arg(id));
    return id;
}

PropertyDefinition readProperty(const QJsonObject &object, const QString &where,
                                const Sources &sources)
{
    static const QList<std::pair<QLatin1String, PropertyType>> types = {
        {QLatin1String("text"), PropertyType::Text},
        {QLatin1String("integer"), PropertyType::Integer},
        {QLatin1String("boolean"), PropertyType::Boolean},
        {QLatin1String("enumeration"), PropertyType::Enumeration},
        {QLatin1String("flagset"), PropertyType::FlagSet},
    };
    static const QList<std::pair<QLatin1String, PropertyPage>> pages = {
        {QLatin1String("connection"), PropertyPage::Connection},
        {QLatin1String("advanced"), PropertyPage::Advanced},
        {QLatin1String("all"), PropertyPage::All},
    };

    PropertyDefinition property;
    property.name = reader().text(object, QLatin1String("name"), where, true);
    const QString at = where + QStringLiteral(", property \"%1\"").arg(property.name);
    if (!ConnectionString::isWritableKeyword(property.name)
        || sameKeyword(property.name, u"Provider"))
        reader().refuse(at, QStringLiteral("not a name a connection string can hold"));
    property.type = choice(reader().text(object, QLatin1String("type"), at, true), types, at);
    property.page = choice(reader().text(object, QLatin1String("page"), at, true), pages, at);
    property.defaultValue = reader().text(object, QLatin1String("default"), at, false);
    property.allowedValues = reader().texts(object, QLatin1String("values"), at, false);
    property.secret = flag(object, QLatin1String("secret"), at);
    property.kind = keywordKind(reader().text(object, QLatin1String("kind"), at, false), at);
    property.minimum = bound(object, QLatin1String("minimum"), at);
    property.maximum = bound(object, QLatin1String("maximum"), at);
    if ((property.minimum || property.maximum) && property.type != PropertyType::Integer)
        reader().refuse(at, QStringLiteral("only an integer has a \"minimum\" or a \"maximum\""));
    if (property.minimum && property.maximum && *property.minimum > *property.maximum)
        reader().refuse(at, QStringLiteral("the \"minimum\" is above the \"maximum\""));
    property.defaultSource = citation(object, QLatin1String("defaultSource"), sources, at, false);
    property.source = citation(object, QLatin1String("source"), sources, at, false);
    if (!property.defaultSource.isEmpty() && property.defaultValue.isEmpty())
        reader().refuse(at, QStringLiteral("a \"defaultSource\" needs the default it documents"));
    for (const QJsonValue &item : object.value(QLatin1String("deprecatedValues")).toArray()) {
        const QJsonObject entry = item.toObject();
        property.deprecatedValues.append(
            {reader().text(entry, QLatin1String("value"), at, true),
             reader().text(entry, QLatin1String("successor"), at, true),
             citation(entry, QLatin1String("source"), sources, at, true)});
    }

    const bool listed
        = property.type == PropertyType::Enumeration || property.type == PropertyType::FlagSet;
    if (listed == property.allowedValues.isEmpty())
        reader().refuse(
            at, QStringLiteral("\"values\" belong to enumerations and flag sets, and only there"));
    if (!property.defaultValue.isEmpty()) {
        if (const auto problem = property.explainInvalid(property.defaultValue))
            reader().refuse(at, QStringLiteral("bad default: ") + *problem);
    }
    return property;
}

QList<std::pair<QString, ProviderFamily>> readFamilies(const QJsonObject &top)
{
    static const QList<std::pair<QLatin1String, ProviderFamily>> names = {
        {QLatin1String("sqlserver"), ProviderFamily::SqlServer},
        {QLatin1String("jet"), ProviderFamily::Jet},
        {QLatin1String("ace"), ProviderFamily::Ace},
        {QLatin1String("odbc"), ProviderFamily::Odbc},
        {QLatin1String("oracle"), ProviderFamily::Oracle},
    };
    const QString where = QStringLiteral("families");
    const QJsonValue value = top.value(where);
    if (value.isUndefined())
        return {};
    if (!value.isObject())
        reader().refuse(QStringLiteral("top level"),
                        QStringLiteral("\"families\" must be an object"));
    QList<std::pair<QString, ProviderFamily>> families;
    const QJsonObject table = value.toObject();
    for (auto it = table.begin(); it != table.end(); ++it) {
        const ProviderFamily family = choice(it.key(), names, where);
        for (const QString &progId :
             reader().texts(table, QLatin1String(it.key().toLatin1()), where, false))
            families.append({progId, family});
    }
    return families;
}

} // namespace

QStringView withoutVersion(QStringView progId)
{
    progId = progId.trimmed();
    qsizetype end = progId.size();
    while (true) {
        qsizetype digits = end;
        while (digits > 0 && progId[digits - 1].isDigit())
            --digits;
        if (digits == end || digits == 0 || progId[digits - 1] != u'.')
            break;
        end = digits - 1;
    }
    return progId.first(end);
}

namespace {

// Keyword tables from the providers' documentation: name -> the keywords, each with the
// property it sets, the values it spells differently and where the provider documents it.
using SynonymSets = QHash<QString, QList<std::pair<QString, Synonym>>>;

Sources readSources(const QJsonObject &top)
{
    const QString where = QStringLiteral("sources");
    Sources sources;
    const QJsonValue sourceList = top.value(QLatin1String("sources"));
    if (!sourceList.isUndefined() && !sourceList.isObject())
        reader().refuse(where, QStringLiteral("\"sources\" must be an object of texts"));
    const QJsonObject sourceObject = sourceList.toObject();
    for (auto it = sourceObject.begin(); it != sourceObject.end(); ++it) {
        if (!it->isString() || it->toString().isEmpty())
            reader().refuse(where,
                            QStringLiteral("source \"%1\" must be a non-empty text").arg(it.key()));
        sources.insert(it.key(), it->toString());
    }
    return sources;
}

SynonymSets readSynonymSets(const QJsonObject &top, const Sources &sources)
{
    const QString where = QStringLiteral("synonyms");
    SynonymSets sets;
    const QJsonValue setList = top.value(QLatin1String("synonymSets"));
    if (!setList.isUndefined() && !setList.isObject())
        reader().refuse(where, QStringLiteral("\"synonymSets\" must be an object of lists"));
    const QJsonObject setObject = setList.toObject();
    for (auto it = setObject.begin(); it != setObject.end(); ++it) {
        const QString at = QStringLiteral("synonym set \"%1\"").arg(it.key());
        if (!it->isArray())
            reader().refuse(at, QStringLiteral("must be a list"));
        QList<std::pair<QString, Synonym>> &set = sets[it.key()];
        for (const QJsonValue &item : it->toArray()) {
            const QJsonObject entry = item.toObject();
            Synonym synonym;
            synonym.keyword = reader().text(entry, QLatin1String("keyword"), at, true);
            const QString property = reader().text(entry, QLatin1String("property"), at, true);
            const QString kind = reader().text(entry, QLatin1String("kind"), at, false);
            synonym.kind = keywordKind(kind, at);
            if (!ConnectionString::isWritableKeyword(synonym.keyword)
                || sameKeyword(synonym.keyword, property::Provider))
                reader().refuse(at,
                                QStringLiteral("\"%1\" is not a keyword a string can hold")
                                    .arg(synonym.keyword));
            synonym.source = citation(entry, QLatin1String("source"), sources,
                                      at + QStringLiteral(", \"%1\"").arg(synonym.keyword), true);
            for (const QJsonValue &pair : entry.value(QLatin1String("values")).toArray()) {
                const QJsonArray parts = pair.toArray();
                if (parts.size() != 2 || !parts.at(0).isString() || !parts.at(1).isString())
                    reader().refuse(at,
                                    QStringLiteral("\"%1\": values are [written, meant] pairs")
                                        .arg(synonym.keyword));
                synonym.values.append({parts.at(0).toString(), parts.at(1).toString()});
            }
            set.append({property, std::move(synonym)});
        }
    }
    return sets;
}

// One sentence per property name, written from one source; a provider lists the sets it takes
// its descriptions from, and the first set that describes a property is the one it uses.
struct DescriptionSet
{
    QString source;
    QHash<QString, QString> byName;
};
using DescriptionSets = QHash<QString, DescriptionSet>;

DescriptionSets readDescriptionSets(const QJsonObject &top, const Sources &sources)
{
    DescriptionSets sets;
    const QJsonValue setList = top.value(QLatin1String("descriptionSets"));
    if (!setList.isUndefined() && !setList.isObject())
        reader().refuse(QStringLiteral("descriptionSets"),
                        QStringLiteral("\"descriptionSets\" must be an object of sets"));
    const QJsonObject setObject = setList.toObject();
    for (auto it = setObject.begin(); it != setObject.end(); ++it) {
        const QString at = QStringLiteral("description set \"%1\"").arg(it.key());
        const QJsonObject entry = it->toObject();
        DescriptionSet set;
        set.source = citation(entry, QLatin1String("source"), sources, at, true);
        const QJsonObject names = entry.value(QLatin1String("properties")).toObject();
        for (auto name = names.begin(); name != names.end(); ++name) {
            if (!name->isString() || name->toString().trimmed().isEmpty())
                reader().refuse(at, QStringLiteral("\"%1\" needs a sentence").arg(name.key()));
            set.byName.insert(keywordKey(name.key()), name->toString());
        }
        sets.insert(it.key(), std::move(set));
    }
    return sets;
}

void applyDescriptions(Provider &provider, const QStringList &setNames, const DescriptionSets &sets,
                       const QString &where)
{
    for (const QString &name : setNames) {
        if (!sets.contains(name))
            reader().refuse(where, QStringLiteral("unknown description set \"%1\"").arg(name));
    }
    for (PropertyDefinition &property : provider.properties) {
        for (const QString &name : setNames) {
            const DescriptionSet &set = *sets.constFind(name);
            if (const auto found = set.byName.constFind(keywordKey(property.name));
                found != set.byName.cend()) {
                property.description = *found;
                property.descriptionSource = set.source;
                break;
            }
        }
    }
}

// A later set's keyword replaces an earlier one's, so a version can mend what it reads
// differently; a keyword for a property the provider does not declare means nothing to it.
void applySynonyms(Provider &provider, const QStringList &setNames, const SynonymSets &sets,
                   const QString &where)
{
    for (const QString &name : setNames) {
        const auto set = sets.constFind(name);
        if (set == sets.cend())
            reader().refuse(where, QStringLiteral("unknown synonym set \"%1\"").arg(name));
        for (const auto &[propertyName, synonym] : *set) {
            // A plain name: clang 14 cannot capture a structured binding.
            const QString &keyword = synonym.keyword;
            for (PropertyDefinition &property : provider.properties) {
                property.synonyms.removeIf(
                    [&](const Synonym &known) { return sameKeyword(known.keyword, keyword); });
                if (sameKeyword(property.name, propertyName))
                    property.synonyms.append(synonym);
            }
        }
    }
}

Provider readProvider(const QJsonObject &object, qsizetype index, const SynonymSets &synonyms,
                      const DescriptionSets &descriptions, const Sources &sources)
{
    static const QList<std::pair<QLatin1String, Provider::Precedence>> rules = {
        {QLatin1String("lastPair"), Provider::Precedence::LastPair},
        {QLatin1String("getDataSource"), Provider::Precedence::GetDataSource},
    };
    const QString where = QStringLiteral("provider %1").arg(index + 1);
    Provider provider;
    provider.generic = flag(object, QLatin1String("generic"), where);
    provider.progId = reader().text(object, QLatin1String("progId"), where, !provider.generic);
    provider.aliases = reader().texts(object, QLatin1String("aliases"), where, false);
    provider.description = reader().text(object, QLatin1String("description"), where, true);
    provider.source = citation(object, QLatin1String("source"), sources, where, false);
    if (const QJsonValue precedence = object.value(QLatin1String("precedence"));
        !precedence.isUndefined()) {
        const QJsonObject rule = precedence.toObject();
        provider.precedence
            = choice(reader().text(rule, QLatin1String("rule"), where, true), rules, where);
        provider.precedenceSource = citation(rule, QLatin1String("source"), sources, where, true);
    }
    if (const QJsonValue deprecated = object.value(QLatin1String("deprecated"));
        !deprecated.isUndefined()) {
        const QJsonObject entry = deprecated.toObject();
        provider.deprecation = Provider::Deprecation {
            reader().text(entry, QLatin1String("successor"), where, true),
            citation(entry, QLatin1String("source"), sources, where, true)};
    }

    const QJsonValue properties = object.value(QLatin1String("properties"));
    if (!properties.isArray())
        reader().refuse(where, QStringLiteral("\"properties\" must be a list"));
    for (const QJsonValue &item : properties.toArray()) {
        if (!item.isObject())
            reader().refuse(where, QStringLiteral("every property must be an object"));
        provider.properties.append(readProperty(item.toObject(), where, sources));
    }
    if (const QJsonValue wraps = object.value(QLatin1String("wraps")); !wraps.isUndefined()) {
        const QJsonObject entry = wraps.toObject();
        Provider::Wrapping wrapping {
            reader().text(entry, QLatin1String("property"), where, true),
            reader().texts(entry, QLatin1String("ownProperties"), where, false),
            citation(entry, QLatin1String("source"), sources, where, true)};
        const QStringList own = QStringList(wrapping.ownProperties) << wrapping.property;
        for (const QString &name : own) {
            const bool declared = std::any_of(
                provider.properties.cbegin(), provider.properties.cend(),
                [&name](const PropertyDefinition &known) { return sameKeyword(known.name, name); });
            if (!declared)
                reader().refuse(
                    where, QStringLiteral("wraps by \"%1\", which it does not declare").arg(name));
        }
        provider.wrapping = std::move(wrapping);
    }
    applySynonyms(provider, reader().texts(object, QLatin1String("synonyms"), where, false),
                  synonyms, where);
    applyDescriptions(provider, reader().texts(object, QLatin1String("descriptions"), where, false),
                      descriptions, where);
    return provider;
}

bool ownsProperty(const Provider &service, QStringView name)
{
    return sameKeyword(name, service.wrapping->property)
        || service.wrapping->ownProperties.contains(name, Qt::CaseInsensitive);
}

// False when a keyword of the service's own is one of the wrapped provider's too.
bool compose(const Provider &service, const Provider &inner, Provider &composed)
{
    composed = inner;
    composed.progId = service.progId;
    composed.aliases = service.aliases;
    composed.description = service.description;
    composed.deprecation = service.deprecation;
    composed.wrapping = service.wrapping;
    composed.wrapped = inner.progId;
    composed.wrappedDescription = inner.description;
    composed.wrappedDeprecation = inner.deprecation;
    for (const PropertyDefinition &own : service.properties) {
        if (!ownsProperty(service, own.name))
            continue;
        composed.properties.append(own);
        // The page is the wrapped provider's, and asks what that one reads.
        composed.properties.last().page = PropertyPage::All;
    }
    return composed.index();
}

} // namespace

ProviderCatalogue ProviderCatalogue::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull())
        reader().refuse(QStringLiteral("offset %1").arg(error.offset), error.errorString());
    const QJsonValue providers = document.object().value(QLatin1String("providers"));
    if (!providers.isArray())
        reader().refuse(QStringLiteral("top level"),
                        QStringLiteral("\"providers\" must be a list"));

    ProviderCatalogue catalogue;
    catalogue.m_families = readFamilies(document.object());
    catalogue.m_sources = readSources(document.object());
    const SynonymSets synonyms = readSynonymSets(document.object(), catalogue.m_sources);
    const DescriptionSets descriptions
        = readDescriptionSets(document.object(), catalogue.m_sources);
    const QJsonArray list = providers.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!list.at(i).isObject())
            reader().refuse(QStringLiteral("provider %1").arg(i + 1),
                            QStringLiteral("not an object"));
        Provider provider
            = readProvider(list.at(i).toObject(), i, synonyms, descriptions, catalogue.m_sources);
        if (QString clash; !provider.index(&clash))
            reader().refuse(QStringLiteral("provider %1").arg(i + 1),
                            QStringLiteral("\"%1\" names two properties").arg(clash));
        if (!provider.generic)
            provider.family = catalogue.familyOf(provider.progId);
        QStringList names = provider.aliases;
        if (!provider.generic)
            names.prepend(provider.progId);
        for (const QString &name : names) {
            if (catalogue.find(name))
                reader().refuse(QStringLiteral("provider %1").arg(i + 1),
                                QStringLiteral("\"%1\" names another provider already").arg(name));
        }
        if (provider.generic) {
            if (catalogue.m_genericIndex >= 0)
                reader().refuse(QStringLiteral("provider %1").arg(i + 1),
                                QStringLiteral("a second generic entry"));
            catalogue.m_genericIndex = i;
        }
        for (const PropertyDefinition &property : std::as_const(provider.properties)) {
            if (property.secret
                && !catalogue.m_secretNames.contains(property.name, Qt::CaseInsensitive))
                catalogue.m_secretNames.append(property.name);
        }
        catalogue.m_providers.append(std::move(provider));
    }
    if (catalogue.m_genericIndex < 0)
        reader().refuse(QStringLiteral("top level"), QStringLiteral("no generic entry"));
    // Folded name -> whether every property under it takes something other than text.
    QHash<QString, bool> nonText;
    for (const Provider &provider : std::as_const(catalogue.m_providers)) {
        for (const PropertyDefinition &property : provider.properties) {
            const bool notText = property.type != PropertyType::Text;
            const auto note = [&](const QString &name) {
                const QString key = name.toCaseFolded();
                const auto seen = nonText.find(key);
                if (seen != nonText.end()) {
                    *seen = *seen && notText;
                    return;
                }
                nonText.insert(key, notText);
                if (notText)
                    catalogue.m_nonTextNames.append(name);
            };
            note(property.name);
            for (const Synonym &synonym : property.synonyms)
                note(synonym.keyword);
        }
    }
    catalogue.m_nonTextNames.removeIf(
        [&](const QString &name) { return !nonText.value(name.toCaseFolded()); });
    const qsizetype count = catalogue.m_providers.size();
    for (qsizetype s = 0; s < count; ++s) {
        const Provider &service = catalogue.m_providers.at(s);
        if (!service.wrapping)
            continue;
        for (qsizetype i = 0; i < count; ++i) {
            const Provider &inner = catalogue.m_providers.at(i);
            if (inner.generic || inner.wrapping)
                continue;
            Provider composed;
            if (!compose(service, inner, composed))
                reader().refuse(
                    QStringLiteral("provider %1").arg(s + 1),
                    QStringLiteral("a keyword of its own is one of %1's").arg(inner.progId));
            catalogue.m_compositions.insert(s * count + i, std::move(composed));
        }
    }
    return catalogue;
}

const ProviderCatalogue &ProviderCatalogue::builtIn()
{
    static const ProviderCatalogue catalogue = [] {
        QFile file(QStringLiteral(":/oledb/providers.json"));
        if (!file.open(QIODevice::ReadOnly))
            throw platform::Error(
                QStringLiteral("Provider catalogue: the built-in list is missing"));
        return fromJson(file.readAll());
    }();
    return catalogue;
}

const Provider *ProviderCatalogue::find(QStringView progId) const
{
    for (const Provider &provider : m_providers) {
        if (provider.answersTo(progId))
            return &provider;
    }
    return nullptr;
}

ProviderFamily ProviderCatalogue::familyOf(QStringView progId) const
{
    const QStringView base = withoutVersion(progId);
    for (const auto &[name, family] : m_families) {
        if (!base.startsWith(name, Qt::CaseInsensitive))
            continue;
        const QStringView release = base.sliced(name.size());
        if (std::all_of(release.begin(), release.end(), [](QChar c) { return c.isDigit(); }))
            return family;
    }
    return ProviderFamily::Other;
}

const Provider *ProviderCatalogue::wrappable(QStringView name) const
{
    const Provider *inner = find(name.trimmed());
    return inner && !inner->wrapping ? inner : nullptr;
}

Provider ProviderCatalogue::resolve(QStringView progId, QStringView wrapped) const
{
    const Provider *known = find(progId);
    if (!known) {
        Provider stranger = generic();
        stranger.progId = progId.toString();
        return stranger;
    }
    if (const Provider *inner = known->wrapping ? wrappable(wrapped) : nullptr) {
        const qsizetype count = m_providers.size();
        return m_compositions.value((known - m_providers.constData()) * count
                                    + (inner - m_providers.constData()));
    }
    return *known;
}

ConnectionString ProviderCatalogue::handedOn(const ConnectionString &connection) const
{
    const Provider *service = find(connection.value(property::Provider).value_or(QString()));
    if (!service || !service->wrapping)
        return connection;
    const QString named = connection.value(service->wrapping->property).value_or(QString());
    if (!wrappable(named))
        return connection;
    KeywordValueList pairs;
    for (const KeywordValue &pair : connection.pairs()) {
        const PropertyDefinition *own = service->property(pair.keyword);
        if (sameKeyword(pair.keyword, property::Provider))
            pairs.append({pair.keyword, named.trimmed()});
        else if (!own || !ownsProperty(*service, own->name))
            pairs.append(pair);
    }
    return ConnectionString(std::move(pairs));
}

} // namespace oledb
