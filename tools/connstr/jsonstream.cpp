#include "tools/connstr/jsonstream.h"

#include <QJsonArray>
#include <QJsonObject>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace connstr {

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1StringView(what),
                                         QString::fromLocal8Bit(std::strerror(errno)));
}

// A RapidJSON input stream over a file descriptor. Unlike RapidJSON's own it tells a NUL byte
// in the input from the end of the input, both of which read as '\0'.
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
    size_t Tell() const { return size_t(m_consumed + (m_current - m_buffer)); }
    bool atEnd() const { return m_current == m_end; }

    // The bytes read and not yet taken, for taking many at once.
    const char *current() const { return m_current; }
    const char *end() const { return m_end; }
    void skip(qsizetype count)
    {
        m_current += count;
        if (m_current == m_end)
            refill();
    }
    bool failed() const { return m_failed; }

    // Required by the concept, never called by a reader.
    Ch *PutBegin() { return nullptr; }
    void Put(Ch) { }
    void Flush() { }
    size_t PutEnd(Ch *) { return 0; }

private:
    void refill()
    {
        m_consumed += m_end - m_buffer;
        ssize_t count;
        do
            count = ::read(m_fd, m_buffer, sizeof m_buffer);
        while (count < 0 && errno == EINTR);
        if (count < 0) {
            m_failed = true;
            count = 0;
        }
        m_current = m_buffer;
        m_end = m_buffer + count;
    }

    int m_fd;
    qint64 m_consumed = 0;
    bool m_failed = false;
    char *m_current = m_buffer;
    char *m_end = m_buffer;
    char m_buffer[64 * 1024];
};

using Utf16 = rapidjson::UTF16<char16_t>;

// The characters a JSON string holds as themselves, in both directions: ASCII but for controls,
// the quote and the backslash.
constexpr auto plainTable = [] {
    std::array<bool, 256> plain {};
    for (int c = 0x20; c < 0x80; ++c)
        plain[c] = c != '"' && c != '\\';
    return plain;
}();

inline bool isPlain(unsigned c)
{
    return c < 256 && plainTable[c];
}

#if defined(__SSE2__)
// One bit for each of the sixteen bytes that is not plain.
inline unsigned specialBytes(__m128i bytes)
{
    // Compared as signed, the bytes from 0x80 up fall below the space with the controls.
    const __m128i special = _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)),
                                         _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
    return unsigned(_mm_movemask_epi8(special));
}
#endif

inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The escape at `at` (a backslash) as one UTF-16 unit and the bytes it takes, or 0 bytes for
// what is left to the reader: an escape cut by the end of the buffer, a high surrogate (which
// needs its pair) and every fault, so that errors and their offsets stay the reader's own. A lone
// low surrogate is kept as the unit it is, as the reader's release build keeps it (its debug
// build stops at an assertion instead).
inline int unescape(const char *at, const char *end, char16_t *unit)
{
    if (end - at < 2)
        return 0;
    switch (at[1]) {
    case '"':
    case '\\':
    case '/':
        *unit = char16_t(at[1]);
        return 2;
    case 'b':
        *unit = u'\b';
        return 2;
    case 'f':
        *unit = u'\f';
        return 2;
    case 'n':
        *unit = u'\n';
        return 2;
    case 'r':
        *unit = u'\r';
        return 2;
    case 't':
        *unit = u'\t';
        return 2;
    case 'u': {
        if (end - at < 6)
            return 0;
        unsigned code = 0;
        for (int i = 2; i < 6; ++i) {
            const int digit = hexDigit(at[i]);
            if (digit < 0)
                return 0;
            code = code << 4 | unsigned(digit);
        }
        if (QChar::isHighSurrogate(code))
            return 0;
        *unit = char16_t(code);
        return 6;
    }
    default:
        return 0;
    }
}

inline bool isContinuation(unsigned char c)
{
    return (c & 0xc0) == 0x80;
}

