#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace drivers {

// An ODBC connection string as the driver manager reads it: `key=value` pairs split by `;`, a
// value in braces when it holds a `;`, with `}}` for a brace inside. Keys compare
// case-insensitively.
class OdbcAttributes
{
public:
    struct Attribute
    {
        QString key;
        QString value;
        friend bool operator==(const Attribute &, const Attribute &) = default;
    };

    // Lenient, as driver managers are: a stray piece without `=` becomes a key with no value
    // and an unclosed brace runs to the end.
    static OdbcAttributes parse(QStringView text);

    const QList<Attribute> &attributes() const { return m_attributes; }
    std::optional<QString> value(QStringView key) const;
    // Replaces the first occurrence and drops any later ones, so the driver cannot pick another.
    void set(const QString &key, const QString &value);
    QString toString() const;

private:
    QList<Attribute> m_attributes;
};

} // namespace drivers
