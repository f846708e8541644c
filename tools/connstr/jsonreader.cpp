#include "tools/connstr/jsonreader.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <QChar>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <new>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>

namespace connstr {

namespace {

// RapidJSON 1.1.0 decodes JSON's escapes and UTF-8 itself, but not the escape of a lone
// surrogate, which JSON allows and a QString holds: it refuses a high one and asserts on a low
// one. Nor does it read a number beyond a double's range, even with kParseNumbersAsStringsFlag.
// The stream below shows the reader a version of the input that it can read, decided a byte at a
// time, so that nothing depends on where a read from the pipe ends:
// - every \uD800-\uDFFF escape in a string becomes `mark` and five bytes that carry the unit, of
//   the same length, which the source encoding below decodes to the unit; a pair so marked comes
//   out as the same two units RapidJSON would give. A raw `mark` byte, never valid UTF-8, is
//   shown as another byte that is not either.
// - a number keeps at most 19 digits before its point and 2 in its exponent. No command reads
//   a number (every number is either ignored or in the wrong place), so only its form matters.
constexpr unsigned char mark = 0xf8;
constexpr int integerDigitsKept = 19;
constexpr int exponentDigitsKept = 2;

// UTF-8 and the marked surrogates.
struct Utf8WithSurrogates : rapidjson::UTF8<char>
{
    template<typename InputStream> static bool Decode(InputStream &in, unsigned *codepoint)
    {
        const auto c = static_cast<unsigned char>(in.Peek());
        // RapidJSON's decoder is too large to be inlined, so the test for ASCII it starts with
        // is made here too, and most characters never call it.
        if (c < 0x80) {
            *codepoint = c;
            in.Take();
            return true;
        }
        if (c != mark)
            return rapidjson::UTF8<char>::Decode(in, codepoint);
        in.Take();
        const unsigned high = static_cast<unsigned char>(in.Take()) & 0x3f;
        const unsigned low = static_cast<unsigned char>(in.Take()) & 0x3f;
        for (int padding = 0; padding < 3; ++padding)
            in.Take();
        *codepoint = 0xd800 | high << 6 | low;
        return true;
    }
};

// UTF-16 that keeps a surrogate the input gave on its own as the unit it is.
struct Utf16Units : rapidjson::UTF16<char16_t>
{
    template<typename OutputStream> static void Encode(OutputStream &out, unsigned codepoint)
    {
        if (QChar::isSurrogate(codepoint))
            out.Put(char16_t(codepoint));
        else
            rapidjson::UTF16<char16_t>::Encode(out, codepoint);
    }
};

// RapidJSON writes through what its allocator returns without looking.
class ThrowingAllocator
{
public:
    // Part of RapidJSON's allocator concept, which its reader's stack never asks about.
    [[maybe_unused]] static constexpr bool kNeedFree = true;

    void *Malloc(size_t size) { return size ? checked(std::malloc(size)) : nullptr; }
    void *Realloc(void *block, size_t, size_t size)
    {
        if (size == 0) {
            std::free(block);
            return nullptr;
        }
        return checked(std::realloc(block, size));
    }
    static void Free(void *block) { std::free(block); }

private:
    static void *checked(void *block)
    {
        if (!block)
            throw std::bad_alloc();
        return block;
    }
};

// What the reader is shown of the raw input (see above).
class Presenter
{
public:
    // Appends what `size` raw bytes show to `out`, which has room for size + 6 bytes, and
    // returns where that ends. What the last bytes show may wait for the next call.
    char *present(const char *raw, qsizetype size, char *out);
    // What is still waiting at the end of the input.
    char *finish(char *out);

    // Raw bytes left out before the shown byte `at` (counted from the start), for offsets: of
    // the bytes shown since `forgetBefore` was last called. Free of side effects, so that the
    // reader's offsets for messages it will not give cost nothing.
    qint64 droppedBefore(qint64 at) const
    {
        if (at < m_nextDrop)
            return m_dropped;
        const auto after
            = std::upper_bound(m_drops.begin(), m_drops.end(), at,
                               [](qint64 shown, const Drop &drop) { return shown < drop.at; });
        return std::prev(after)->total;
    }
    void forgetBefore(qint64 at);

private:
    enum class State : quint8 {
        Between,
        InString,
        Escape,
        EscapeHex, // `m_count` hex digits of a \u escape read
        Minus,
        Zero,
        Integer, // `m_count` digits kept
        Fraction,
        ExponentStart,
        Exponent, // `m_count` digits read
    };

    char *drop(char *out);
    char *releaseEscape(char *out);