// The well-formed UTF-8 sequence of two to four bytes at `at` as a code point and the bytes it
// takes, or 0 bytes for anything else, left to the reader as above.
inline int decodeUtf8(const char *at, const char *end, char32_t *code)
{
    const auto *const s = reinterpret_cast<const unsigned char *>(at);
    const qsizetype left = end - at;
    const unsigned char c = s[0];
    if (c >= 0xc2 && c <= 0xdf) {
        if (left < 2 || !isContinuation(s[1]))
            return 0;
        *code = char32_t((c & 0x1f) << 6 | (s[1] & 0x3f));
        return 2;
    }
    if (c >= 0xe0 && c <= 0xef) {
        if (left < 3 || !isContinuation(s[1]) || !isContinuation(s[2]))
            return 0;
        // Neither an overlong form nor a surrogate.
        if ((c == 0xe0 && s[1] < 0xa0) || (c == 0xed && s[1] > 0x9f))
            return 0;
        *code = char32_t((c & 0x0f) << 12 | (s[1] & 0x3f) << 6 | (s[2] & 0x3f));
        return 3;
    }
    if (c >= 0xf0 && c <= 0xf4) {
        if (left < 4 || !isContinuation(s[1]) || !isContinuation(s[2]) || !isContinuation(s[3]))
            return 0;
        // Neither an overlong form nor beyond U+10FFFF.
        if ((c == 0xf0 && s[1] < 0x90) || (c == 0xf4 && s[1] > 0x8f))
            return 0;
        *code
            = char32_t((c & 0x07) << 18 | (s[1] & 0x3f) << 12 | (s[2] & 0x3f) << 6 | (s[3] & 0x3f));
        return 4;
    }
    return 0;
}

// The reader's stack holds the string being read, which may be as long as the input, as UTF-16.
// Touched a page at a time, memory that size costs more in page faults than everything else the
// tool does with it. Past 64 KiB, blocks are mappings of their own, whole huge pages aligned to
// them and grown by moving the pages already written, so that the kernel can back them with
// huge pages (where it has them) and 512 times fewer faults.
class StackAllocator
{
public:
    // Part of RapidJSON's allocator concept, which its reader's stack never asks about.
    [[maybe_unused]] static constexpr bool kNeedFree = true;

    void *Malloc(size_t size) { return Realloc(nullptr, 0, size); }
    void *Realloc(void *block, size_t oldSize, size_t size)
    {
        if (size == 0) {
            Free(block);
            return nullptr;
        }
        Header *const old = block ? static_cast<Header *>(block) - 1 : nullptr;
        const size_t total = size + sizeof(Header);
        if (total <= small && (!old || old->mapped == 0)) {
            auto *const header = static_cast<Header *>(std::realloc(old, total));
            if (!header)
                return nullptr;
            header->mapped = 0;
            return header + 1;
        }
        const size_t length = (total + huge - 1) & ~(huge - 1);
        if (old && old->mapped >= length)
            return block;
        void *const mapping = mapAligned(length);
        if (!mapping)
            return nullptr;
        if (old && old->mapped != 0) {
            if (::mremap(old, old->mapped, old->mapped, MREMAP_MAYMOVE | MREMAP_FIXED, mapping)
                == MAP_FAILED) {
                ::munmap(mapping, length);
                return nullptr;
            }
        } else if (old) {
            std::memcpy(mapping, old, sizeof(Header) + oldSize);
            std::free(old);
        }
        auto *const header = static_cast<Header *>(mapping);
        header->mapped = length;
        return header + 1;
    }
    static void Free(void *block)
    {
        if (!block)
            return;
        Header *const header = static_cast<Header *>(block) - 1;
        if (header->mapped != 0)
            ::munmap(header, header->mapped);
        else
            std::free(header);
    }

private:
    static constexpr size_t small = 64 * 1024;
    static constexpr size_t huge = 2 * 1024 * 1024;

    struct alignas(16) Header
    {
        size_t mapped; // the length of the block's own mapping; 0 for one from malloc
    };

