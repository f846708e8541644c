#include "oledb/odbcattributes.h"

#include "oledb/quoting.h"

#include <algorithm>

namespace oledb {

namespace {

bool needsBraces(const QString &value)
{
    if (value.isEmpty())
        return false;
    return value.contains(u';') || value.contains(u'{') || value.contains(u'}')
        || value.front().isSpace() || value.back().isSpace();
}

qsizetype skipSpace(QStringView text, qsizetype pos)
{
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    return pos;
}

qsizetype trimmedEnd(QStringView text, qsizetype start, qsizetype end)
{
    while (end > start && text[end - 1].isSpace())
        --end;
    return end;
}

} // namespace

OdbcAttributes OdbcAttributes::parse(QStringView text, QList<ValueSpan> *spans)
{
    OdbcAttributes result;
    visit(text, [&](QStringView key, QString value, const ValueSpan &span) {
        result.m_attributes.append({key.toString(), std::move(value)});
        if (spans)
            spans->append(span);
    });
    return result;
}

void OdbcAttributes::visit(
    QStringView text,
    const std::function<void(QStringView key, QString value, const ValueSpan &)> &visitor)
{
    const auto add = [&](QStringView key, QString value, ValueSpan span) {
        if (!key.isEmpty())
            visitor(key, std::move(value), span);
    };
    // The next `=` and `;` are looked for again only once passed: searched afresh for every
    // piece, a run of pieces without `=` would cost the rest of the text each.
    const auto next = [&](QChar c, qsizetype &found, qsizetype from) {
        if (found != -1 && found < from)
            found = text.indexOf(c, from);
        return found < 0 ? -1 : found;
    };
    qsizetype nextAssign = -2;
    qsizetype nextSeparator = -2;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype assign = next(u'=', nextAssign, pos);
        qsizetype separator = next(u';', nextSeparator, pos);
        const qsizetype pieceStart = pos;
        if (assign < 0 || (separator >= 0 && separator < assign)) {
            const qsizetype end = separator < 0 ? text.size() : separator;
            add(text.sliced(pos, end - pos).trimmed(), QString(),
                {end, end, false, false, pieceStart, end});
            pos = end + 1;
            continue;
        }
        const QStringView key = text.sliced(pos, assign - pos).trimmed();
        pos = skipSpace(text, assign + 1);
        ValueSpan span {pos, pos};
        span.pieceStart = pieceStart;
        QString value;
        if (pos < text.size() && text[pos] == u'{') {
            span.braced = true;
            pos = findClosing(text, pos + 1, u'}', &value);
            span.closed = pos < text.size();
            if (span.closed)
                ++pos;
            separator = next(u';', nextSeparator, pos);
        } else if (separator >= 0) {
            value = text.sliced(pos, separator - pos).trimmed().toString();
        } else {
            value = text.sliced(pos).trimmed().toString();
        }
        const qsizetype end = separator < 0 ? text.size() : separator;
        span.end = span.braced ? pos : trimmedEnd(text, span.start, end);
        span.pieceEnd = end;
        add(key, std::move(value), span);
        pos = end + 1;
    }
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

QString OdbcAttributes::read(const QString &value)
{
    if (!value.trimmed().startsWith(u'{'))
        return value;
    const QString attribute = QStringLiteral("k=") + value;
    const OdbcAttributes attributes = parse(attribute);
    return attributes.attributes().isEmpty() ? value : attributes.attributes().first().value;
}

QString OdbcAttributes::written(const QString &value, bool braced)
{
    if (!braced && !needsBraces(value))
        return value;
    QString escaped = value;
    return u'{' + escaped.replace(QStringLiteral("}"), QStringLiteral("}}")) + u'}';
}

QString OdbcAttributes::toString() const
{
    QString text;
    for (const auto &attribute : m_attributes) {
        text += attribute.key;
        text += u'=';
        text += written(attribute.value);
        text += u';';
    }
    return text;
}

QString OdbcAttributes::edited(QStringView text, const QStringList &keys,
                               const std::optional<QString> &value, bool braced)
{
    std::optional<ValueSpan> found;
    visit(text, [&](QStringView key, const QString &, const ValueSpan &span) {
        if (found)
            return;
        for (const QString &wanted : keys) {
            if (key.compare(wanted, Qt::CaseInsensitive) == 0)
                found = span;
        }
    });
    QString result = text.toString();
    if (found && value) {
        // What a closing brace leaves before the separator is read as nothing, and must not be
        // read as part of the new value.
        const qsizetype end = trimmedEnd(text, found->start, found->pieceEnd);
        return result.replace(found->start, end - found->start, written(*value, braced));
    }
    if (found) {
        // The separator after the pair goes with it; the last pair takes the one before it.
        if (found->pieceEnd < text.size())
            return result.remove(found->pieceStart, found->pieceEnd + 1 - found->pieceStart);
        const qsizetype from = std::max<qsizetype>(found->pieceStart - 1, 0);
        return result.remove(from, text.size() - from);
    }
    if (!value || keys.isEmpty())
        return result;
    const QString pair = keys.first() + u'=' + written(*value, braced);
    const QStringView kept = text.trimmed();
    if (kept.isEmpty())
        return pair;
    if (kept.endsWith(u';'))
        return result + pair + u';';
    return result + u';' + pair;
}

} // namespace oledb
