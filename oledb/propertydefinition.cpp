#include "oledb/propertydefinition.h"

namespace oledb {

namespace {

bool isAllowed(const QStringList &allowed, QStringView value)
{
    for (const QString &candidate : allowed) {
        if (QStringView(candidate).compare(value, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return 16;
}

QString quoted(QStringView value)
{
    return u'"' + value.toString() + u'"';
}

} // namespace

QString Synonym::toPropertyValue(const QString &written) const
{
    for (const auto &[as, meant] : values) {
        if (as.compare(written, Qt::CaseInsensitive) == 0)
            return meant;
    }
    return written;
}

QString Synonym::toWrittenValue(const QString &meant) const
{
    for (const auto &[as, meaning] : values) {
        if (meaning.compare(meant, Qt::CaseInsensitive) == 0)
            return as;
    }
    return meant;
}

std::optional<qint64> PropertyDefinition::parseInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    int base = 10;
    if (text.size() > 1 && text.front() == u'0') {
        const bool hex = text[1] == u'x' || text[1] == u'X';
        base = hex ? 16 : 8;
        text = text.sliced(hex ? 2 : 1);
    }
    if (text.isEmpty())
        return std::nullopt;

    constexpr qint64 Limit = 0xFFFFFFFF;
    qint64 magnitude = 0;
    for (QChar c : text) {
        const int digit = digitValue(c);
        if (digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > Limit)
            return std::nullopt;
    }
    if (negative && magnitude > qint64(1) << 31)
        return std::nullopt;
    return negative ? -magnitude : magnitude;
}

std::optional<bool> PropertyDefinition::parseBoolean(QStringView text)
{
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<QString> PropertyDefinition::explainInvalid(QStringView value) const
{
    switch (type) {
    case PropertyType::Text:
        return std::nullopt;
    case PropertyType::Integer: {
        const std::optional<qint64> number = parseInteger(value);
        if (!number)
            return QStringLiteral("%1 takes a whole number (decimal, 0x hexadecimal or octal with "
                                  "a leading 0) that fits in 32 bits, not %2.")
                .arg(name, quoted(value));
        if (minimum && maximum && (*number < *minimum || *number > *maximum))
            return QStringLiteral("%1 takes a whole number from %2 to %3, not %4.")
                .arg(name, QString::number(*minimum), QString::number(*maximum), quoted(value));
        if (minimum && *number < *minimum)
            return QStringLiteral("%1 takes a whole number of at least %2, not %3.")
                .arg(name, QString::number(*minimum), quoted(value));
        if (maximum && *number > *maximum)
            return QStringLiteral("%1 takes a whole number of at most %2, not %3.")
                .arg(name, QString::number(*maximum), quoted(value));
        return std::nullopt;
    }
    case PropertyType::Boolean:
        if (parseBoolean(value))
            return std::nullopt;
        return QStringLiteral("%1 takes True or False, not %2.").arg(name, quoted(value));
    case PropertyType::Enumeration:
        if (isAllowed(allowedValues, value))
            return std::nullopt;
        return QStringLiteral("%1 takes one of %2, not %3.")
            .arg(name, allowedValues.join(QStringLiteral(", ")), quoted(value));
    case PropertyType::FlagSet:
        for (QStringView flag : value.split(u'|')) {
            if (!isAllowed(allowedValues, flag.trimmed())) {
                return QStringLiteral("%1 takes %2, or several of them joined with |; %3 is not "
                                      "one of them.")
                    .arg(name, allowedValues.join(QStringLiteral(", ")), quoted(flag.trimmed()));
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace oledb
