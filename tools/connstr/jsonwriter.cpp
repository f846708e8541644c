#include "tools/connstr/jsonwriter.h"

#include <QChar>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <unistd.h>

namespace connstr {

JsonWriter::JsonWriter(int fd)
    : m_fd(fd)
    , m_buffer(std::make_unique_for_overwrite<char[]>(capacity))
    , m_utf8(QStringEncoder::Utf8)
{ }

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

void JsonWriter::put(char c)
{
    if (m_used == capacity)
        flush();
    m_buffer[m_used++] = c;
}

void JsonWriter::put(const char *text, qsizetype size)
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

// The characters JSON holds as themselves: ASCII but for controls, the quote and the backslash.
constexpr auto plainAscii = [] {
    std::array<bool, 128> plain {};
    for (int c = 0x20; c < 0x80; ++c)
        plain[c] = c != '"' && c != '\\';
    return plain;
}();

constexpr qsizetype widest = 6; // \u001f

// The escape of a character JSON does not hold as itself: a control character, the quote, the
// backslash, or a lone surrogate, which has no UTF-8 form.
char *escape(char *out, char16_t c)
{
    *out++ = '\\';
    switch (c) {
    case u'"':
    case u'\\':
        *out++ = char(c);
        return out;
    case u'\b':
        *out++ = 'b';
        return out;
    case u'\f':
        *out++ = 'f';
        return out;
    case u'\n':
        *out++ = 'n';
        return out;
    case u'\r':
        *out++ = 'r';
        return out;
    case u'\t':
        *out++ = 't';
        return out;
    }
    // In the lower case most JSON writers use.
    static constexpr char hex[] = "0123456789abcdef";
    *out++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = hex[(c >> shift) & 0xf];
    return out;
}

} // namespace

void JsonWriter::string(QStringView text)
{
    beginString();
    stringPart(text);
    endString();
}

void JsonWriter::beginString()
{
    separate();
    put('"');
}

void JsonWriter::endString()
{
    put('"');
}

// As many characters at a time as the buffer has room for at their widest, so the loop over them
// needs no bounds checks. ASCII is copied, the rest goes to Qt's encoder a run at a time. A
// surrogate pair split between two parts is written as two escapes, which JSON reads as the pair.
void JsonWriter::stringPart(QStringView text)
{
    const char16_t *at = text.utf16();
    const char16_t *const end = at + text.size();
    while (at != end) {
        if (room() < 2 * widest)
            flush();
        // A pair may straddle the stop: its four bytes fit in the room made for its first unit.
        const char16_t *const stop = at + std::min<qsizetype>(end - at, room() / widest);
        char *out = m_buffer.get() + m_used;
        while (at < stop) {
            if (*at < 0x80) {
                const char16_t c = *at++;
                if (plainAscii[c])
                    *out++ = char(c);
                else
                    out = escape(out, c);
                continue;
            }
            const char16_t *const run = at;
            while (at < stop && *at >= 0x80) {
                if (QChar::isHighSurrogate(*at) && at + 1 != end && QChar::isLowSurrogate(at[1]))
                    at += 2;
                else if (QChar::isSurrogate(*at))
                    break;
                else
                    ++at;
            }
            out = m_utf8.appendToBuffer(out, QStringView(run, at));
            if (at < stop && QChar::isSurrogate(*at))
                out = escape(out, *at++);
        }
        m_used = out - m_buffer.get();
    }
}

void JsonWriter::pair(QStringView first, QStringView second)
{
    beginArray();
    string(first);
    string(second);
    endArray();
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
            throw WriteFailed {QStringLiteral("cannot write standard output (%1)")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno)))};
        }
        data += written;
        left -= written;
    }
    m_used = 0;
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
