#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <utility>

#include <optional>

namespace oledb {

enum class PropertyType { Text, Integer, Boolean, Enumeration, FlagSet };

// Where the Data Link dialog shows a property besides the page that lists them all.
enum class PropertyPage { Connection, Advanced, All };

// Which of a provider's keyword sets a synonym belongs to. Where a provider reads the sets
// differently (the SQL Server family through the Data Link path), it decides which pair counts.
enum class KeywordKind {
    // Means what the property's own name means: one more spelling of it.
    Alias,
    // Goes into the provider string, beneath every property the string or a default sets.
    ProviderString,
    // Handed on to the ODBC driver in its connection string.
    Driver,
};

// Another keyword that sets the same property, as the provider's documentation gives it, with
// the values it takes where they are spelt differently from the property's own.
struct Synonym
{
    QString keyword;
    KeywordKind kind = KeywordKind::Alias;
    // As written under the synonym, and what the property itself would say: `yes` -> `SSPI`.
    // Compared case-insensitively; the first pair for a meaning is how it is written back.
    QList<std::pair<QString, QString>> values;
    // Where the provider documents it: the catalogue's source id.
    QString source;

    // Values without a pair pass through unchanged.
    QString toPropertyValue(const QString &written) const;
    QString toWrittenValue(const QString &meant) const;
};

// One initialization property as a provider declares it.
struct PropertyDefinition
{
    QString name;
    PropertyType type = PropertyType::Text;
    // What the dialog offers when nothing sets the property; empty for none.
    QString defaultValue;
    // The catalogue's source id where the provider documents defaultValue as its own default;
    // empty when it documents none, which is what lets a provider-string keyword set it.
    QString defaultSource;
    // The catalogue's source id where the provider documents the property and what its values
    // mean; empty where the catalogue cites none.
    QString source;
    // A value the provider still takes but has deprecated, with what to use instead.
    struct DeprecatedValue
    {
        QString value;
        QString successor;
        QString source;
    };
    QList<DeprecatedValue> deprecatedValues;
    // The short names an enumeration or a flag set takes.
    QStringList allowedValues;
    // Secret values are written out only where the user allows saving them.
    bool secret = false;
    PropertyPage page = PropertyPage::All;
    QList<Synonym> synonyms;

    // Why the value is not one this property takes, in words for the user; nothing when it is.
    std::optional<QString> explainInvalid(QStringView value) const;

    // Decimal, 0x hexadecimal or, with a leading 0, octal; an optional sign; anything that fits
    // the provider's 32 bits (negative numbers down to -2^31, bit patterns up to 0xFFFFFFFF).
    static std::optional<qint64> parseInteger(QStringView text);
    // True or False in any case.
    static std::optional<bool> parseBoolean(QStringView text);
};

} // namespace oledb
