#include "oledb/odbcdrivercatalogue.h"

#include "platform/error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace oledb {

namespace {

[[noreturn]] void refuse(const QString &where, const QString &what)
{
    throw platform::Error(QStringLiteral("ODBC driver keywords: %1: %2").arg(where, what));
}

QString text(const QJsonObject &object, QLatin1String key, const QString &where)
{
    const QJsonValue value = object.value(key);
    if (!value.isString() || value.toString().isEmpty())
        refuse(where, QStringLiteral("\"%1\" must be a non-empty text").arg(key));
    return value.toString();
}

QStringList texts(const QJsonObject &object, QLatin1String key, const QString &where, bool required)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() && !required)
        return {};
    if (!value.isArray() || (required && value.toArray().isEmpty()))
        refuse(where, QStringLiteral("\"%1\" must be a list of texts").arg(key));
    QStringList list;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString() || item.toString().isEmpty())
            refuse(where, QStringLiteral("\"%1\" must be a list of texts").arg(key));
        list.append(item.toString());
    }
    return list;
}

QString knownSource(const QJsonObject &object, const QString &where,
                    const QHash<QString, QString> &sources)
{
    const QString id = text(object, QLatin1String("source"), where);
    if (!sources.contains(id))
        refuse(where, QStringLiteral("cites an unknown source \"%1\"").arg(id));
    return id;
}

// An ODBC keyword the driver manager reads as one: `=`, `;` and braces would split it.
bool isPlainKeyword(const QString &keyword)
{
    static const QString special = QStringLiteral("=;{}");
    return keyword.trimmed() == keyword
        && std::none_of(keyword.cbegin(), keyword.cend(),
                        [](QChar c) { return special.contains(c); });
}

} // namespace

OdbcDriverCatalogue OdbcDriverCatalogue::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        refuse(QStringLiteral("the table"), QStringLiteral("not a JSON object"));
    const QJsonObject root = document.object();

    OdbcDriverCatalogue catalogue;
    const QJsonObject sources = root.value(QLatin1String("sources")).toObject();
    for (auto it = sources.begin(); it != sources.end(); ++it) {
        if (!it.value().isString() || it.value().toString().isEmpty())
            refuse(it.key(), QStringLiteral("a source is a non-empty text"));
        catalogue.m_sources.insert(it.key(), it.value().toString());
    }
    for (const QJsonValue &entry : root.value(QLatin1String("families")).toArray()) {
        const QJsonObject object = entry.toObject();
        Family family;
        family.id = text(object, QLatin1String("id"), QStringLiteral("a family"));
        knownSource(object, family.id, catalogue.m_sources);
        family.libraries = texts(object, QLatin1String("libraries"), family.id, true);
        family.nameContains = texts(object, QLatin1String("contains"), family.id, true);
        for (const QJsonValue &item : object.value(QLatin1String("fields")).toArray()) {
            const QJsonObject fieldObject = item.toObject();
            Field field;
            field.label = text(fieldObject, QLatin1String("label"), family.id);
            const QString where = family.id + QStringLiteral(", ") + field.label;
            field.keywords = texts(fieldObject, QLatin1String("keywords"), where, true);
            for (const QString &keyword : std::as_const(field.keywords)) {
                if (!isPlainKeyword(keyword))
                    refuse(where, QStringLiteral("\"%1\" is no ODBC keyword").arg(keyword));
            }
            field.values = texts(fieldObject, QLatin1String("values"), where, false);
            field.placeholder = fieldObject.value(QLatin1String("placeholder")).toString();
            field.source = knownSource(fieldObject, where, catalogue.m_sources);
            family.fields.append(field);
        }
        if (family.fields.isEmpty())
            refuse(family.id, QStringLiteral("a family needs fields"));
        catalogue.m_families.append(family);
    }
    return catalogue;
}

const OdbcDriverCatalogue &OdbcDriverCatalogue::builtIn()
{
    static const OdbcDriverCatalogue catalogue = [] {
        QFile file(QStringLiteral(":/oledb/odbcdrivers.json"));
        if (!file.open(QIODevice::ReadOnly))
            refuse(QStringLiteral("the table"), QStringLiteral("the built-in one is missing"));
        return fromJson(file.readAll());
    }();
    return catalogue;
}

const OdbcDriverCatalogue::Family *OdbcDriverCatalogue::family(QStringView driverName,
                                                               QStringView library) const
{
    const QStringView file = library.sliced(library.lastIndexOf(u'/') + 1);
    for (const Family &candidate : m_families) {
        if (file.isEmpty()) {
            for (const QString &word : candidate.nameContains) {
                if (driverName.contains(word, Qt::CaseInsensitive))
                    return &candidate;
            }
            continue;
        }
        for (const QString &known : candidate.libraries) {
            // A versioned soname is the same library.
            if (file == known || file.startsWith(QString(known + u'.')))
                return &candidate;
        }
    }
    return nullptr;
}

} // namespace oledb
