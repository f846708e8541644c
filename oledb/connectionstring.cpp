#include "oledb/connectionstring.h"

#include "oledb/formaterror.h"
#include "oledb/quoting.h"
#include "platform/error.h"

#include <QHash>

#include <bit>
#include <cstring>
#include <string>

#if defined(__SSE2__) && !defined(CORVANTA_SCALAR)
#include <emmintrin.h>
#endif

namespace oledb {

namespace {

constexpr QChar Separator = u';';
constexpr QChar Assign = u'=';
constexpr QChar DoubleQuote = u'"';
constexpr QChar SingleQuote = u'\'';

// Unicode's control characters are U+0000-U+001F and U+007F-U+009F, a set that never grows:
// nothing else can be one, and a scan need not look any other character up.
constexpr bool mayBeControl(char16_t c)
{
    return c < 0x20 || char16_t(c - 0x7f) < 0x21;
}

// Outside quotes only white space may be a control character: a stray NUL or escape code is
// far more likely damage than data, and some readers would stop at it. The white space among
// the controls is tab to carriage return and U+0085.
constexpr bool isForbiddenControl(char16_t c)
{
    if (c < 0x20)
        return c < 0x09 || c > 0x0d;
    return mayBeControl(c) && c != 0x85;
}

// The first character from `at` that is `a`, `b`, `c` or may be a control character, else `end`:
// the characters a scan has to look at closely. Eight at a time where the processor can.
const char16_t *findSpecial(const char16_t *at, const char16_t *end, char16_t a, char16_t b,
                            char16_t c)
{
#if defined(__SSE2__) && !defined(CORVANTA_SCALAR)
    const __m128i wantA = _mm_set1_epi16(short(a));
    const __m128i wantB = _mm_set1_epi16(short(b));
    const __m128i wantC = _mm_set1_epi16(short(c));
    // SSE2 compares signed; flipping the top bit of both sides makes that an unsigned comparison.
    const __m128i flip = _mm_set1_epi16(short(0x8000));
    const __m128i belowSpace = _mm_set1_epi16(short(0x20 ^ 0x8000));
    const __m128i delete_ = _mm_set1_epi16(0x7f);
    const __m128i pastC1 = _mm_set1_epi16(short(0x21 ^ 0x8000));
    for (; end - at >= 8; at += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        const __m128i c0 = _mm_cmplt_epi16(_mm_xor_si128(chars, flip), belowSpace);
        const __m128i c1
            = _mm_cmplt_epi16(_mm_xor_si128(_mm_sub_epi16(chars, delete_), flip), pastC1);
        const __m128i wanted = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi16(chars, wantA), _mm_cmpeq_epi16(chars, wantB)),
            _mm_cmpeq_epi16(chars, wantC));
        const int mask = _mm_movemask_epi8(_mm_or_si128(wanted, _mm_or_si128(c0, c1)));
        if (mask != 0)
            return at + std::countr_zero(unsigned(mask)) / 2;
    }
#endif
    for (; at != end; ++at) {
        if (mayBeControl(*at) || *at == a || *at == b || *at == c)
            return at;
    }
    return end;
}

// The first `wanted` from `at`, else `end`.
const char16_t *findChar(const char16_t *at, const char16_t *end, char16_t wanted)
{
#if defined(__SSE2__) && !defined(CORVANTA_SCALAR)
    const __m128i want = _mm_set1_epi16(short(wanted));
    for (; end - at >= 8; at += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(chars, want));
        if (mask != 0)
            return at + std::countr_zero(unsigned(mask)) / 2;
    }
#endif
    for (; at != end; ++at) {
        if (*at == wanted)
            return at;
    }
    return end;
}

void appendTo(std::u16string &buffer, const char16_t *from, const char16_t *to)
{
    buffer.append(from, size_t(to - from));
}

// Whether the text holds `;` or a control character other than white space.
bool hasSeparatorOrControl(QStringView text)
{
    const char16_t *const end = text.utf16() + text.size();
    for (const char16_t *at = findSpecial(text.utf16(), end, Separator.unicode(), 0, 0); at != end;
         at = findSpecial(at + 1, end, Separator.unicode(), 0, 0)) {
        if (*at == Separator || isForbiddenControl(*at))
            return true;
    }
    return false;
}

