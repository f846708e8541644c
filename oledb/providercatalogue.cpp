#include "oledb/providercatalogue.h"

#include "oledb/connectionstring.h"
#include "platform/error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace oledb {

namespace {

[[noreturn]] void refuse(const QString &where, const QString &what)
{
    throw platform::Error(QStringLiteral("Provider catalogue: %1: %2").arg(where, what));
}

QString text(const QJsonObject &object, QLatin1String key, const QString &where, bool required)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() && !required)
        return {};
    if (!value.isString() || (required && value.toString().isEmpty()))
        refuse(where, QStringLiteral("\"%1\" must be a non-empty text").arg(key));
    return value.toString();
}

QStringList texts(const QJsonObject &object, QLatin1String key, const QString &where)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return {};
    if (!value.isArray())
        refuse(where, QStringLiteral("\"%1\" must be a list of texts").arg(key));
    QStringList list;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString() || item.toString().isEmpty())
            refuse(where, QStringLiteral("\"%1\" must be a list of texts").arg(key));
        list.append(item.toString());
    }
    return list;
}

bool flag(const QJsonObject &object, QLatin1String key, const QString &where)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return false;
    if (!value.isBool())
        refuse(where, QStringLiteral("\"%1\" must be true or false").arg(key));
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
    refuse(where, QStringLiteral("unknown kind \"%1\"").arg(name));
}

PropertyDefinition readProperty(const QJsonObject &object, const QString &where)
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
    property.name = text(object, QLatin1String("name"), where, true);
    const QString at = where + QStringLiteral(", property \"%1\"").arg(property.name);
    if (!ConnectionString::isWritableKeyword(property.name)
        || sameKeyword(property.name, u"Provider"))
        refuse(at, QStringLiteral("not a name a connection string can hold"));
    property.type = choice(text(object, QLatin1String("type"), at, true), types, at);
    property.page = choice(text(object, QLatin1String("page"), at, true), pages, at);
    property.defaultValue = text(object, QLatin1String("default"), at, false);
    property.allowedValues = texts(object, QLatin1String("values"), at);
    property.secret = flag(object, QLatin1String("secret"), at);

    const bool listed
        = property.type == PropertyType::Enumeration || property.type == PropertyType::FlagSet;
    if (listed == property.allowedValues.isEmpty())
        refuse(at,
               QStringLiteral("\"values\" belong to enumerations and flag sets, and only there"));
    if (!property.defaultValue.isEmpty()) {
        if (const auto problem = property.explainInvalid(property.defaultValue))
            refuse(at, QStringLiteral("bad default: ") + *problem);
    }
    return property;
}

Provider readProvider(const QJsonObject &object, qsizetype index)
{
    const QString where = QStringLiteral("provider %1").arg(index + 1);
    Provider provider;
    provider.generic = flag(object, QLatin1String("generic"), where);
    provider.progId = text(object, QLatin1String("progId"), where, !provider.generic);
    provider.aliases = texts(object, QLatin1String("aliases"), where);
    provider.description = text(object, QLatin1String("description"), where, true);

    const QJsonValue properties = object.value(QLatin1String("properties"));
    if (!properties.isArray())
        refuse(where, QStringLiteral("\"properties\" must be a list"));
    for (const QJsonValue &item : properties.toArray()) {
        if (!item.isObject())
            refuse(where, QStringLiteral("every property must be an object"));
        provider.properties.append(readProperty(item.toObject(), where));
    }
    return provider;
}

} // namespace

ProviderCatalogue ProviderCatalogue::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull())
        refuse(QStringLiteral("offset %1").arg(error.offset), error.errorString());
    const QJsonValue providers = document.object().value(QLatin1String("providers"));
    if (!providers.isArray())
        refuse(QStringLiteral("top level"), QStringLiteral("\"providers\" must be a list"));

    ProviderCatalogue catalogue;
    const QJsonArray list = providers.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!list.at(i).isObject())
            refuse(QStringLiteral("provider %1").arg(i + 1), QStringLiteral("not an object"));
        Provider provider = readProvider(list.at(i).toObject(), i);
        if (QString clash; !provider.index(&clash))
            refuse(QStringLiteral("provider %1").arg(i + 1),
                   QStringLiteral("\"%1\" names two properties").arg(clash));
        QStringList names = provider.aliases;
        if (!provider.generic)
            names.prepend(provider.progId);
        for (const QString &name : names) {
            if (catalogue.find(name))
                refuse(QStringLiteral("provider %1").arg(i + 1),
                       QStringLiteral("\"%1\" names another provider already").arg(name));
        }
        if (provider.generic) {
            if (catalogue.m_genericIndex >= 0)
                refuse(QStringLiteral("provider %1").arg(i + 1),
                       QStringLiteral("a second generic entry"));
            catalogue.m_genericIndex = i;
        }
        catalogue.m_providers.append(std::move(provider));
    }
    if (catalogue.m_genericIndex < 0)
        refuse(QStringLiteral("top level"), QStringLiteral("no generic entry"));
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

Provider ProviderCatalogue::resolve(QStringView progId) const
{
    if (const Provider *known = find(progId))
        return *known;
    Provider stranger = generic();
    stranger.progId = progId.toString();
    return stranger;
}

} // namespace oledb
