#include "oledb/secrets.h"

#include "oledb/connectionstring.h"
#include "oledb/formaterror.h"
#include "oledb/odbcattributes.h"
#include "oledb/providercatalogue.h"
#include "oledb/quoting.h"

#include <QSet>

#include <algorithm>
#include <bit>
#include <optional>
#include <utility>
#include <vector>

namespace oledb {

namespace {

// Strings nest a level or two in practice; past this depth only the secret-looking assignments
// of a value are hidden, as in free text. A value that is not a string of pairs at all (an
// Oracle descriptor, `(A=(B=...)(C=...))`) runs this deep without nesting anything, and hiding
// it whole would hide what no secret keyword owns.
constexpr int MaxDepth = 8;
// How far back from an `=` in free text a keyword is looked for.
constexpr qsizetype MaxKeywordLength = 64;
constexpr qsizetype MinPieceLength = 3;

// A secret value: where it stands in the text being searched, and the value it carries.
struct Found
{
    qsizetype start;
    qsizetype end;
    QString value;
};

// What a search of a text finds. secretsOf wants every secret with its value; masking wants only
// which characters to hide, and a value that is nothing but secrets holds millions of them, each
// found by both readings of it: those are kept as a bitmap of the text, an eighth of a byte a
// character however many finds cover it. Finds that touch or overlap become one mask either
// way, so the bitmap's runs are the masks. Finds trimmed one by one later (see findNested) are
// kept one by one until then.
using Trim = const QSet<qsizetype> *;

class Finds
{
public:
    enum class Keep { Values, Spans, Cover };

    Finds(Keep keep, qsizetype length)
        : m_keep(keep)
        , m_length(length)
    { }

    // For a value `length` long inside this text, searched before its finds come here.
    Finds inner(qsizetype length, Trim trimmedLater) const
    {
        return Finds(m_keep == Keep::Cover && trimmedLater ? Keep::Spans : m_keep, length);
    }

    // With `trim`, the find is first trimmed of the positions in it at either end.
    void add(qsizetype start, qsizetype end, QStringView value, Trim trim = nullptr)
    {
        add(Found {start, end, m_keep == Keep::Values ? value.toString() : QString()}, trim);
    }
    void add(Found found, Trim trim = nullptr)
    {
        if (trim) {
            while (found.end > found.start && trim->contains(found.end - 1))
                --found.end;
            while (found.start < found.end && trim->contains(found.start))
                ++found.start;
            if (found.end <= found.start)
                return;
        }
        if (m_keep != Keep::Cover) {
            m_list.append(std::move(found));
            return;
        }
        // No search takes an empty span for a secret, so each run of covered characters is
        // exactly one mask.
        Q_ASSERT(0 <= found.start && found.start < found.end && found.end <= m_length);
        if (m_bits.empty())
            m_bits.assign(size_t((m_length + 63) / 64), 0);
        const qsizetype first = found.start / 64;
        const qsizetype last = (found.end - 1) / 64;
        const quint64 from = ~quint64(0) << (found.start % 64);
        const quint64 to = ~quint64(0) >> (63 - (found.end - 1) % 64);
        if (first == last) {
            m_bits[size_t(first)] |= from & to;
            return;
        }
        m_bits[size_t(first)] |= from;
        std::fill(m_bits.begin() + first + 1, m_bits.begin() + last, ~quint64(0));
        m_bits[size_t(last)] |= to;
    }
    void clear()
    {
        m_list.clear();
        m_bits = {};
    }

    // Each find, in the order found; kept only when finds are kept one by one.
    QList<Found> &list() { return m_list; }
    bool isCover() const { return m_keep == Keep::Cover; }

