#include "oledb/connectionstringdocument.h"

#include "oledb/quoting.h"
#include "platform/error.h"

namespace oledb {

namespace {

constexpr QChar Separator = u';';

// The dialog writes an empty value as `""`: a bare `Key=` reads as a slip of the keyboard.
QString encodeNew(QStringView value)
{
    QString text;
    ConnectionString::appendValue(text, value, EmptyValueStyle::Quoted);
    return text;
}

// In the quote the value had, which can hold anything; a bare value stays bare where it can.
QString encodeLike(QStringView previousText, QStringView value)
{
    QString text;
    if (!previousText.isEmpty() && isQuote(previousText.front()))
        ConnectionString::appendQuoted(text, value, previousText.front());
    else
        ConnectionString::appendValue(text, value, EmptyValueStyle::Bare);
    return text;
}

} // namespace

ConnectionStringDocument ConnectionStringDocument::parse(const QString &text)
{
    const QList<ParsedPair> parsed = parsePairs(text);
    ConnectionStringDocument document;
    document.m_pairs.reserve(parsed.size());
    qsizetype previousEnd = 0;
    for (const ParsedPair &one : parsed) {
        Pair pair;
        pair.keyword = one.pair.keyword;
        pair.value = one.pair.value;
        const QString before = text.sliced(previousEnd, one.span.start - previousEnd);
        if (document.m_pairs.isEmpty())
            document.m_head = before;
        else
            pair.separator = before;
        pair.keywordText = text.sliced(one.span.start, one.span.valueStart - one.span.start);
        pair.valueText = text.sliced(one.span.valueStart, one.span.end - one.span.valueStart);
        pair.originalValue = pair.value;
        pair.originalValueText = pair.valueText;
        previousEnd = one.span.end;
        document.m_pairs.append(std::move(pair));
    }
    if (parsed.isEmpty())
        document.m_head = text;
    else
        document.m_tail = text.sliced(previousEnd);
    return document;
}

QString ConnectionStringDocument::toString() const
{
    qsizetype size = m_head.size() + m_tail.size();
    for (const Pair &pair : m_pairs)
        size += pair.separator.size() + pair.keywordText.size() + pair.valueText.size() + 1;
    QString out;
    out.reserve(size);
    out += m_head;
    bool first = true;
    for (const Pair &pair : m_pairs) {
        if (pair.removed)
            continue;
        // The first pair shown has nothing before it, whichever pair that is.
        if (!first)
            out += pair.separator.isEmpty() ? QString(Separator) : pair.separator;
        first = false;
        out += pair.keywordText;
        out += pair.valueText;
    }
    out += m_tail;
    return out;
}

bool ConnectionStringDocument::setValue(qsizetype index, const QString &value)
{
    Pair &pair = m_pairs[index];
    if (!pair.removed && pair.value == value)
        return false;
    pair.removed = false;
    pair.value = value;
    pair.valueText
        = value == pair.originalValue ? pair.originalValueText : encodeLike(pair.valueText, value);
    return true;
}

void ConnectionStringDocument::remove(qsizetype index)
{
    m_pairs[index].removed = true;
}

ConnectionStringDocument::Pair ConnectionStringDocument::newPair(const QString &keyword,
                                                                 const QString &value)
{
    Pair pair;
    pair.keyword = keyword;
    pair.value = value;
    pair.separator = Separator;
    // Checks the keyword, throwing for one no string can hold.
    ConnectionString::appendPair(pair.keywordText, {keyword, QString()}, EmptyValueStyle::Bare);
    pair.valueText = encodeNew(value);
    pair.originalValue = value;
    pair.originalValueText = pair.valueText;
    return pair;
}

qsizetype ConnectionStringDocument::append(const QString &keyword, const QString &value)
{
    m_pairs.append(newPair(keyword, value));
    return m_pairs.size() - 1;
}

void ConnectionStringDocument::prepend(const QString &keyword, const QString &value)
{
    Pair pair = newPair(keyword, value);
    pair.separator.clear();
    if (!m_pairs.isEmpty() && m_pairs.first().separator.isEmpty())
        m_pairs.first().separator = Separator;
    m_pairs.prepend(std::move(pair));
}

} // namespace oledb
