#pragma once

// JSON in and out one element at a time, so that the tool's memory follows the largest element
// rather than the whole input, and its first answers leave before the last input arrives.

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringView>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace connstr {

// Input that is not JSON or not the shape the command reads.
struct UnusableInput
{
    QString message;
};

// Standard output could not take what was written (a full disk, a closed pipe).
struct WriteFailed
{
    QString message;
};

// Compact JSON written straight to a file descriptor through a buffer; every failed write
// throws WriteFailed at once, so a failure cannot hide in a buffer flushed at exit.
class JsonWriter
{
public:
    explicit JsonWriter(int fd);
    JsonWriter(const JsonWriter &) = delete;
    JsonWriter &operator=(const JsonWriter &) = delete;

    // Inline: a small answer is mostly brackets, keys and separators.
    void beginArray()
    {
        separate();
        put('[');
        m_filled.push_back(false);
    }
    void endArray()
    {
        put(']');
        m_filled.pop_back();
    }
    void beginObject()
    {
        separate();
        put('{');
        m_filled.push_back(false);
    }
    void endObject()
    {
        put('}');
        m_filled.pop_back();
    }
    void key(QLatin1StringView name)
    {
        separate();
        put('"');
        put(name.data(), name.size());
        put("\":", 2);
        m_afterKey = true;
    }
    void string(QStringView text);
    // [first, second], the shape of most of what the tool writes.
    void pair(QStringView first, QStringView second);
    void boolean(bool value)
    {
        separate();
        if (value)
            put("true", 4);
        else
            put("false", 5);
    }
    void number(qint64 value);
    void null();
    void newline();

    void flush();
    // Forgets what is buffered and not yet written, for an answer that turns out unusable early.
    void discard();

    // An answer can be written tentatively and taken back, as long as it stays in the buffer:
    // what room() says can be written without a flush, and a string of `size` UTF-16 units never
    // takes more than stringBound(size).
    struct Mark
    {
        qsizetype used;
        size_t depth;
        bool filled;
        bool afterKey;
    };
    Mark mark() const;
    void rollback(const Mark &mark);
    qsizetype room() const { return capacity - m_used; }
    static constexpr qsizetype capacity = 256 * 1024;
    static constexpr qsizetype stringBound(qsizetype size) { return 6 * size + 3; }

private:
    void separate()
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
    void put(char c)
    {
        if (m_used == capacity)
            flush();
        m_buffer[m_used++] = c;
    }
    void put(const char *text, qsizetype size)
    {
        if (size <= room()) {
            std::memcpy(m_buffer.get() + m_used, text, size_t(size));
            m_used += size;
        } else {
            putInPieces(text, size);
        }
    }
    void putInPieces(const char *text, qsizetype size);

    int m_fd;
    qsizetype m_used = 0;
    // Whether the container being written already has an element, innermost last.
    std::vector<char> m_filled;
    bool m_afterKey = false;
    std::unique_ptr<char[]> m_buffer;
};

// What a command reads as one element of its input array.
enum class ElementShape {
    String, // a string, which may be as long as the input: handed over as a view
    Value, // any JSON value, for the command to check
};

struct Element
{
    qsizetype index = 0;
    QStringView text; // ElementShape::String; good until the handler returns
    QJsonValue value; // ElementShape::Value
};

// Reads a JSON array of `shape` elements from the file descriptor `fd` and hands each to `handle`
// as soon as it is complete. Throws UnusableInput for input that is not JSON or not of that shape;
// `shapeName` says what was expected, for the message.
void readArray(int fd, ElementShape shape, const char *shapeName,
               const std::function<void(const Element &)> &handle);

} // namespace connstr