    // Each mask, [start, end) in order, until `take` returns false: the finds that touch or
    // overlap joined.
    template<typename Take> void forEachMask(Take &&take)
    {
        if (m_keep == Keep::Cover) {
            for (qsizetype start = next(0, true); start < m_length;) {
                const qsizetype end = next(start, false);
                if (!take(start, end))
                    return;
                start = next(end, true);
            }
            return;
        }
        std::sort(m_list.begin(), m_list.end(),
                  [](const Found &a, const Found &b) { return a.start < b.start; });
        qsizetype i = 0;
        while (i < m_list.size()) {
            const qsizetype start = m_list.at(i).start;
            qsizetype end = m_list.at(i).end;
            for (++i; i < m_list.size() && m_list.at(i).start <= end; ++i)
                end = std::max(end, m_list.at(i).end);
            if (!take(start, end))
                return;
        }
    }

private:
    // The first position from `from` on whose bit is `set`, or the length.
    qsizetype next(qsizetype from, bool set) const
    {
        const qsizetype words = qsizetype(m_bits.size());
        qsizetype word = from / 64;
        if (word >= words)
            return m_length;
        quint64 bits
            = (set ? m_bits[size_t(word)] : ~m_bits[size_t(word)]) & (~quint64(0) << (from % 64));
        while (bits == 0) {
            if (++word == words)
                return m_length;
            bits = set ? m_bits[size_t(word)] : ~m_bits[size_t(word)];
        }
        return std::min(m_length, word * 64 + std::countr_zero(bits));
    }

