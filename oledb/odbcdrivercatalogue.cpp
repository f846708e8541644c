#include "oledb/odbcdrivercatalogue.h"

#include "oledb/jsontable.h"
#include "platform/error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace oledb {

namespace {

const JsonTableReader &reader()
{
    static const JsonTableReader table(QStringLiteral("ODBC driver keywords"));
    return table;
}

QString knownSource(const QJsonObject &object, const QString &where,
                    const QHash<QString, QString> &sources)
{
    const QString id = reader().text(object, QLatin1String("source"), where, true);
    if (!sources.contains(id))
        reader().refuse(where, QStringLiteral("cites an unknown source \"%1\"").arg(id));
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
        reader().refuse(QStringLiteral("the table"), QStringLiteral("not a JSON object"));
    const QJsonObject root = document.object();

    OdbcDriverCatalogue catalogue;
    const QJsonObject sources = root.value(QLatin1String("sources")).toObject();
    for (auto it = sources.begin(); it != sources.end(); ++it) {
        if (!it.value().isString() || it.value().toString().isEmpty())
            reader().refuse(it.key(), QStringLiteral("a source is a non-empty text"));
        catalogue.m_sources.insert(it.key(), it.value().toString());
    }
    for (const QJsonValue &entry : root.value(QLatin1String("families")).toArray()) {
        const QJsonObject object = entry.toObject();
        Family family;
        family.id = reader().text(object, QLatin1String("id"), QStringLiteral("a family"), true);
        knownSource(object, family.id, catalogue.m_sources);
        family.libraries = reader().texts(object, QLatin1String("libraries"), family.id, true);
        family.nameContains = reader().texts(object, QLatin1String("contains"), family.id, true);
        for (const QJsonValue &item : object.value(QLatin1String("fields")).toArray()) {
            const QJsonObject fieldObject = item.toObject();
            Field field;
            field.label = reader().text(fieldObject, QLatin1String("label"), family.id, true);
            const QString where = family.id + QStringLiteral(", ") + field.label;
            field.keywords = reader().texts(fieldObject, QLatin1String("keywords"), where, true);
            for (const QString &keyword : std::as_const(field.keywords)) {
                if (!isPlainKeyword(keyword))
                    reader().refuse(where,
                                    QStringLiteral("\"%1\" is no ODBC keyword").arg(keyword));
            }
            field.values = reader().texts(fieldObject, QLatin1String("values"), where, false);
            field.placeholder = fieldObject.value(QLatin1String("placeholder")).toString();
            field.source = knownSource(fieldObject, where, catalogue.m_sources);
            family.fields.append(field);
        }
        if (family.fields.isEmpty())
            reader().refuse(family.id, QStringLiteral("a family needs fields"));
        catalogue.m_families.append(family);
    }
    return catalogue;
}

const OdbcDriverCatalogue &OdbcDriverCatalogue::builtIn()
{
    static const OdbcDriverCatalogue catalogue = [] {
        QFile file(QStringLiteral(":/oledb/odbcdrivers.json"));
        if (!file.open(QIODevice::ReadOnly))
            reader().refuse(QStringLiteral("the table"),
                            QStringLiteral("the built-in one is missing"));
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