// Whether the value's ends let it go unquoted (it is not empty).
bool endsAllowBare(QStringView value)
{
    const QChar first = value.front();
    const QChar last = value.back();
    // A leading `=` would be read together with the keyword's `=` as an escaped `==`.
    return !first.isSpace() && !isQuote(first) && first != Assign && !last.isSpace()
        && !isQuote(last);
}

// One pass over the text, reading each pair where it stands: the pairs come with their spans, so
// an editor can rewrite one of them and copy the rest of the text as it was. Keywords and values
// come out as views: of the text itself where nothing was undone (the common case), else of a
// buffer reused from pair to pair, so reading allocates next to nothing.
class Parser
{
public:
    explicit Parser(QStringView text, ValueQuoting quoting = ValueQuoting::Undone)
        : m_begin(text.utf16())
        , m_end(m_begin + text.size())
        , m_at(m_begin)
        , m_undoQuoting(quoting == ValueQuoting::Undone)
    { }

    // Hands each pair to `sink(keyword, value, span)` as soon as it is read, so a caller need not
    // hold them all. The views are good until the next call.
    template<typename Sink> void run(Sink &&sink)
    {
        while (true) {
            skipSpace();
            if (m_at == m_end)
                break;
            if (*m_at == Separator) {
                ++m_at;
                continue;
            }
            PairSpan span;
            span.start = m_pairStart = offset(m_at);
            const QStringView keyword = readKeyword();
            const QStringView value = readValue(span);
            sink(keyword, value, span);
        }
    }

private:
    using Reason = FormatError::Reason;

    qsizetype offset(const char16_t *at) const { return at - m_begin; }

    void skipSpace()
    {
        while (m_at != m_end && (*m_at == u' ' || QChar::isSpace(*m_at)))
            ++m_at;
    }

    [[noreturn]] void fail(Reason reason) const { throw FormatError(m_pairStart, reason); }

    // Ends at the first `=` that is not part of `==`; `==` stands for a literal `=`.
    QStringView readKeyword()
    {
        const char16_t *const start = m_at;
        const char16_t *chunk = m_at;
        bool escaped = false;
        while (true) {
            m_at = findSpecial(m_at, m_end, Assign.unicode(), Separator.unicode(), 0);
            if (m_at == m_end || *m_at == Separator)
                fail(Reason::NoAssign);
            if (*m_at != Assign) {
                if (isForbiddenControl(*m_at))
                    fail(Reason::ControlCharacter);
                ++m_at;
                continue;
            }
            if (m_at + 1 != m_end && m_at[1] == Assign) {
                if (!escaped)
                    m_keyword.clear();
                escaped = true;
                appendTo(m_keyword, chunk, m_at + 1);
                m_at += 2;
                chunk = m_at;
                continue;
            }
            break;
        }
        QStringView keyword(start, m_at);
        if (escaped) {
            appendTo(m_keyword, chunk, m_at);
            keyword = QStringView(m_keyword.data(), qsizetype(m_keyword.size()));
        }
        ++m_at;
        keyword = keyword.trimmed();
        if (keyword.isEmpty())
            fail(Reason::NoKeyword);
        return keyword;
    }

    QStringView readValue(PairSpan &span)
    {
        skipSpace();
        span.valueStart = span.end = offset(m_at);
        if (m_at == m_end)
            return {};
        if (isQuote(QChar(*m_at)))
            return readQuotedValue(span);

        const char16_t *const start = m_at;
        bool control = false;
        while (true) {
            m_at = findSpecial(m_at, m_end, Separator.unicode(), 0, 0);
            if (m_at == m_end || *m_at == Separator)
                break;
            control = control || isForbiddenControl(*m_at);
            ++m_at;
        }
        const QStringView value = QStringView(start, m_at).trimmed();
        span.end = offset(start) + value.size();
        if (m_at != m_end)
            ++m_at;
        // A quote at the end of a bare value means the writer meant to quote and got it wrong;
        // guessing where the value ends would change what the string says.
        if (!value.isEmpty() && isQuote(value.back()))
            fail(Reason::StrayQuote);
        if (control)
            fail(Reason::ControlCharacter);
        return value;
    }