    static void *mapAligned(size_t length)
    {
        void *const wide = ::mmap(nullptr, length + huge, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (wide == MAP_FAILED)
            return nullptr;
        const uintptr_t start = uintptr_t(wide);
        const uintptr_t aligned = (start + huge - 1) & ~uintptr_t(huge - 1);
        if (aligned != start)
            ::munmap(wide, aligned - start);
        if (const uintptr_t tail = start + huge - aligned)
            ::munmap(reinterpret_cast<void *>(aligned + length), tail);
#if defined(MADV_HUGEPAGE)
        ::madvise(reinterpret_cast<void *>(aligned), length, MADV_HUGEPAGE);
#endif
        return reinterpret_cast<void *>(aligned);
    }
};

using Reader = rapidjson::GenericReader<rapidjson::UTF8<>, Utf16, StackAllocator>;

} // namespace
} // namespace connstr

// The reader's hook for copying a string's run of ordinary characters at once: without it the
// reader takes each character through its decoder and its output stack one at a time, which
// costs ten times as much. Escapes and well-formed UTF-8 are decoded here too, a piece of the
// buffer at a time into a scratch area whose content then goes onto the reader's stack at once;
// the reader sees only the closing quote and what is wrong or cut by the end of the buffer, and
// handles those exactly as it would have.
template<>
template<>
inline void connstr::Reader::ScanCopyUnescapedString(connstr::InputStream &in,
                                                     connstr::Reader::StackStream<char16_t> &out)
{
    constexpr qsizetype piece = 4096;
    // An escape or a sequence that starts in the piece may end past it.
    char16_t scratch[piece + 8];
    // Never a read past the end of the input: on a terminal it would wait for more.
    while (!in.atEnd()) {
        const char *const start = in.current();
        const char *const end = in.end();
        const char *const limit = start + std::min<qsizetype>(piece, end - start);
        const char *at = start;
        char16_t *copy = scratch;
        bool handedBack = false;
        while (at < limit) {
#if defined(__SSE2__)
            // Sixteen bytes widened and stored at once; when a special one is among them, the
            // plain ones before it are kept.
            if (limit - at >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
                const __m128i zero = _mm_setzero_si128();
                _mm_storeu_si128(reinterpret_cast<__m128i *>(copy), _mm_unpacklo_epi8(bytes, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(copy + 8),
                                 _mm_unpackhi_epi8(bytes, zero));
                const unsigned mask = connstr::specialBytes(bytes);
                const int plain = mask ? std::countr_zero(mask) : 16;
                at += plain;
                copy += plain;
                if (plain == 16)
                    continue;
            } else
#endif
                if (connstr::isPlain(static_cast<unsigned char>(*at))) {
                *copy++ = static_cast<unsigned char>(*at++);
                continue;
            }
            const unsigned char c = static_cast<unsigned char>(*at);
            int taken = 0;
            if (c == '\\') {
                taken = connstr::unescape(at, end, copy);
                copy += taken != 0;
            } else if (c >= 0x80) {
                char32_t code;
                taken = connstr::decodeUtf8(at, end, &code);
                if (taken != 0 && QChar::requiresSurrogates(code)) {
                    *copy++ = QChar::highSurrogate(code);
                    *copy++ = QChar::lowSurrogate(code);
                } else if (taken != 0) {
                    *copy++ = char16_t(code);
                }
            }
            // Otherwise the closing quote, or a control character the reader refuses.
            if (taken == 0) {
                handedBack = true;
                break;
            }
            at += taken;
        }
        if (const qsizetype count = copy - scratch) {
            std::memcpy(out.Push(rapidjson::SizeType(count)), scratch,
                        size_t(count) * sizeof(char16_t));
        }
        if (at != start)
            in.skip(at - start);
        if (handedBack)
            return;
    }
}

namespace connstr {
namespace {

// Follows the reader's events through the outer array and hands over each complete element.
// Strings arrive already in UTF-16, the connection-string engine's own form, so a string element
// is never held twice; any other element is built as a JSON value of its own.
class Handler : public rapidjson::BaseReaderHandler<Utf16, Handler>
{
public:
    Handler(ElementShape shape, const char *shapeName,
            const std::function<void(const Element &)> &handle)
        : m_shape(shape)
        , m_shapeName(shapeName)
        , m_handle(handle)
    { }

    std::optional<UnusableInput> unusable;
    std::exception_ptr thrown;

    bool StartArray() { return open(QJsonArray()); }
    bool StartObject() { return open(QJsonObject()); }
    bool EndArray(rapidjson::SizeType) { return close(); }
    bool EndObject(rapidjson::SizeType) { return close(); }

    bool Key(const char16_t *text, rapidjson::SizeType length, bool)
    {
        m_keys.last() = QStringView(text, length).toString();
        return true;
    }

    bool String(const char16_t *text, rapidjson::SizeType length, bool)
    {
        const QStringView view(text, length);
        if (m_open.size() == 1 && m_shape == ElementShape::String) {
            m_element.text = view;
            return deliver();
        }
        return add(view.toString());
    }

    bool Null() { return add(QJsonValue::Null); }
    bool Bool(bool value) { return add(value); }
    bool Int(int value) { return add(value); }
    bool Uint(unsigned value) { return add(qint64(value)); }
    bool Int64(int64_t value) { return add(qint64(value)); }
    bool Uint64(uint64_t value) { return add(double(value)); }
    bool Double(double value) { return add(value); }

private:
    // The outer array is open but never built; the element's containers are, innermost last.
    bool open(QJsonValue container)
    {
        if (m_open.isEmpty()) {
            if (!container.isArray())
                return unusableShape();
            m_open.append(QJsonValue());
            m_keys.append(QString());
            return true;
        }
        if (m_shape == ElementShape::String)
            return unusableShape();
        m_open.append(std::move(container));
        m_keys.append(QString());
        return true;
    }

    bool close()
    {
        QJsonValue done = m_open.takeLast();
        m_keys.removeLast();
        if (m_open.isEmpty())
            return true;
        return add(std::move(done));
    }

    bool add(QJsonValue value)
    {
        if (m_open.size() == 1) {
            if (m_shape == ElementShape::String)
                return unusableShape();
            m_element.value = std::move(value);
            return deliver();
        }
        if (m_open.isEmpty())
            return unusableShape();
        QJsonValue &container = m_open.last();
        if (container.isArray()) {
            QJsonArray array = container.toArray();
            container = QJsonValue();
            array.append(std::move(value));
            container = std::move(array);
        } else {
            QJsonObject object = container.toObject();
            container = QJsonValue();
            object.insert(m_keys.last(), std::move(value));
            container = std::move(object);
        }
        return true;
    }

    bool deliver()
    {
        try {
            m_handle(m_element);
        } catch (...) {
            thrown = std::current_exception();
            return false;
        }
        if (m_shape == ElementShape::Value)
            m_element.value = QJsonValue();
        ++m_element.index;
        return true;
    }

    bool unusableShape()
    {
        if (m_open.isEmpty())
            unusable
                = UnusableInput {QStringLiteral("expected %1").arg(QLatin1StringView(m_shapeName))};
        else
            unusable
                = UnusableInput {QStringLiteral("item %1 is not a string").arg(m_element.index)};
        return false;
    }

    ElementShape m_shape;
    const char *m_shapeName;
    const std::function<void(const Element &)> &m_handle;
    QList<QJsonValue> m_open;
    QStringList m_keys;
    Element m_element;
};

UnusableInput notJson(const char *reason, size_t offset)
{
    QLatin1StringView text(reason);
    if (text.endsWith(u'.'))
        text.chop(1);
    return UnusableInput {
        QStringLiteral("standard input is not JSON (%1 at byte %2)").arg(text).arg(offset)};
}

} // namespace

void readArray(int fd, ElementShape shape, const char *shapeName,
               const std::function<void(const Element &)> &handle)
{
    InputStream in(fd);
    Handler handler(shape, shapeName, handle);
    // Iterative: nesting costs heap, not stack, whatever the input's depth.
    // Invalid UTF-8 is refused all the same: the decoder into UTF-16 stops at it.
    Reader reader;
    const rapidjson::ParseResult result = reader.Parse<rapidjson::kParseIterativeFlag>(in, handler);
    if (handler.thrown)
        std::rethrow_exception(handler.thrown);
    if (handler.unusable)
        throw *handler.unusable;
    if (in.failed())
        throw UnusableInput {systemError("cannot read standard input")};
    if (result.IsError())
        throw notJson(rapidjson::GetParseError_En(result.Code()), result.Offset());
    // The reader takes a NUL byte for the end of the input.
    if (!in.atEnd()) {
        throw notJson(rapidjson::GetParseError_En(rapidjson::kParseErrorDocumentRootNotSingular),
                      in.Tell());
    }
}

JsonWriter::JsonWriter(int fd)
    : m_fd(fd)
    , m_buffer(std::make_unique_for_overwrite<char[]>(capacity))
{ }

void JsonWriter::flush()
{
    const char *data = m_buffer.get();
    qsizetype left = m_used;
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_used = 0;
            throw WriteFailed {systemError("cannot write standard output")};
        }
        data += written;
        left -= written;
    }
    m_used = 0;
}

