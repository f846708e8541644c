#pragma once

#include <QJsonObject>
#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace oledb {

// Reads the fields of one of the program's own JSON tables (the provider catalogue, the
// conversions, the ODBC drivers' keywords), refusing a malformed one with platform::Error
// naming the table and the place in it.
class JsonTableReader
{
public:
    explicit JsonTableReader(QString table)
        : m_table(std::move(table))
    { }

    [[noreturn]] void refuse(const QString &where, const QString &what) const;
    // An absent text is empty unless it is required; a present one is a text, not empty where
    // it is required.
    QString text(const QJsonObject &object, QLatin1String key, const QString &where,
                 bool required) const;
    // A list of texts, none of them empty; an absent list is empty unless it is required, and a
    // required one holds one text at least.
    QStringList texts(const QJsonObject &object, QLatin1String key, const QString &where,
                      bool required) const;

private:
    QString m_table;
};

} // namespace oledb