    Keep m_keep;
    qsizetype m_length;
    QList<Found> m_list;
    std::vector<quint64> m_bits;
};

QString normalisedKeyword(QStringView keyword)
{
    QString out;
    bool space = false;
    for (const QChar c : keyword.trimmed()) {
        if (c.isSpace()) {
            space = true;
            continue;
        }
        if (space)
            out += u' ';
        space = false;
        out += c;
    }
    return out.toCaseFolded();
}

// Whether the normalised key is one of the names, normalised as keys are. Asked once per pair of
// a string, so each list is normalised once: the copy kept shares the list's data, and while it
// is the same data, it is the same names. Hashing a string costs more than the rest of reading
// its pair, so a key of a length no name has is not looked up.
bool isNamed(const QString &key, const QStringList &names)
{
    struct Normalised
    {
        QStringList names;
        QSet<QString> keys;
        quint64 lengths = 0; // bit n: a name n long, the last bit for every longer one
    };
    const auto lengthBit = [](qsizetype length) {
        return quint64(1) << std::min<qsizetype>(length, 63);
    };
    // Few lists are asked about: the catalogue's secret names and its non-text ones.
    thread_local QList<Normalised> cache;
    auto it = std::find_if(cache.begin(), cache.end(), [&](const Normalised &normalised) {
        return normalised.names.constData() == names.constData()
            && normalised.names.size() == names.size();
    });
    if (it == cache.end()) {
        if (cache.size() == 4)
            cache.removeFirst();
        Normalised normalised {names, {}};
        for (const QString &name : names) {
            const QString normalisedName = normalisedKeyword(name);
            normalised.keys.insert(normalisedName);
            normalised.lengths |= lengthBit(normalisedName.size());
        }
        cache.append(std::move(normalised));
        it = std::prev(cache.end());
    }
    return (it->lengths & lengthBit(key.size())) != 0 && it->keys.contains(key);
}

QStringView trimmedOfDelimiters(QStringView text)
{
    const auto delimiter = [](QChar c) {
        return c.isSpace() || isQuote(c) || c == u'{' || c == u'}';
    };
    while (!text.isEmpty() && delimiter(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && delimiter(text.back()))
        text.chop(1);
    return text;
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85)
        || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Past a value from its opening quote or brace at `start` to the `close` that ends it, as the
// parsers end it; an unclosed one runs to the end.
qsizetype enclosedEnd(QStringView text, qsizetype start, QChar close)
{
    return std::min(findClosing(text, start + 1, close) + 1, text.size());
}

// Adds what was found in a value to what is found in the text it stands in: the value starts
// at `base` there, written with every `doubled` character (a quote, or a closing brace) twice.
void addEscaped(Finds &out, Finds &&inner, QStringView value, qsizetype base,
                std::optional<QChar> doubled, Trim trim)
{
    // Every start and end in order, counted in one pass over the value: counting from the
    // value's start for each would cost its length per secret.
    qsizetype at = 0;
    qsizetype before = 0;
    const auto place = [&](qsizetype index) {
        if (doubled) {
            for (; at < index; ++at)
                before += value[at] == *doubled;
        }
        return base + index + before;
    };
    if (inner.isCover()) {
        inner.forEachMask([&](qsizetype start, qsizetype end) {
            const qsizetype outerStart = place(start);
            out.add(outerStart, place(end), {}, trim);
            return true;
        });
        return;
    }
    QList<Found> &finds = inner.list();
    std::vector<std::pair<qsizetype, qsizetype *>> ends;
    ends.reserve(2 * finds.size());
    for (Found &found : finds) {
        ends.emplace_back(found.start, &found.start);
        ends.emplace_back(found.end, &found.end);
    }
    std::sort(ends.begin(), ends.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[index, slot] : ends)
        *slot = place(index);
    for (Found &found : finds)
        out.add(std::move(found), trim);
}

void findNested(QStringView text, int depth, Finds &out, const ProviderCatalogue &catalogue);

enum class TextKind { Message, ConnectionString };
void findAssignments(QStringView text, TextKind kind, Finds &out,
                     const ProviderCatalogue &catalogue);

// Past the pieces after `end` that assign nothing: a password written with an undoubled `}`
// or an unquoted `;` goes on there, and a reader hands those pieces on as keys of their own.
// A piece of nothing but white space is a separator doubled, not part of a password.
qsizetype pastBarePieces(QStringView text, qsizetype end)
{
    while (end < text.size() && text[end] == u';') {
        qsizetype next = end + 1;
        while (next < text.size() && text[next] != u';' && text[next] != u'=')
            ++next;
        if (next < text.size() && text[next] == u'=')
            break;
        QStringView piece = text.sliced(end + 1, next - end - 1);
        while (!piece.isEmpty() && (piece.back().isSpace() || isQuote(piece.back())))
            piece.chop(1);
        if (piece.trimmed().isEmpty())
            break;
        end = end + 1 + piece.size();
        if (end < next)
            break;
    }
    return end;
}

// A quoted value's doubled quotes undone where the value stands, in a text the reading may
// change, and put back when the reading is done with it.
class UndoneInPlace
{
public:
    UndoneInPlace(char16_t *begin, qsizetype size, char16_t quote)
        : m_begin(begin)
        , m_size(size)
        , m_quote(quote)
    {
        const char16_t *from = begin;
        char16_t *to = begin;
        for (const char16_t *const end = begin + size; from != end; ++from) {
            *to++ = *from;
            // As written, every quote inside is doubled.
            if (*from == quote)
                ++from;
        }
        m_end = to;
    }
    ~UndoneInPlace()
    {
        char16_t *to = m_begin + m_size;
        for (const char16_t *from = m_end; from != m_begin;) {
            *--to = *--from;
            if (*from == m_quote)
                *--to = m_quote;
        }
    }
    UndoneInPlace(const UndoneInPlace &) = delete;
    UndoneInPlace &operator=(const UndoneInPlace &) = delete;

    QStringView value() const { return QStringView(m_begin, m_end); }

private:
    char16_t *m_begin;
    qsizetype m_size;
    char16_t m_quote;
    char16_t *m_end;
};

// Every pair of a connection string read from `text`, taken as it is read rather than kept: a
// string of millions of pairs costs no list of them. Throws FormatError, as the reading does.
// With `writable`, the text's own characters, a quoted value's doubling is undone where it
// stands rather than in a copy, so that a string that is one long value is not held twice; the
// text is as it was again when the reading is done.
void findInPairs(QStringView text, int depth, Finds &out, const ProviderCatalogue &catalogue,
                 Trim trim = nullptr, char16_t *writable = nullptr)
{
    ConnectionString::visitPairSpans(
        text,
        [&](QStringView keyword, QStringView value, const PairSpan &span) {
            const bool quoted = span.end > span.valueStart && isQuote(text[span.valueStart]);
            const std::optional<QChar> quote
                = quoted ? std::optional<QChar>(text[span.valueStart]) : std::nullopt;
            std::optional<UndoneInPlace> undone;
            if (writable && quoted && value.contains(*quote)) {
                undone.emplace(writable + span.valueStart + 1, value.size(), quote->unicode());
                value = undone->value();
            }
            if (isSecretKeyword(keyword, catalogue)) {
                if (!value.isEmpty())
                    out.add(span.valueStart, span.end, value, trim);
                return;
            }
            if (!value.contains(u'='))
                return;
            Finds inner = out.inner(value.size(), trim);
            findNested(value, depth + 1, inner, catalogue);
            addEscaped(out, std::move(inner), value, quoted ? span.valueStart + 1 : span.valueStart,
                       quote, trim);
        },
        writable ? ValueQuoting::AsWritten : ValueQuoting::Undone);
}

bool readsAsPairs(QStringView text)
{
    try {
        ConnectionString::visitPairSpans(
            text, [](QStringView, QStringView, const PairSpan &) {}, ValueQuoting::AsWritten);
    } catch (const FormatError &) {
        return false;
    }
    return true;
}

// A value of another property may hold a whole string of its own: ODBC attributes for the
// driver, or a provider's own connection string. It is read both ways and whatever either
// reading takes for a secret is hidden.
void findNested(QStringView text, int depth, Finds &out, const ProviderCatalogue &catalogue)
{
    if (!text.contains(u'='))
        return;
    if (depth > MaxDepth) {
        findAssignments(text, TextKind::ConnectionString, out, catalogue);
        return;
    }

    QSet<qsizetype> braces;
    // Each attribute as it is read: a value of millions of pieces costs no list of them.
    OdbcAttributes::visit(
        text, [&](QStringView key, const QString &value, const OdbcAttributes::ValueSpan &span) {
            if (span.braced) {
                braces.insert(span.start);
                if (span.closed)
                    braces.insert(span.end - 1);
            }
            if (isSecretKeyword(key, catalogue)) {
                qsizetype end = span.end;
                // The driver takes an opening quote as part of the password and stops at the first
                // `;`, but the writer meant everything up to the closing quote.
                if (!span.braced && span.end > span.start && isQuote(text[span.start]))
                    end = std::max(end, enclosedEnd(text, span.start, text[span.start]));
                // The reader drops what follows a closing brace; it may be the rest of a password
                // written without doubling its `}`. A closing quote of the string around is not.
                if (span.closed) {
                    const qsizetype separator = text.indexOf(u';', end);
                    qsizetype after = separator < 0 ? text.size() : separator;
                    while (after > end && (text[after - 1].isSpace() || isQuote(text[after - 1])))
                        --after;
                    end = after == separator ? pastBarePieces(text, separator) : after;
                }
                const qsizetype bare = span.braced ? (span.closed ? 2 : 1) : 0;
                if (!value.isEmpty() || end - span.start > bare)
                    out.add(span.start, end, value);
                return;
            }
            if (!value.contains(u'='))
                return;
            Finds inner = out.inner(value.size(), nullptr);
            findNested(value, depth + 1, inner, catalogue);
            addEscaped(out, std::move(inner), value, span.braced ? span.start + 1 : span.start,
                       span.braced ? std::optional<QChar>(u'}') : std::nullopt, nullptr);
        });

    // Read as pairs, a braced ODBC value may seem to end in its own closing brace; the driver
    // never takes that brace for part of the value, and hiding it would unbalance the string.
    // The reading is tried first, so that one failing halfway leaves nothing found behind.
    if (readsAsPairs(text))
        findInPairs(text, depth, out, catalogue, &braces);
}

bool endsKeyword(QChar c)
{
    static const QStringView boundaries = u";{}\"'=()[],<>";
    return boundaries.contains(c) || isLineBreak(c);
}

// Whether the words just before an `=` name a secret; in a sentence the keyword is the last
// words before it ("the string was PWD=...").
bool secretBefore(QStringView text, qsizetype assign, const ProviderCatalogue &catalogue)
{
    qsizetype begin = assign;
    const qsizetype limit = std::max<qsizetype>(0, assign - MaxKeywordLength);
    while (begin > limit && !endsKeyword(text[begin - 1]))
        --begin;
    const QStringView candidate = text.sliced(begin, assign - begin).trimmed();
    // Each run of the last words, longest first.
    const auto anyEnd = [&](auto &&is) {
        qsizetype word = 0;
        while (word < candidate.size()) {
            if (is(candidate.sliced(word)))
                return true;
            while (word < candidate.size() && !candidate[word].isSpace())
                ++word;
            while (word < candidate.size() && candidate[word].isSpace())
                ++word;
        }
        return false;
    };
    // A property that takes no text (Encrypt Password) owns its value, whatever the words
    // before it say.
    if (anyEnd([&](QStringView words) {
            return isNamed(normalisedKeyword(words), catalogue.nonTextPropertyNames());
        }))
        return false;
    return anyEnd([&](QStringView words) { return isSecretKeyword(words, catalogue); });
}

// Every secret-looking assignment in text that follows no syntax: a driver's message, or a
// connection string too malformed to read. Values run as either syntax would run them, and to
// the end of the line otherwise; in a connection string a bare value also takes the pieces
// after it that assign nothing, which is how a password holding `;` ends up written.
void findAssignments(QStringView text, TextKind kind, Finds &out,
                     const ProviderCatalogue &catalogue)
{
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype assign = text.indexOf(u'=', pos);
        if (assign < 0)
            break;
        pos = assign + 1;
        if (!secretBefore(text, assign, catalogue))
            continue;
        qsizetype start = assign + 1;
        while (start < text.size() && text[start].isSpace() && !isLineBreak(text[start]))
            ++start;
        if (start >= text.size())
            break;
        qsizetype end;
        if (text[start] == u'{') {
            end = enclosedEnd(text, start, u'}');
            if (kind == TextKind::ConnectionString)
                end = pastBarePieces(text, end);
        } else if (isQuote(text[start])) {
            end = enclosedEnd(text, start, text[start]);
        } else {
            end = start;
            while (true) {
                while (end < text.size() && text[end] != u';' && !isLineBreak(text[end]))
                    ++end;
                if (kind != TextKind::ConnectionString || end >= text.size() || text[end] != u';')
                    break;
                qsizetype next = end + 1;
                while (next < text.size() && text[next] != u';' && text[next] != u'=')
                    ++next;
                if (next < text.size() && text[next] == u'=')
                    break;
                end = next;
            }
            while (end > start && text[end - 1].isSpace())
                --end;
        }
        if (end > start) {
            out.add(start, end, text.sliced(start, end - start));
            pos = end;
        }
    }
}

// The part of the text from `from` to `to` with every secret in it masked; a secret that runs
// across either end is masked as far as the part goes.
template<typename Write>
void applyMask(QStringView text, Finds &found, qsizetype from, qsizetype to, Write &&write)
{
    const QString mask = secretMask();
    qsizetype copied = from;
    found.forEachMask([&](qsizetype start, qsizetype end) {
        if (end <= copied)
            return true;
        if (start >= to)
            return false;
        write(text.sliced(copied, std::max(start, copied) - copied));
        write(QStringView(mask));
        copied = std::min(end, to);
        return true;
    });
    write(text.sliced(copied, to - copied));
}

QString applyMask(QStringView text, Finds &found, qsizetype from, qsizetype to)
{
    QString out;
    out.reserve(to - from);
    applyMask(text, found, from, to, [&out](QStringView part) { out += part; });
    return out;
}

QString applyMask(QStringView text, Finds &found)
{
    return applyMask(text, found, 0, text.size());
}

// With `writable`, as findInPairs takes it.
Finds findInConnectionString(QStringView text, const ProviderCatalogue &catalogue,
                             char16_t *writable = nullptr)
{
    Finds found(Finds::Keep::Cover, text.size());
    try {
        findInPairs(text, 0, found, catalogue, nullptr, writable);
    } catch (const FormatError &) {
        // What the pairs before the fault gave is found again below.
        found.clear();
        findNested(text, 0, found, catalogue);
        findAssignments(text, TextKind::ConnectionString, found, catalogue);
    }
    return found;
}

} // namespace

QString secretMask()
{
    return QStringLiteral("********");
}

bool isSecretKeyword(QStringView keyword, const ProviderCatalogue &catalogue)
{
    const QString key = normalisedKeyword(keyword);
    if (key.isEmpty())
        return false;
    // PWD2 and PWD3 carry the second and third factor for some drivers; tokens and client
    // secrets log on as a password does.
    QStringView stem = key;
    while (!stem.isEmpty() && stem.back().isDigit())
        stem.chop(1);
    if (isNamed(key, catalogue.secretPropertyNames()))
        return true;
    const bool looksSecret = key.contains(u"password") || key.contains(u"passwd")
        || key.contains(u"secret") || stem.endsWith(u"pwd") || key.endsWith(u"token");
    // A flag or a number holds no secret, whatever its name says (Encrypt Password).
    return looksSecret && !isNamed(key, catalogue.nonTextPropertyNames());
}

QString maskConnectionString(QStringView text, const ProviderCatalogue &catalogue)
{
    Finds found = findInConnectionString(text, catalogue);
    return applyMask(text, found);
}

void maskConnectionString(QString &text, const ProviderCatalogue &catalogue,
                          const std::function<void(QStringView)> &write)
{
    auto *const writable = reinterpret_cast<char16_t *>(text.data());
    Finds found = findInConnectionString(text, catalogue, writable);
    applyMask(text, found, 0, text.size(), write);
}

QString maskValue(QStringView keyword, QStringView value, const ProviderCatalogue &catalogue)
{
    if (isSecretKeyword(keyword, catalogue))
        return value.isEmpty() ? QString() : secretMask();
    Finds found(Finds::Keep::Cover, value.size());
    findNested(value, 1, found, catalogue);
    return applyMask(value, found);
}

QString maskConnectionString(QStringView text, qsizetype from, qsizetype to,
                             const ProviderCatalogue &catalogue)
{
    from = std::clamp<qsizetype>(from, 0, text.size());
    to = std::clamp<qsizetype>(to, from, text.size());
    Finds found = findInConnectionString(text, catalogue);
    return applyMask(text, found, from, to);
}

QStringList secretsOf(const ConnectionString &connection, const ProviderCatalogue &catalogue)
{
    QStringList secrets;
    for (const KeywordValue &pair : connection.pairs()) {
        if (isSecretKeyword(pair.keyword, catalogue)) {
            secrets.append(pair.value);
            // An ODBC keyword (PWD) hands the driver its value as an ODBC string reads it, braces
            // undone; the driver echoes that form.
            const QString read = OdbcAttributes::read(pair.value);
            if (read != pair.value)
                secrets.append(read);
            continue;
        }
        Finds nested(Finds::Keep::Values, pair.value.size());
        findNested(pair.value, 1, nested, catalogue);
        for (const Found &found : std::as_const(nested.list())) {
            secrets.append(found.value);
            const QStringView raw
                = QStringView(pair.value).sliced(found.start, found.end - found.start);
            secrets.append(raw.toString());
            // The driver may take only the first piece of a password that holds `;` and
            // echo the rest as keys of their own; pieces too short to tell from ordinary words
            // are left to the masking of assignments.
            for (const QStringView piece : raw.split(u';')) {
                const QStringView word = trimmedOfDelimiters(piece);
                if (word.size() >= MinPieceLength)
                    secrets.append(word.toString());
            }
        }
    }
    // A value the dialog shows in a field (the user name) stays readable wherever a message
    // repeats it, even when a password equals it: hiding it would hide which log-on failed and
    // tell an onlooker that the two are the same. An assignment to a secret keyword is still
    // masked, whatever its value.
    QStringList shown;
    for (const KeywordValue &pair : connection.pairs()) {
        if (isSecretKeyword(pair.keyword, catalogue))
            continue;
        shown.append(pair.value);
        if (!pair.value.contains(u'='))
            continue;
        const OdbcAttributes nested = OdbcAttributes::parse(pair.value);
        for (const OdbcAttributes::Attribute &attribute : nested.attributes()) {
            if (!isSecretKeyword(attribute.key, catalogue))
                shown.append(attribute.value);
        }
    }
    secrets.removeIf(
        [&](const QString &secret) { return shown.contains(secret, Qt::CaseInsensitive); });
    // A driver may echo a secret escaped the way the string it received escapes it.
    const qsizetype plain = secrets.size();
    for (qsizetype i = 0; i < plain; ++i) {
        for (const QChar special : {QChar(u'}'), QChar(u'"'), QChar(u'\'')}) {
            if (secrets.at(i).contains(special))
                secrets.append(QString(secrets.at(i)).replace(special, QString(2, special)));
        }
    }
    secrets.removeAll(QString());
    secrets.removeDuplicates();
    return secrets;
}

QString maskSecrets(QStringView text, const QStringList &secrets,
                    const ProviderCatalogue &catalogue)
{
    // A message echoes a secret as a token of its own: the value of an assignment, in quotes or
    // braces, or a word. The same letters inside a word are the message's own ("x" in "exist").
    const auto isWord = [](QChar c) {
        return c.isLetterOrNumber() || c == u'_';
    };
    Finds found(Finds::Keep::Cover, text.size());
    for (const QString &secret : secrets) {
        if (secret.isEmpty())
            continue;
        for (qsizetype at = text.indexOf(secret, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(secret, at + 1, Qt::CaseInsensitive)) {
            const qsizetype end = at + secret.size();
            const bool joinedBefore = at > 0 && isWord(text[at - 1]) && isWord(secret.front());
            const bool joinedAfter
                = end < text.size() && isWord(text[end]) && isWord(secret.back());
            if (!joinedBefore && !joinedAfter)
                found.add(at, end, {});
        }
    }
    findAssignments(text, TextKind::Message, found, catalogue);
    return applyMask(text, found);
}

} // namespace oledb
