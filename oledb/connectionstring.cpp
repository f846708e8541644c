#include "oledb/connectionstring.h"

#include "oledb/formaterror.h"
#include "platform/error.h"

#include <QHash>

namespace oledb {

namespace {

constexpr QChar Separator = u';';
constexpr QChar Assign = u'=';
constexpr QChar DoubleQuote = u'"';
constexpr QChar SingleQuote = u'\'';

bool isQuote(QChar c)
{
    return c == DoubleQuote || c == SingleQuote;
}

// Outside quotes only white space may be a control character: a stray NUL or escape code is
// far more likely damage than data, and some readers would stop at it.
bool isForbiddenControl(QChar c)
{
    return c.category() == QChar::Other_Control && !c.isSpace();
}

QStringView trimmedRight(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.first(end);
}

// One pass over the text, reading each pair where it stands: the pairs come with their spans, so
// an editor can rewrite one of them and copy the rest of the text as it was.
class Parser
{
public:
    explicit Parser(QStringView text)
        : m_text(text)
    { }

    // Hands each pair to `sink` as soon as it is read, so a caller need not hold them all.
    template<typename Sink> void run(Sink &&sink)
    {
        while (true) {
            skipSpace();
            if (atEnd())
                break;
            if (m_text[m_pos] == Separator) {
                ++m_pos;
                continue;
            }
            ParsedPair parsed;
            parsed.span.start = m_pairStart = m_pos;
            parsed.pair.keyword = readKeyword();
            parsed.pair.value = readValue(parsed.span);
            sink(std::move(parsed));
        }
    }

private:
    using Reason = FormatError::Reason;

    bool atEnd() const { return m_pos >= m_text.size(); }