    State m_state = State::Between;
    int m_count = 0;
    char m_hex[4] = {};
    qint64 m_shown = 0; // bytes shown before the current call's output
    const char *m_outStart = nullptr;
    struct Drop
    {
        qint64 at; // the shown byte before which they were left out
        qint64 total;
    };
    std::deque<Drop> m_drops;
    qint64 m_nextDrop = std::numeric_limits<qint64>::max(); // where the first in m_drops is
    qint64 m_dropped = 0; // by the drops before the last offset asked for
    qint64 m_droppedTotal = 0;
};

constexpr bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(unsigned char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes a string's run of ordinary characters ends at.
constexpr auto stringStops = [] {
    std::array<bool, 256> stops {};
    stops['"'] = stops['\\'] = stops[mark] = true;
    return stops;
}();

char *Presenter::drop(char *out)
{
    const qint64 at = m_shown + (out - m_outStart);
    ++m_droppedTotal;
    if (!m_drops.empty() && m_drops.back().at == at)
        m_drops.back().total = m_droppedTotal;
    else
        m_drops.push_back({at, m_droppedTotal});
    m_nextDrop = m_drops.front().at;
    return out;
}

void Presenter::forgetBefore(qint64 at)
{
    while (!m_drops.empty() && m_drops.front().at <= at) {
        m_dropped = m_drops.front().total;
        m_drops.pop_front();
    }
    m_nextDrop = m_drops.empty() ? std::numeric_limits<qint64>::max() : m_drops.front().at;
}

// A \u escape that is not a surrogate's, or is cut short, goes to the reader as it came.
char *Presenter::releaseEscape(char *out)
{
    *out++ = '\\';
    *out++ = 'u';
    for (int i = 0; i < m_count; ++i)
        *out++ = m_hex[i];
    m_state = State::InString;
    return out;
}

char *Presenter::present(const char *raw, qsizetype size, char *out)
{
    m_outStart = out;
    const auto *at = reinterpret_cast<const unsigned char *>(raw);
    const auto *const end = at + size;
    while (at != end) {
        const unsigned char c = *at;
        switch (m_state) {
        case State::Between:
            ++at;
            *out++ = char(c);
            if (c == '"')
                m_state = State::InString;
            else if (c == '-')
                m_state = State::Minus;
            else if (c == '0')
                m_state = State::Zero;
            else if (isDigit(c))
                m_state = State::Integer, m_count = 1;
            continue;
        case State::InString: {
            const unsigned char *stop = at;
            while (stop != end && !stringStops[*stop])
                ++stop;
            std::memcpy(out, at, size_t(stop - at));
            out += stop - at;
            at = stop;
            if (at == end)
                continue;
            ++at;
            if (*stop == '\\') {
                m_state = State::Escape;
            } else if (*stop == mark) {
                *out++ = char(0xff);
            } else {
                *out++ = '"';
                m_state = State::Between;
            }
            continue;
        }
        case State::Escape:
            ++at;
            if (c == 'u') {
                m_state = State::EscapeHex;
                m_count = 0;
            } else {
                *out++ = '\\';
                *out++ = char(c);
                m_state = State::InString;
            }
            continue;
        case State::EscapeHex:
            if (hexValue(c) < 0) {
                out = releaseEscape(out);
                continue;
            }
            ++at;
            m_hex[m_count++] = char(c);
            if (m_count < 4)
                continue;
            {
                unsigned unit = 0;
                for (const char digit : m_hex)
                    unit = unit << 4 | unsigned(hexValue(static_cast<unsigned char>(digit)));
                if (!QChar::isSurrogate(unit)) {
                    out = releaseEscape(out);
                    continue;
                }
                *out++ = char(mark);
                *out++ = char(0x80 | ((unit >> 6) & 0x1f));
                *out++ = char(0x80 | (unit & 0x3f));
                for (int padding = 0; padding < 3; ++padding)
                    *out++ = char(0x80);
                m_state = State::InString;
            }
            continue;
        case State::Minus:
            m_state = State::Between;
            if (isDigit(c)) {
                ++at;
                *out++ = char(c);
                m_state = c == '0' ? State::Zero : State::Integer;
                m_count = 1;
            }
            continue;
        case State::Integer:
            if (isDigit(c)) {
                ++at;
                if (m_count < integerDigitsKept) {
                    *out++ = char(c);
                    ++m_count;
                } else {
                    out = drop(out);
                }
                continue;
            }
            [[fallthrough]];
        case State::Zero:
            m_state = State::Between;
            if (c == '.' || c == 'e' || c == 'E') {
                ++at;
                *out++ = char(c);
                m_state = c == '.' ? State::Fraction : State::ExponentStart;
            }
            continue;
        case State::Fraction:
            if (isDigit(c)) {
                ++at;
                *out++ = char(c);
                continue;
            }
            m_state = State::Between;
            if (c == 'e' || c == 'E') {
                ++at;
                *out++ = char(c);
                m_state = State::ExponentStart;
            }
            continue;
        case State::ExponentStart:
            m_state = State::Exponent;
            m_count = 0;
            if (c == '+' || c == '-') {
                ++at;
                *out++ = char(c);
            }
            continue;
        case State::Exponent:
            if (!isDigit(c)) {
                m_state = State::Between;
                continue;
            }
            ++at;
            if (m_count++ < exponentDigitsKept)
                *out++ = char(c);
            else
                out = drop(out);
            continue;
        }
    }
    m_shown += out - m_outStart;
    return out;
}

char *Presenter::finish(char *out)
{
    m_outStart = out;
    if (m_state == State::EscapeHex)
        out = releaseEscape(out);
    else if (m_state == State::Escape)
        *out++ = '\\';
    m_state = State::Between;
    m_shown += out - m_outStart;
    return out;
}

// A RapidJSON input stream over a file descriptor, through the Presenter. Unlike RapidJSON's own
// it tells a NUL byte in the input from the end of the input, both of which read as '\0'.
class InputStream
{
public:
    using Ch = char;

    explicit InputStream(int fd)
        : m_fd(fd)
    {
        refill();
    }

    Ch Peek() const { return m_current != m_end ? *m_current : '\0'; }
    Ch Take()
    {
        if (m_current == m_end)
            return '\0';
        const Ch c = *m_current++;
        if (m_current == m_end)
            refill();
        return c;
    }
    // The offset in the raw input, for messages.
    size_t Tell() const
    {
        const qint64 shown = m_consumed + (m_current - m_view);
        return size_t(shown + m_presenter.droppedBefore(shown));
    }
    bool atEnd() const { return m_current == m_end; }
    // The error of a read that failed, or 0.
    int failure() const { return m_failure; }

    // Required by the concept, never called by a reader.
    Ch *PutBegin() { return nullptr; }
    void Put(Ch) { }
    void Flush() { }
    size_t PutEnd(Ch *) { return 0; }

private:
    void refill()
    {
        m_consumed += m_end - m_view;
        m_current = m_end = m_view;
        // The reader asks only where it is.
        m_presenter.forgetBefore(m_consumed);
        // Until something is shown: a read of digits left out shows nothing.
        while (m_end == m_view && !m_ended) {
            ssize_t count;
            do
                count = ::read(m_fd, m_raw, sizeof m_raw);
            while (count < 0 && errno == EINTR);
            if (count < 0)
                m_failure = errno;
            if (count <= 0) {
                m_ended = true;
                m_end = m_presenter.finish(m_view);
            } else {
                m_end = m_presenter.present(m_raw, count, m_view);
            }
        }
    }

    int m_fd;
    Presenter m_presenter;
    qint64 m_consumed = 0; // shown bytes before m_view
    int m_failure = 0;
    bool m_ended = false;
    char *m_current = m_view;
    char *m_end = m_view;
    char m_raw[64 * 1024];
    char m_view[sizeof m_raw + 8];
};

// A string of the input moved out of the reader's buffer, where it stays only until the handler
// returns, without being held twice on the way: each part is given back to the system as soon
// as it is copied. The buffer is the reader's stack, which past its top holds nothing the reader
// will read again; those pages simply read as zeros when it next grows into them.
QString takeString(const char16_t *chars, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    auto *const to = reinterpret_cast<char16_t *>(text.data());
    const auto page = quintptr(::sysconf(_SC_PAGESIZE));
    constexpr qsizetype part = 32 * 1024;
    // Whole pages only: the first and the last may hold something else.
    quintptr released = (quintptr(chars) + page - 1) & ~(page - 1);
    for (qsizetype at = 0; at < size; at += part) {
        const qsizetype count = std::min(part, size - at);
        std::memcpy(to + at, chars + at, size_t(count) * sizeof(char16_t));
        const quintptr copied = quintptr(chars + at + count) & ~(page - 1);
        if (copied > released) {
            ::madvise(reinterpret_cast<void *>(released), copied - released, MADV_DONTNEED);
            released = copied;
        }
    }
    return text;
}

enum class Shape { Strings, PairLists, EditRequests };

// Follows the reader's events through the outer array and hands over each complete element.
// Only what a command reads is kept: anything else that may stand in a request is skipped as it
// is read, and anything else at all stops the reading at once. Strings arrive in UTF-16, the
// connection-string engine's own form, so a string element is never held twice.
class Handler : public rapidjson::BaseReaderHandler<Utf16Units, Handler>
{
public:
    using Ch = char16_t;

    Handler(Shape shape, bool takeStrings, std::function<void(Handler &)> deliver)
        : m_shape(shape)
        , m_takeStrings(takeStrings)
        , m_deliver(std::move(deliver))
    { }

    std::optional<UnusableInput> unusable;

    // The element just completed.
    qsizetype index = 0;
    QStringView text;
    // The same taken out of the reader's buffer, when the strings are taken.
    QString takenText;
    oledb::KeywordValueList pairs;
    EditRequest request;

    bool StartArray() { return open(true); }
    bool StartObject() { return open(false); }
    bool EndArray(rapidjson::SizeType) { return close(); }
    bool EndObject(rapidjson::SizeType) { return close(); }

    bool Key(const Ch *name, rapidjson::SizeType length, bool)
    {
        if (m_at == At::Request) {
            const QStringView key(name, length);
            m_key = key == u"string" ? Field::String
                : key == u"set"      ? Field::Set
                : key == u"remove"   ? Field::Remove
                                     : Field::Other;
        }
        return true;
    }

    bool String(const Ch *chars, rapidjson::SizeType length, bool copy)
    {
        // Read from a stream, not in place: every string stands in the reader's stack.
        Q_ASSERT(copy);
        const QStringView view(chars, length);
        switch (m_at) {
        case At::Items:
            if (m_shape != Shape::Strings)
                return wrongShape();
            if (!m_takeStrings) {
                text = view;
                return deliver();
            }
            takenText = takeString(chars, length);
            text = takenText;
            deliver();
            // Not kept while the next is taken.
            takenText = QString();
            return true;
        case At::Pair:
            if (m_parts == 2)
                return wrongShape();
            (m_parts++ == 0 ? m_keyword : m_value) = view.toString();
            return true;
        case At::Request:
            if (m_key == Field::String) {
                request.text = takeString(chars, length);
                m_hasText = true;
                return true;
            }
            return m_key == Field::Other || wrongShape();
        case At::Removals:
            request.edits.remove(view);
            return true;
        case At::Skipping:
            return true;
        default:
            return wrongShape();
        }
    }

    // No command reads a number, a boolean or null: they are ignored or in the wrong place.
    bool Default()
    {
        return m_at == At::Skipping || (m_at == At::Request && m_key == Field::Other)
            || wrongShape();
    }

private:
    // Where the next value goes.
    enum class At : quint8 {
        Top, // before the outer array
        Items, // the outer array
        Pairs, // a list of pairs, an element of its own or a request's "set"
        Pair,
        Request,
        Removals, // a request's "remove"
        Skipping, // a value a request ignores, `m_skipping` levels deep
        Done,
    };
    enum class Field : quint8 { String, Set, Remove, Other };

    bool open(bool array)
    {
        if (++m_depth > nestingLimit) {
            unusable = UnusableInput {
                QStringLiteral("standard input nests arrays and objects deeper than %1 levels, "
                               "the most this tool reads")
                    .arg(nestingLimit)};
            return false;
        }
        switch (m_at) {
        case At::Top:
            if (!array)
                return wrongShape();
            m_at = At::Items;
            return true;
        case At::Items:
            if (m_shape == Shape::PairLists && array) {
                pairs.clear();
                m_at = At::Pairs;
                return true;
            }
            if (m_shape == Shape::EditRequests && !array) {
                request = EditRequest();
                m_hasText = false;
                m_key = Field::Other;
                m_at = At::Request;
                return true;
            }
            return wrongShape();
        case At::Pairs:
            if (!array)
                return wrongShape();
            m_parts = 0;
            m_at = At::Pair;
            return true;
        case At::Request:
            if (m_key == Field::Other) {
                m_skipping = 1;
                m_at = At::Skipping;
                return true;
            }
            if (!array || m_key == Field::String)
                return wrongShape();
            if (m_key == Field::Set) {
                request.edits.clearSets();
                m_at = At::Pairs;
            } else {
                request.edits.clearRemovals();
                m_at = At::Removals;
            }
            return true;
        case At::Skipping:
            ++m_skipping;
            return true;
        default:
            return wrongShape();
        }
    }

    bool close()
    {
        --m_depth;
        switch (m_at) {
        case At::Items:
            m_at = At::Done;
            return true;
        case At::Pairs:
            if (m_shape == Shape::EditRequests) {
                m_at = At::Request;
                return true;
            }
            m_at = At::Items;
            return deliver();
        case At::Pair:
            if (m_parts != 2)
                return wrongShape();
            if (m_shape == Shape::EditRequests)
                request.edits.set(m_keyword, m_value);
            else
                pairs.append({std::move(m_keyword), std::move(m_value)});
            m_at = At::Pairs;
            return true;
        case At::Request:
            if (!m_hasText)
                return wrongShape();
            m_at = At::Items;
            return deliver();
        case At::Removals:
            m_at = At::Request;
            return true;
        case At::Skipping:
            if (--m_skipping == 0)
                m_at = At::Request;
            return true;
        default:
            return wrongShape();
        }
    }

    bool deliver()
    {
        m_deliver(*this);
        ++index;
        return true;
    }

    bool wrongShape()
    {
        QString message;
        if (m_at == At::Top) {
            message = m_shape == Shape::Strings ? QStringLiteral("expected a JSON array of strings")
                : m_shape == Shape::PairLists
                ? QStringLiteral("expected a JSON array of [keyword, value] pair lists")
                : QStringLiteral("expected a JSON array of edit requests");
        } else if (m_shape == Shape::Strings) {
            message = QStringLiteral("item %1 is not a string").arg(index);
        } else if (m_shape == Shape::PairLists) {
            message = QStringLiteral("item %1 is not a list of [keyword, value] pairs of strings")
                          .arg(index);
        } else {
            message = QStringLiteral("item %1 is not {\"string\": text, \"set\": [[name, value], "
                                     "...], \"remove\": [name, ...]}")
                          .arg(index);
        }
        unusable = UnusableInput {message};
        return false;
    }

    Shape m_shape;
    bool m_takeStrings;
    std::function<void(Handler &)> m_deliver;
    At m_at = At::Top;
    Field m_key = Field::Other;
    int m_depth = 0;
    int m_skipping = 0;
    int m_parts = 0;
    bool m_hasText = false;
    QString m_keyword;
    QString m_value;
};

UnusableInput notJson(const char *reason, size_t offset)
{
    QLatin1StringView text(reason);
    if (text.endsWith(u'.'))
        text.chop(1);
    return UnusableInput {
        QStringLiteral("standard input is not JSON (%1 at byte %2)").arg(text).arg(offset)};
}

void read(int fd, Shape shape, bool takeStrings, std::function<void(Handler &)> deliver)
{
    InputStream in(fd);
    Handler handler(shape, takeStrings, std::move(deliver));
    // Iterative: nesting costs heap, not stack. Invalid UTF-8 is refused: the source encoding
    // validates as it decodes into UTF-16.
    rapidjson::GenericReader<Utf8WithSurrogates, Utf16Units, ThrowingAllocator> reader;
    const rapidjson::ParseResult result
        = reader.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag>(
            in, handler);
    if (handler.unusable)
        throw *handler.unusable;
    if (in.failure()) {
        throw UnusableInput {QStringLiteral("cannot read standard input (%1)")
                                 .arg(QString::fromLocal8Bit(std::strerror(in.failure())))};
    }
    if (result.IsError())
        throw notJson(rapidjson::GetParseError_En(result.Code()), result.Offset());
    // The reader takes a NUL byte for the end of the input.
    if (!in.atEnd()) {
        throw notJson(rapidjson::GetParseError_En(rapidjson::kParseErrorDocumentRootNotSingular),
                      in.Tell());
    }
}

} // namespace

void readStrings(int fd, const std::function<void(qsizetype, QStringView)> &handle)
{
    read(fd, Shape::Strings, false,
         [&](const Handler &element) { handle(element.index, element.text); });
}

void takeStrings(int fd, const std::function<void(qsizetype, QString &)> &handle)
{
    read(fd, Shape::Strings, true,
         [&](Handler &element) { handle(element.index, element.takenText); });
}

void readPairLists(int fd,
                   const std::function<void(qsizetype, const oledb::KeywordValueList &)> &handle)
{
    read(fd, Shape::PairLists, false,
         [&](const Handler &element) { handle(element.index, element.pairs); });
}

void readEditRequests(int fd, const std::function<void(qsizetype, const EditRequest &)> &handle)
{
    read(fd, Shape::EditRequests, false,
         [&](const Handler &element) { handle(element.index, element.request); });
}

} // namespace connstr