void JsonWriter::putInPieces(const char *text, qsizetype size)
{
    while (size > 0) {
        if (m_used == capacity)
            flush();
        const qsizetype chunk = std::min(size, capacity - m_used);
        std::memcpy(m_buffer.get() + m_used, text, size_t(chunk));
        m_used += chunk;
        text += chunk;
        size -= chunk;
    }
}

namespace {

constexpr qsizetype widest = 6; // \u001f

// Writes [at, stop) as UTF-8 with JSON's escapes to `out`, which has room for every character at
// its widest, and returns where the output ends. A surrogate pair that straddles `stop` is taken
// whole, its four bytes in the room made for one unit; `at` says where the reading ended.
char *escape(const char16_t *&at, const char16_t *const stop, const char16_t *const end, char *out)
{
    static constexpr char hex[] = "0123456789abcdef";
    while (at != stop) {
#if defined(__SSE2__)
        // Sixteen characters at once, as long as the only special ones among them are quotes
        // and backslashes, which take a backslash before them; otherwise the plain ones
        // before the first special one. The room made for sixteen characters holds the
        // sixteen-byte stores.
        if (stop - at >= 16) {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + 8));
            const auto escapedMask = [](__m128i lowHalf, __m128i highHalf) {
                const auto escaped = [](__m128i units) {
                    return _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('"')),
                                        _mm_cmpeq_epi16(units, _mm_set1_epi16('\\')));
                };
                return unsigned(
                    _mm_movemask_epi8(_mm_packs_epi16(escaped(lowHalf), escaped(highHalf))));
            };
            const auto otherMask = [](__m128i lowHalf, __m128i highHalf) {
                // Compared as signed, the units from 0x8000 up fall below the space.
                const auto other = [](__m128i units) {
                    return _mm_or_si128(_mm_cmplt_epi16(units, _mm_set1_epi16(0x20)),
                                        _mm_cmpgt_epi16(units, _mm_set1_epi16(0x7f)));
                };
                return unsigned(
                    _mm_movemask_epi8(_mm_packs_epi16(other(lowHalf), other(highHalf))));
            };
            const __m128i bytes = _mm_packus_epi16(low, high);
            unsigned escaped = escapedMask(low, high);
            const unsigned others = otherMask(low, high);
            if (others == 0) {
                if (escaped == 0) {
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), bytes);
                    out += 16;
                    at += 16;
                    continue;
                }
                alignas(16) char block[32];
                _mm_store_si128(reinterpret_cast<__m128i *>(block), bytes);
                _mm_store_si128(reinterpret_cast<__m128i *>(block + 16), _mm_setzero_si128());
                int done = 0;
                do {
                    const int next = std::countr_zero(escaped);
                    _mm_storeu_si128(
                        reinterpret_cast<__m128i *>(out),
                        _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + done)));
                    out += next - done;
                    *out++ = '\\';
                    *out++ = block[next];
                    done = next + 1;
                    escaped &= escaped - 1;
                } while (escaped);
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + done)));
                out += 16 - done;
                at += 16;
                continue;
            }
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), bytes);
            const int plain = std::countr_zero(escaped | others);
            out += plain;
            at += plain;
        }
