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

ConnectionStringDocument
ConnectionStringDocument::parse(const QString &text,
                                const std::function<bool(QStringView keyword)> &keep)
{
    ConnectionStringDocument document;
    document.m_source = text;
    qsizetype previousEnd = 0;
    // The run of pairs being left as text: from the first one's keyword to the last one's value.
    qsizetype runStart = -1;
    qsizetype runEnd = 0;
    const auto separatorTo = [&](qsizetype start) {
        const QString before = text.sliced(previousEnd, start - previousEnd);
        if (document.m_pairs.isEmpty())
            document.m_head = before;
        return document.m_pairs.isEmpty() ? QString() : before;
    };
    const auto endRun = [&] {
        if (runStart < 0)
            return;
        Pair run;
        run.separator = separatorTo(runStart);
        run.run = QStringView(document.m_source).sliced(runStart, runEnd - runStart);
        previousEnd = runEnd;
        runStart = -1;
        document.m_pairs.append(std::move(run));
    };
    ConnectionString::visitPairSpans(
        text, [&](QStringView keyword, QStringView value, const PairSpan &span) {
            if (keep && !keep(keyword)) {
                if (runStart < 0)
                    runStart = span.start;
                runEnd = span.end;
                return;
            }
            endRun();
            Pair pair;
            pair.separator = separatorTo(span.start);
            pair.keyword = keyword.toString();
            pair.value = value.toString();
            pair.keywordText = text.sliced(span.start, span.valueStart - span.start);
            pair.valueText = text.sliced(span.valueStart, span.end - span.valueStart);
            pair.originalValue = pair.value;
            pair.originalValueText = pair.valueText;
            previousEnd = span.end;
            document.m_pairs.append(std::move(pair));
        });
    endRun();
    if (document.m_pairs.isEmpty())
        document.m_head = text;
    else
        document.m_tail = text.sliced(previousEnd);
    if (!keep)
        document.m_source.clear();
    return document;
}

QString ConnectionStringDocument::toString() const
{
    qsizetype size = m_head.size() + m_tail.size();
    for (const Pair &pair : m_pairs)
        size += pair.separator.size() + pair.keywordText.size() + pair.valueText.size()
            + pair.run.size() + 1;
    QString out;
    out.reserve(size);
    write([&out](QStringView part) { out += part; });
    return out;
}

void ConnectionStringDocument::write(const std::function<void(QStringView)> &write) const
{
    write(m_head);
    bool first = true;
    for (const Pair &pair : m_pairs) {
        if (pair.removed)
            continue;
        // The first pair shown has nothing before it, whichever pair that is.
        if (!first)
            write(pair.separator.isEmpty() ? QStringView(u";") : QStringView(pair.separator));
        first = false;
        if (!pair.run.isEmpty()) {
            write(pair.run);
            continue;
        }
        write(pair.keywordText);
        write(pair.valueText);
    }
    write(m_tail);
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
