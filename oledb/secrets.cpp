#include "oledb/secrets.h"

#include "oledb/connectionstring.h"
#include "oledb/formaterror.h"
#include "oledb/odbcattributes.h"
#include "oledb/providercatalogue.h"
#include "oledb/quoting.h"

#include <QSet>

#include <algorithm>
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
using FoundList = QList<Found>;

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

bool declaredSecret(const QString &key, const ProviderCatalogue &catalogue)
{
    // Asked once per pair of a string, so the names are normalised once per list of them. The
    // copy kept shares the list's data: while it is the same data, it is the same names.
    struct Normalised
    {
        QStringList names;
        QSet<QString> keys;
    };
    thread_local Normalised cache;
    const QStringList &names = catalogue.secretPropertyNames();
    if (names.constData() != cache.names.constData() || names.size() != cache.names.size()) {
        cache.names = names;
        cache.keys.clear();
        for (const QString &name : names)
            cache.keys.insert(normalisedKeyword(name));
    }
    return cache.keys.contains(key);
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
void addEscaped(FoundList &out, FoundList inner, QStringView value, qsizetype base,
                std::optional<QChar> doubled)
{
    if (!doubled) {
        for (Found &found : inner)
            out.append({base + found.start, base + found.end, std::move(found.value)});
        return;
    }
    // Every start and end in order, counted in one pass over the value: counting from the
    // value's start for each would cost its length per secret.
    std::vector<std::pair<qsizetype, qsizetype *>> ends;
    ends.reserve(2 * inner.size());
    for (Found &found : inner) {
        ends.emplace_back(found.start, &found.start);
        ends.emplace_back(found.end, &found.end);
    }
    std::sort(ends.begin(), ends.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    qsizetype at = 0;
    qsizetype before = 0;
    for (const auto &[index, slot] : ends) {
        for (; at < index; ++at)
            before += value[at] == *doubled;
        *slot = base + index + before;
    }
    for (Found &found : inner)
        out.append(std::move(found));
}

void findNested(QStringView text, int depth, FoundList &out, const ProviderCatalogue &catalogue);

enum class TextKind { Message, ConnectionString };
void findAssignments(QStringView text, TextKind kind, FoundList &out,
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

// Every pair of a connection string read from `text`, taken as it is read rather than kept: a
// string of millions of pairs costs no list of them. Throws FormatError, as the reading does.
void findInPairs(QStringView text, int depth, FoundList &out, const ProviderCatalogue &catalogue)
{
    ConnectionString::visitPairSpans(
        text, [&](QStringView keyword, QStringView value, const PairSpan &span) {
            if (isSecretKeyword(keyword, catalogue)) {
                if (!value.isEmpty())
                    out.append({span.valueStart, span.end, value.toString()});
                return;
            }
            if (!value.contains(u'='))
                return;
            FoundList inner;
            findNested(value, depth + 1, inner, catalogue);
            const bool quoted = span.end > span.valueStart && isQuote(text[span.valueStart]);
            addEscaped(out, std::move(inner), value, quoted ? span.valueStart + 1 : span.valueStart,
                       quoted ? std::optional<QChar>(text[span.valueStart]) : std::nullopt);
        });
}

// A value of another property may hold a whole string of its own: ODBC attributes for the
// driver, or a provider's own connection string. It is read both ways and whatever either
// reading takes for a secret is hidden.
void findNested(QStringView text, int depth, FoundList &out, const ProviderCatalogue &catalogue)
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
                    out.append({span.start, end, value});
                return;
            }
            if (!value.contains(u'='))
                return;
            FoundList inner;
            findNested(value, depth + 1, inner, catalogue);
            addEscaped(out, std::move(inner), value, span.braced ? span.start + 1 : span.start,
                       span.braced ? std::optional<QChar>(u'}') : std::nullopt);
        });

    FoundList asPairs;
    try {
        findInPairs(text, depth, asPairs, catalogue);
    } catch (const FormatError &) {
        return;
    }
    // Read as pairs, a braced ODBC value may seem to end in its own closing brace; the driver
    // never takes that brace for part of the value, and hiding it would unbalance the string.
    for (Found found : std::as_const(asPairs)) {
        while (found.end > found.start && braces.contains(found.end - 1))
            --found.end;
        while (found.start < found.end && braces.contains(found.start))
            ++found.start;
        if (found.end > found.start)
            out.append(found);
    }
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
    qsizetype word = 0;
    while (word < candidate.size()) {
        if (isSecretKeyword(candidate.sliced(word), catalogue))
            return true;
        while (word < candidate.size() && !candidate[word].isSpace())
            ++word;
        while (word < candidate.size() && candidate[word].isSpace())
            ++word;
    }
    return false;
}