#endif
        const char16_t c = *at++;
        if (isPlain(c)) {
            *out++ = char(c);
        } else if (c < 0x80) {
            *out++ = '\\';
            switch (c) {
            case u'"':
                *out++ = '"';
                break;
            case u'\\':
                *out++ = '\\';
                break;
            case u'\b':
                *out++ = 'b';
                break;
            case u'\f':
                *out++ = 'f';
                break;
            case u'\n':
                *out++ = 'n';
                break;
            case u'\r':
                *out++ = 'r';
                break;
            case u'\t':
                *out++ = 't';
                break;
            default:
                *out++ = 'u';
                *out++ = '0';
                *out++ = '0';
                *out++ = hex[c >> 4];
                *out++ = hex[c & 0xf];
            }
        } else if (c < 0x800) {
            *out++ = char(0xc0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3f));
        } else if (QChar::isHighSurrogate(c) && at != end && QChar::isLowSurrogate(*at)) {
            // A pair may straddle the stop: its four bytes fit in the room made for one unit.
            const char32_t u = QChar::surrogateToUcs4(c, *at++);
            *out++ = char(0xf0 | (u >> 18));
            *out++ = char(0x80 | ((u >> 12) & 0x3f));
            *out++ = char(0x80 | ((u >> 6) & 0x3f));
            *out++ = char(0x80 | (u & 0x3f));
            if (at > stop)
                break;
        } else {
            // A lone surrogate has no UTF-8 form; U+FFFD says something was there.
            const char16_t u = QChar::isSurrogate(c) ? char16_t(0xfffd) : c;
            *out++ = char(0xe0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3f));
            *out++ = char(0x80 | (u & 0x3f));
        }
    }
    return out;
}

} // namespace

