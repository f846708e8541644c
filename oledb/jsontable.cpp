#include "oledb/jsontable.h"

#include "platform/error.h"

#include <QJsonArray>
#include <QJsonValue>

namespace oledb {

void JsonTableReader::refuse(const QString &where, const QString &what) const
{
    throw platform::Error(QStringLiteral("%1: %2: %3").arg(m_table, where, what));
}

QString JsonTableReader::text(const QJsonObject &object, QLatin1String key, const QString &where,
                              bool required) const
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() && !required)
        return {};
    if (!value.isString() || (required && value.toString().isEmpty()))
        refuse(where, QStringLiteral("\"%1\" must be a non-empty text").arg(key));
    return value.toString();
}

QStringList JsonTableReader::texts(const QJsonObject &object, QLatin1String key,
                                   const QString &where, bool required) const
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

} // namespace oledb