// Every secret-looking assignment in text that follows no syntax: a driver's message, or a
// connection string too malformed to read. Values run as either syntax would run them, and to
// the end of the line otherwise; in a connection string a bare value also takes the pieces
// after it that assign nothing, which is how a password holding `;` ends up written.
void findAssignments(QStringView text, TextKind kind, FoundList &out,
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
            out.append({start, end, text.sliced(start, end - start).toString()});
            pos = end;
        }
    }
}

// The part of the text from `from` to `to` with every secret in it masked; a secret that runs
// across either end is masked as far as the part goes.
template<typename Write>
void applyMask(QStringView text, FoundList found, qsizetype from, qsizetype to, Write &&write)
{
    std::sort(found.begin(), found.end(),
              [](const Found &a, const Found &b) { return a.start < b.start; });
    const QString mask = secretMask();
    qsizetype copied = from;
    qsizetype i = 0;
    while (i < found.size()) {
        const qsizetype start = found.at(i).start;
        qsizetype end = found.at(i).end;
        // Overlapping or touching finds become one mask, so no length shows through.
        for (++i; i < found.size() && found.at(i).start <= end; ++i)
            end = std::max(end, found.at(i).end);
        if (end <= copied)
            continue;
        if (start >= to)
            break;
        write(text.sliced(copied, std::max(start, copied) - copied));
        write(QStringView(mask));
        copied = std::min(end, to);
    }
    write(text.sliced(copied, to - copied));
}

QString applyMask(QStringView text, FoundList found, qsizetype from, qsizetype to)
{
    QString out;
    out.reserve(to - from);
    applyMask(text, std::move(found), from, to, [&out](QStringView part) { out += part; });
    return out;
}

QString applyMask(QStringView text, FoundList found)
{
    if (found.isEmpty())
        return text.toString();
    return applyMask(text, std::move(found), 0, text.size());
}

FoundList findInConnectionString(QStringView text, const ProviderCatalogue &catalogue)
{
    FoundList found;
    try {
        findInPairs(text, 0, found, catalogue);
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
    return declaredSecret(key, catalogue) || key.contains(u"password") || key.contains(u"passwd")
        || key.contains(u"secret") || stem.endsWith(u"pwd") || key.endsWith(u"token");
}

QString maskConnectionString(QStringView text, const ProviderCatalogue &catalogue)
{
    return applyMask(text, findInConnectionString(text, catalogue));
}

void maskConnectionString(QStringView text, const ProviderCatalogue &catalogue,
                          const std::function<void(QStringView)> &write)
{
    applyMask(text, findInConnectionString(text, catalogue), 0, text.size(), write);
}

QString maskValue(QStringView keyword, QStringView value, const ProviderCatalogue &catalogue)
{
    if (isSecretKeyword(keyword, catalogue))
        return value.isEmpty() ? QString() : secretMask();
    FoundList found;
    findNested(value, 1, found, catalogue);
    return applyMask(value, std::move(found));
}

QString maskConnectionString(QStringView text, qsizetype from, qsizetype to,
                             const ProviderCatalogue &catalogue)
{
    from = std::clamp<qsizetype>(from, 0, text.size());
    to = std::clamp<qsizetype>(to, from, text.size());
    return applyMask(text, findInConnectionString(text, catalogue), from, to);
}

QStringList secretsOf(const ConnectionString &connection, const ProviderCatalogue &catalogue)
{
    QStringList secrets;
    for (const KeywordValue &pair : connection.pairs()) {
        if (isSecretKeyword(pair.keyword, catalogue)) {
            secrets.append(pair.value);
            // An ODBC keyword (PWD) hands the driver its value as an ODBC string reads it, braces
            // undone; the driver echoes that form.
            if (pair.value.trimmed().startsWith(u'{')) {
                const QString attribute = QStringLiteral("k=") + pair.value;
                const OdbcAttributes read = OdbcAttributes::parse(attribute);
                if (!read.attributes().isEmpty() && read.attributes().first().value != pair.value)
                    secrets.append(read.attributes().first().value);
            }
            continue;
        }
        FoundList nested;
        findNested(pair.value, 1, nested, catalogue);
        for (const Found &found : std::as_const(nested)) {
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
    FoundList found;
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
                found.append({at, end, secret});
        }
    }
    findAssignments(text, TextKind::Message, found, catalogue);
    return applyMask(text, std::move(found));
}

} // namespace oledb
