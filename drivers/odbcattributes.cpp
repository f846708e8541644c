#include "drivers/odbcattributes.h"

namespace drivers {

namespace {

bool needsBraces(const QString &value)
{
    if (value.isEmpty())
        return false;
    return value.contains(u';') || value.contains(u'{') || value.contains(u'}')
        || value.front().isSpace() || value.back().isSpace();
}

} // namespace

OdbcAttributes OdbcAttributes::parse(QStringView text)
{
    OdbcAttributes result;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype assign = text.indexOf(u'=', pos);
        const qsizetype separator = text.indexOf(u';', pos);
        if (assign < 0 || (separator >= 0 && separator < assign)) {
            const qsizetype end = separator < 0 ? text.size() : separator;
            const QString key = text.sliced(pos, end - pos).trimmed().toString();
            if (!key.isEmpty())
                result.m_attributes.append({key, QString()});
            pos = end + 1;
            continue;
        }
        const QString key = text.sliced(pos, assign - pos).trimmed().toString();
        pos = assign + 1;
        while (pos < text.size() && text[pos] == u' ')
            ++pos;
        QString value;
        if (pos < text.size() && text[pos] == u'{') {
            ++pos;
            while (pos < text.size()) {
                if (text[pos] == u'}') {
                    if (pos + 1 < text.size() && text[pos + 1] == u'}') {
                        value.append(u'}');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value.append(text[pos++]);
            }
            const qsizetype end = text.indexOf(u';', pos);
            pos = end < 0 ? text.size() : end + 1;
        } else {
            const qsizetype end = text.indexOf(u';', pos);
            value = text.sliced(pos, (end < 0 ? text.size() : end) - pos).trimmed().toString();
            pos = end < 0 ? text.size() : end + 1;
        }
        if (!key.isEmpty())
            result.m_attributes.append({key, value});
    }
    return result;
}

std::optional<QString> OdbcAttributes::value(QStringView key) const
{
    for (const auto &attribute : m_attributes) {
        if (key.compare(attribute.key, Qt::CaseInsensitive) == 0)
            return attribute.value;
    }
    return std::nullopt;
}

void OdbcAttributes::set(const QString &key, const QString &value)
{
    bool placed = false;
    for (auto it = m_attributes.begin(); it != m_attributes.end();) {
        if (key.compare(it->key, Qt::CaseInsensitive) != 0) {
            ++it;
        } else if (!placed) {
            it->value = value;
            placed = true;
            ++it;
        } else {
            it = m_attributes.erase(it);
        }
    }
    if (!placed)
        m_attributes.append({key, value});
}

QString OdbcAttributes::toString() const
{
    QString text;
    for (const auto &attribute : m_attributes) {
        text += attribute.key;
        text += u'=';
        if (needsBraces(attribute.value)) {
            QString escaped = attribute.value;
            text += u'{' + escaped.replace(QStringLiteral("}"), QStringLiteral("}}")) + u'}';
        } else {
            text += attribute.value;
        }
        text += u';';
    }
    return text;
}

} // namespace drivers
