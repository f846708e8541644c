#include "tools/connstr/jsonstream.h"

#include <QJsonArray>
#include <QJsonObject>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <exception>
#include <optional>
#include <unistd.h>

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
using Reader = rapidjson::GenericReader<rapidjson::UTF8<>, Utf16>;

} // namespace
} // namespace connstr

// The reader's hook for copying the plain run of a string at once: without it the reader takes
// each character through its decoder and its output stack one at a time, which costs ten times
// as much. Plain ASCII is its own UTF-16; the reader handles whatever else follows the run.
template<>
template<>
inline void connstr::Reader::ScanCopyUnescapedString(connstr::InputStream &in,
                                                     connstr::Reader::StackStream<char16_t> &out)
{
    while (!in.atEnd()) {
        const char *const start = in.current();
        const char *const end = in.end();
        const char *at = start;
        while (at != end && connstr::isPlain(static_cast<unsigned char>(*at)))
            ++at;
        const qsizetype count = at - start;
        if (count > 0) {
            auto *const copy = static_cast<char16_t *>(out.Push(rapidjson::SizeType(count)));
            for (qsizetype i = 0; i < count; ++i)
                copy[i] = static_cast<unsigned char>(start[i]);
            in.skip(count);
        }
        if (at != end)
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
{ }

void JsonWriter::flush()
{
    const char *data = m_buffer;
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

void JsonWriter::put(const char *text, qsizetype size)
{
    while (size > 0) {
        if (m_used == qsizetype(sizeof m_buffer))
            flush();
        const qsizetype chunk = std::min(size, qsizetype(sizeof m_buffer) - m_used);
        std::memcpy(m_buffer + m_used, text, size_t(chunk));
        m_used += chunk;
        text += chunk;
        size -= chunk;
    }
}

void JsonWriter::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_filled.empty()) {
        if (m_filled.back())
            put(',');
        m_filled.back() = true;
    }
}

void JsonWriter::beginArray()
{
    separate();
    put('[');
    m_filled.push_back(false);
}

void JsonWriter::endArray()
{
    put(']');
    m_filled.pop_back();
}

void JsonWriter::beginObject()
{
    separate();
    put('{');
    m_filled.push_back(false);
}

void JsonWriter::endObject()
{
    put('}');
    m_filled.pop_back();
}

void JsonWriter::key(QLatin1StringView name)
{
    separate();
    put('"');
    put(name.data(), name.size());
    put("\":", 2);
    m_afterKey = true;
}

// UTF-8 with JSON's escapes, a block at a time: the room a block can need at most is made first,
// so the loop over its characters needs no bounds checks.
void JsonWriter::string(QStringView text)
{
    separate();
    put('"');
    static constexpr char hex[] = "0123456789abcdef";
    constexpr qsizetype block = 1024;
    constexpr qsizetype widest = 6; // \u001f
    const char16_t *at = text.utf16();
    const char16_t *const end = at + text.size();
    while (at != end) {
        if (qsizetype(sizeof m_buffer) - m_used < block * widest)
            flush();
        const char16_t *const stop = at + std::min<qsizetype>(block, end - at);
        char *out = m_buffer + m_used;
        while (at != stop) {
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
                // A pair may straddle the block's end: one unit more than the block fits in
                // the room made for it.
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
        m_used = out - m_buffer;
    }
    put('"');
}

void JsonWriter::boolean(bool value)
{
    separate();
    if (value)
        put("true", 4);
    else
        put("false", 5);
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

} // namespace connstr