    QStringView readQuotedValue(PairSpan &span)
    {
        const char16_t quote = *m_at++;
        const char16_t *const start = m_at;
        const char16_t *chunk = m_at;
        bool escaped = false;
        m_at = findClosing(m_at, m_end, quote, findChar, [&](const char16_t *pair) {
            if (!m_undoQuoting)
                return;
            if (!escaped)
                m_value.clear();
            escaped = true;
            const size_t size = m_value.size() + size_t(pair + 1 - chunk);
            if (size > m_value.capacity() && size > LongValue) {
                // Room for the rest at once: grown as it is read, a long value would be held
                // twice each time it moves to a larger buffer.
                const char16_t *const close
                    = findClosing(pair + 2, m_end, quote, findChar, [](const char16_t *) {});
                m_value.reserve(m_value.size() + size_t(close - chunk));
            }
            appendTo(m_value, chunk, pair + 1);
            chunk = pair + 2;
        });
        if (m_at == m_end)
            fail(Reason::UnclosedQuote);
        QStringView value(start, m_at);
        if (escaped) {
            appendTo(m_value, chunk, m_at);
            value = QStringView(m_value.data(), qsizetype(m_value.size()));
        }
        ++m_at;
        span.end = offset(m_at);
        skipSpace();
        if (m_at != m_end) {
            if (*m_at != Separator)
                fail(Reason::TextAfterQuote);
            ++m_at;
        }
        return value;
    }

    static constexpr size_t LongValue = 64 * 1024;

    const char16_t *m_begin;
    const char16_t *m_end;
    const char16_t *m_at;
    const bool m_undoQuoting;
    qsizetype m_pairStart = 0;
    std::u16string m_keyword;
    std::u16string m_value;
};

} // namespace

bool ConnectionString::canStayBare(QStringView value)
{
    if (value.isEmpty())
        return true;
    return endsAllowBare(value) && !hasSeparatorOrControl(value);
}