    void skipSpace()
    {
        while (!atEnd() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    [[noreturn]] void fail(Reason reason) const { throw FormatError(m_pairStart, reason); }

    // Ends at the first `=` that is not part of `==`; `==` stands for a literal `=`.
    QString readKeyword()
    {
        QString keyword;
        qsizetype chunk = m_pos;
        while (true) {
            if (atEnd())
                fail(Reason::NoAssign);
            const QChar c = m_text[m_pos];
            if (c == Separator)
                fail(Reason::NoAssign);
            if (isForbiddenControl(c))
                fail(Reason::ControlCharacter);
            if (c == Assign) {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == Assign) {
                    keyword += m_text.sliced(chunk, m_pos + 1 - chunk);
                    m_pos += 2;
                    chunk = m_pos;
                    continue;
                }
                keyword += m_text.sliced(chunk, m_pos - chunk);
                ++m_pos;
                break;
            }
            ++m_pos;
        }
        keyword = std::move(keyword).trimmed();
        if (keyword.isEmpty())
            fail(Reason::NoKeyword);
        return keyword;
    }

    QString readValue(PairSpan &span)
    {
        skipSpace();
        span.valueStart = span.end = m_pos;
        if (atEnd())
            return {};
        if (isQuote(m_text[m_pos]))
            return readQuotedValue(span);

        qsizetype end = m_text.indexOf(Separator, m_pos);
        if (end < 0)
            end = m_text.size();
        const QStringView value = trimmedRight(m_text.sliced(m_pos, end - m_pos));
        span.end = m_pos + value.size();
        m_pos = end + 1;
        // A quote at the end of a bare value means the writer meant to quote and got it wrong;
        // guessing where the value ends would change what the string says.
        if (!value.isEmpty() && isQuote(value.back()))
            fail(Reason::StrayQuote);
        for (QChar c : value) {
            if (isForbiddenControl(c))
                fail(Reason::ControlCharacter);
        }
        return value.toString();
    }

    QString readQuotedValue(PairSpan &span)
    {
        const QChar quote = m_text[m_pos++];
        QString value;
        qsizetype chunk = m_pos;
        while (true) {
            const qsizetype close = m_text.indexOf(quote, m_pos);
            if (close < 0)
                fail(Reason::UnclosedQuote);
            if (close + 1 < m_text.size() && m_text[close + 1] == quote) {
                value += m_text.sliced(chunk, close + 1 - chunk);
                m_pos = close + 2;
                chunk = m_pos;
                continue;
            }
            value += m_text.sliced(chunk, close - chunk);
            m_pos = close + 1;
            break;
        }
        span.end = m_pos;
        skipSpace();
        if (!atEnd()) {
            if (m_text[m_pos] != Separator)
                fail(Reason::TextAfterQuote);
            ++m_pos;
        }
        return value;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    qsizetype m_pairStart = 0;
};

} // namespace

bool ConnectionString::canStayBare(QStringView value)
{
    if (value.isEmpty())
        return true;
    const QChar first = value.front();
    const QChar last = value.back();
    // A leading `=` would be read together with the keyword's `=` as an escaped `==`.
    if (first.isSpace() || isQuote(first) || first == Assign || last.isSpace() || isQuote(last))
        return false;
    for (QChar c : value) {
        if (c == Separator || isForbiddenControl(c))
            return false;
    }
    return true;
}

namespace {

void appendDoubled(QString &out, QStringView text, QChar special)
{
    qsizetype chunk = 0;
    for (qsizetype at = text.indexOf(special); at >= 0; at = text.indexOf(special, chunk)) {
        out += text.sliced(chunk, at + 1 - chunk);
        out += special;
        chunk = at + 1;
    }
    out += text.sliced(chunk);
}

void writeValue(QString &out, QStringView value, EmptyValueStyle emptyValues)
{
    if (value.isEmpty()) {
        if (emptyValues == EmptyValueStyle::Quoted)
            out += QLatin1String("\"\"");
        return;
    }
    if (ConnectionString::canStayBare(value)) {
        out += value;
        return;
    }
    // Single quotes spare the reader a value full of doubled double quotes.
    const bool single = value.contains(DoubleQuote) && !value.contains(SingleQuote);
    ConnectionString::appendQuoted(out, value, single ? SingleQuote : DoubleQuote);
}

} // namespace

bool sameKeyword(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

ConnectionString::ConnectionString(KeywordValueList pairs)
    : m_pairs(std::move(pairs))
{ }

QList<ParsedPair> parsePairs(QStringView text)
{
    QList<ParsedPair> pairs;
    Parser(text).run([&pairs](ParsedPair &&one) { pairs.append(std::move(one)); });
    return pairs;
}

ConnectionString ConnectionString::parse(QStringView text, QList<ValueSpan> *spans)
{
    KeywordValueList pairs;
    Parser(text).run([&](ParsedPair &&one) {
        if (spans)
            spans->append({one.span.valueStart, one.span.end});
        pairs.append(std::move(one.pair));
    });
    return ConnectionString(std::move(pairs));
}

void ConnectionString::visitPairs(QStringView text, PairVisitor &visitor)
{
    Parser(text).run(
        [&visitor](ParsedPair &&one) { visitor.visit(one.pair.keyword, one.pair.value); });
}

std::optional<QString> ConnectionString::value(QStringView keyword) const
{
    for (auto it = m_pairs.crbegin(); it != m_pairs.crend(); ++it) {
        if (sameKeyword(it->keyword, keyword))
            return it->value;
    }
    return std::nullopt;
}

KeywordValueList ConnectionString::effectivePairs() const
{
    // Hashed, because a pasted string may hold any number of pairs.
    QHash<QString, qsizetype> positions;
    KeywordValueList effective;
    for (const KeywordValue &pair : m_pairs) {
        const QString key = pair.keyword.toCaseFolded();
        const auto it = positions.constFind(key);
        if (it == positions.cend()) {
            positions.insert(key, effective.size());
            effective.append(pair);
        } else {
            effective[*it].value = pair.value;
        }
    }
    return effective;
}

QString ConnectionString::toString(EmptyValueStyle emptyValues) const
{
    qsizetype estimate = 0;
    for (const KeywordValue &pair : m_pairs)
        estimate += pair.keyword.size() + pair.value.size() + 4;
    QString out;
    out.reserve(estimate + estimate / 16);
    for (const KeywordValue &pair : m_pairs) {
        if (!out.isEmpty())
            out += Separator;
        appendPair(out, pair, emptyValues);
    }
    return out;
}

bool ConnectionString::isWritableKeyword(QStringView keyword)
{
    if (keyword.isEmpty() || keyword.front().isSpace() || keyword.back().isSpace())
        return false;
    for (QChar c : keyword) {
        if (c == Separator || isForbiddenControl(c))
            return false;
    }
    return true;
}

void ConnectionString::appendValue(QString &out, QStringView value, EmptyValueStyle emptyValues)
{
    writeValue(out, value, emptyValues);
}

void ConnectionString::appendQuoted(QString &out, QStringView value, QChar quote)
{
    out += quote;
    appendDoubled(out, value, quote);
    out += quote;
}

void ConnectionString::appendPair(QString &out, const KeywordValue &pair,
                                  EmptyValueStyle emptyValues)
{
    if (!isWritableKeyword(pair.keyword)) {
        throw platform::Error(QStringLiteral("The keyword \"%1\" cannot be written in a "
                                             "connection string.")
                                  .arg(pair.keyword));
    }
    appendDoubled(out, pair.keyword, Assign);
    out += Assign;
    writeValue(out, pair.value, emptyValues);
}

} // namespace oledb
