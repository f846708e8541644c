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
    // Printable ASCII, nearly every character of a real string, needs no table.
    if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
        return false;
    return c.category() == QChar::Other_Control && !c.isSpace();
}

QStringView trimmedRight(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.first(end);
}

// Keywords and values come out as views: of the text itself where nothing was undone (the common
// case), else of a buffer that is reused from pair to pair, so reading allocates next to nothing.
class Parser
{
public:
    Parser(QStringView text, QList<ConnectionString::ValueSpan> *spans)
        : m_text(text)
        , m_spans(spans)
    { }

    void run(PairVisitor &visitor)
    {
        while (true) {
            skipSpace();
            if (atEnd())
                break;
            if (m_text[m_pos] == Separator) {
                ++m_pos;
                continue;
            }
            m_pairStart = m_pos;
            const QStringView keyword = readKeyword();
            const QStringView value = readValue();
            if (m_spans)
                m_spans->append(m_valueSpan);
            visitor.visit(keyword, value);
        }
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }

    void skipSpace()
    {
        while (!atEnd() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    [[noreturn]] void fail() const { throw FormatError(m_pairStart); }

    // Ends at the first `=` that is not part of `==`; `==` stands for a literal `=`.
    QStringView readKeyword()
    {
        bool escaped = false;
        const qsizetype start = m_pos;
        qsizetype chunk = m_pos;
        while (true) {
            if (atEnd())
                fail();
            const QChar c = m_text[m_pos];
            if (c == Separator || isForbiddenControl(c))
                fail();
            if (c == Assign) {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == Assign) {
                    if (!escaped)
                        m_keyword.truncate(0); // keeps the buffer of an earlier pair
                    m_keyword += m_text.sliced(chunk, m_pos + 1 - chunk);
                    escaped = true;
                    m_pos += 2;
                    chunk = m_pos;
                    continue;
                }
                if (escaped)
                    m_keyword += m_text.sliced(chunk, m_pos - chunk);
                ++m_pos;
                break;
            }
            ++m_pos;
        }
        const QStringView keyword
            = (escaped ? QStringView(m_keyword) : m_text.sliced(start, m_pos - 1 - start))
                  .trimmed();
        if (keyword.isEmpty())
            fail();
        return keyword;
    }

    QStringView readValue()
    {
        skipSpace();
        m_valueSpan = {m_pos, m_pos};
        if (atEnd())
            return {};
        if (isQuote(m_text[m_pos]))
            return readQuotedValue();

        qsizetype end = m_text.indexOf(Separator, m_pos);
        if (end < 0)
            end = m_text.size();
        const QStringView value = trimmedRight(m_text.sliced(m_pos, end - m_pos));
        m_valueSpan.end = m_pos + value.size();
        m_pos = end + 1;
        // A quote at the end of a bare value means the writer meant to quote and got it wrong;
        // guessing where the value ends would change what the string says.
        if (!value.isEmpty() && isQuote(value.back()))
            fail();
        for (QChar c : value) {
            if (isForbiddenControl(c))
                fail();
        }
        return value;
    }

    QStringView readQuotedValue()
    {
        const QChar quote = m_text[m_pos++];
        bool escaped = false;
        const qsizetype start = m_pos;
        qsizetype chunk = m_pos;
        QStringView value;
        while (true) {
            const qsizetype close = m_text.indexOf(quote, m_pos);
            if (close < 0)
                fail();
            if (close + 1 < m_text.size() && m_text[close + 1] == quote) {
                if (!escaped)
                    m_value.truncate(0); // keeps the buffer of an earlier pair
                m_value += m_text.sliced(chunk, close + 1 - chunk);
                escaped = true;
                m_pos = close + 2;
                chunk = m_pos;
                continue;
            }
            if (escaped) {
                m_value += m_text.sliced(chunk, close - chunk);
                value = m_value;
            } else {
                value = m_text.sliced(start, close - start);
            }
            m_pos = close + 1;
            m_valueSpan.end = m_pos;
            break;
        }
        skipSpace();
        if (!atEnd()) {
            if (m_text[m_pos] != Separator)
                fail();
            ++m_pos;
        }
        return value;
    }

    QStringView m_text;
    QList<ConnectionString::ValueSpan> *m_spans;
    qsizetype m_pos = 0;
    qsizetype m_pairStart = 0;
    ConnectionString::ValueSpan m_valueSpan;
    QString m_keyword;
    QString m_value;
};

bool canStayBare(QStringView value)
{
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

void appendValue(QString &out, QStringView value, EmptyValueStyle emptyValues)
{
    if (value.isEmpty()) {
        if (emptyValues == EmptyValueStyle::Quoted)
            out += QLatin1String("\"\"");
        return;
    }
    if (canStayBare(value)) {
        out += value;
        return;
    }
    // Single quotes spare the reader a value full of doubled double quotes.
    const bool single = value.contains(DoubleQuote) && !value.contains(SingleQuote);
    const QChar quote = single ? SingleQuote : DoubleQuote;
    out += quote;
    appendDoubled(out, value, quote);
    out += quote;
}

} // namespace

bool sameKeyword(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

ConnectionString::ConnectionString(KeywordValueList pairs)
    : m_pairs(std::move(pairs))
{ }

ConnectionString ConnectionString::parse(QStringView text, QList<ValueSpan> *spans)
{
    struct Collect final : PairVisitor
    {
        KeywordValueList pairs;
        void visit(QStringView keyword, QStringView value) override
        {
            pairs.append({keyword.toString(), value.toString()});
        }
    } collect;
    Parser(text, spans).run(collect);
    return ConnectionString(std::move(collect.pairs));
}

void ConnectionString::visitPairs(QStringView text, PairVisitor &visitor)
{
    Parser(text, nullptr).run(visitor);
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
    appendValue(out, pair.value, emptyValues);
}

} // namespace oledb