namespace {

// What decides how a value is written, found in one scan.
struct ValueContent
{
    bool separatorOrControl = false;
    bool doubleQuote = false;
    bool singleQuote = false;
};

ValueContent scanValue(QStringView value)
{
    ValueContent content;
    const char16_t *const end = value.utf16() + value.size();
    for (const char16_t *at = findSpecial(value.utf16(), end, Separator.unicode(),
                                          DoubleQuote.unicode(), SingleQuote.unicode());
         at != end; at = findSpecial(at + 1, end, Separator.unicode(), DoubleQuote.unicode(),
                                     SingleQuote.unicode())) {
        if (*at == DoubleQuote)
            content.doubleQuote = true;
        else if (*at == SingleQuote)
            content.singleQuote = true;
        else if (*at == Separator || isForbiddenControl(*at))
            content.separatorOrControl = true;
        if (content.separatorOrControl && content.doubleQuote && content.singleQuote)
            break;
    }
    return content;
}

char16_t *copy(char16_t *out, QStringView text)
{
    std::memcpy(out, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    return out + text.size();
}

// Copies the text with every `special` written twice.
char16_t *copyDoubling(char16_t *out, QStringView text, char16_t special)
{
    const char16_t *at = text.utf16();
    const char16_t *const end = at + text.size();
    while (true) {
        const char16_t *const hit = findChar(at, end, special);
        out = copy(out, QStringView(at, hit));
        if (hit == end)
            return out;
        *out++ = special;
        *out++ = special;
        at = hit + 1;
    }
}

// Writes through a pointer, after making room at the end of `out` for the most `write` can
// write; QString grows geometrically, so a long run of appends stays linear.
template<typename Write> void appendWithin(QString &out, qsizetype most, Write &&write)
{
    const qsizetype used = out.size();
    out.resize(used + most);
    char16_t *const start = reinterpret_cast<char16_t *>(out.data()) + used;
    out.resize(used + (write(start) - start));
}

// Room for any value: every character doubled, and the quotes.
qsizetype mostForValue(QStringView value)
{
    return 2 * value.size() + 2;
}

char16_t *writeQuoted(char16_t *out, QStringView value, char16_t quote)
{
    *out++ = quote;
    out = copyDoubling(out, value, quote);
    *out++ = quote;
    return out;
}

char16_t *writeValue(char16_t *out, QStringView value, EmptyValueStyle emptyValues)
{
    if (value.isEmpty()) {
        if (emptyValues == EmptyValueStyle::Quoted) {
            *out++ = DoubleQuote.unicode();
            *out++ = DoubleQuote.unicode();
        }
        return out;
    }
    const ValueContent content = scanValue(value);
    if (!content.separatorOrControl && endsAllowBare(value))
        return copy(out, value);
    // Single quotes spare the reader a value full of doubled double quotes.
    if (content.doubleQuote && !content.singleQuote)
        return writeQuoted(out, value, SingleQuote.unicode());
    return writeQuoted(out, value, DoubleQuote.unicode());
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
    Parser(text).run([&pairs](QStringView keyword, QStringView value, const PairSpan &span) {
        pairs.append({{keyword.toString(), value.toString()}, span});
    });
    return pairs;
}

ConnectionString ConnectionString::parse(QStringView text, QList<ValueSpan> *spans)
{
    KeywordValueList pairs;
    Parser(text).run([&](QStringView keyword, QStringView value, const PairSpan &span) {
        if (spans)
            spans->append({span.valueStart, span.end});
        pairs.append({keyword.toString(), value.toString()});
    });
    return ConnectionString(std::move(pairs));
}

QString ConnectionString::readablePart(QStringView text)
{
    QString rest = text.toString();
    // Every round takes at least one character out.
    while (true) {
        try {
            Parser(rest).run([](QStringView, QStringView, const PairSpan &) {});
            return rest;
        } catch (const FormatError &error) {
            const qsizetype start = std::min(error.offset(), rest.size());
            qsizetype end = rest.size();
            if (error.reason() != FormatError::Reason::UnclosedQuote) {
                if (const qsizetype separator = rest.indexOf(u';', start); separator >= 0)
                    end = separator + 1;
            }
            if (end <= start)
                return rest.first(start);
            rest.remove(start, end - start);
        }
    }
}

void ConnectionString::visitPairs(QStringView text, PairVisitor &visitor)
{
    Parser(text).run([&visitor](QStringView keyword, QStringView value, const PairSpan &) {
        visitor.visit(keyword, value);
    });
}

void ConnectionString::visitPairSpans(
    QStringView text,
    const std::function<void(QStringView keyword, QStringView value, const PairSpan &)> &visit,
    ValueQuoting quoting)
{
    Parser(text, quoting).run(visit);
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
    out.reserve(estimate + estimate / 8);
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
    return !hasSeparatorOrControl(keyword);
}

void ConnectionString::appendValue(QString &out, QStringView value, EmptyValueStyle emptyValues)
{
    appendWithin(out, mostForValue(value),
                 [&](char16_t *at) { return writeValue(at, value, emptyValues); });
}

void ConnectionString::appendQuoted(QString &out, QStringView value, QChar quote)
{
    appendWithin(out, mostForValue(value),
                 [&](char16_t *at) { return writeQuoted(at, value, quote.unicode()); });
}

void ConnectionString::appendPair(QString &out, const KeywordValue &pair,
                                  EmptyValueStyle emptyValues)
{
    if (!isWritableKeyword(pair.keyword)) {
        throw platform::Error(QStringLiteral("The keyword \"%1\" cannot be written in a "
                                             "connection string.")
                                  .arg(pair.keyword));
    }
    appendWithin(out, 2 * pair.keyword.size() + 1 + mostForValue(pair.value), [&](char16_t *at) {
        at = copyDoubling(at, pair.keyword, Assign.unicode());
        *at++ = Assign.unicode();
        return writeValue(at, pair.value, emptyValues);
    });
}

} // namespace oledb