// As many characters at a time as the buffer has room for at their widest, so the loop over them
// needs no bounds checks.
void JsonWriter::string(QStringView text)
{
    separate();
    put('"');
    const char16_t *at = text.utf16();
    const char16_t *const end = at + text.size();
    while (at != end) {
        if (room() < widest)
            flush();
        const char16_t *const stop = at + std::min<qsizetype>(end - at, room() / widest);
        m_used = escape(at, stop, end, m_buffer.get() + m_used) - m_buffer.get();
    }
    put('"');
}

void JsonWriter::pair(QStringView first, QStringView second)
{
    // Brackets, quotes, comma and the separator before them.
    constexpr qsizetype around = 8;
    if (room() < widest * (first.size() + second.size()) + around) {
        beginArray();
        string(first);
        string(second);
        endArray();
        return;
    }
    separate();
    char *out = m_buffer.get() + m_used;
    *out++ = '[';
    *out++ = '"';
    const char16_t *at = first.utf16();
    out = escape(at, at + first.size(), at + first.size(), out);
    *out++ = '"';
    *out++ = ',';
    *out++ = '"';
    at = second.utf16();
    out = escape(at, at + second.size(), at + second.size(), out);
    *out++ = '"';
    *out++ = ']';
    m_used = out - m_buffer.get();
}

void JsonWriter::number(qint64 value)
{
    separate();
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    put(digits, result.ptr - digits);
}

void JsonWriter::null()
{
    separate();
    put("null", 4);
}

void JsonWriter::newline()
{
    put('\n');
}

void JsonWriter::discard()
{
    m_used = 0;
}

JsonWriter::Mark JsonWriter::mark() const
{
    return Mark {m_used, m_filled.size(), !m_filled.empty() && m_filled.back(), m_afterKey};
}

void JsonWriter::rollback(const Mark &mark)
{
    m_used = mark.used;
    m_filled.resize(mark.depth);
    if (!m_filled.empty())
        m_filled.back() = mark.filled;
    m_afterKey = mark.afterKey;
}

} // namespace connstr
