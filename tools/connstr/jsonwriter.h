#pragma once

#include <QLatin1StringView>
#include <QStringEncoder>
#include <QStringView>

#include <memory>
#include <vector>

namespace connstr {

// Standard output could not take what was written (a full disk, a closed pipe).
struct WriteFailed
{
    QString message;
};

// Compact JSON written straight to a file descriptor through a buffer; every failed write
// throws WriteFailed at once, so a failure cannot hide in a buffer flushed at exit. A lone
// surrogate, which has no UTF-8 form, is written as its \u escape, as JSON allows.
class JsonWriter
{
public:
    explicit JsonWriter(int fd);
    JsonWriter(const JsonWriter &) = delete;
    JsonWriter &operator=(const JsonWriter &) = delete;

    void beginArray();
    void endArray();
    void beginObject();
    void endObject();
    void key(QLatin1StringView name);
    void string(QStringView text);
    // A string written in parts, for one too long to build first: beginString(), any number of
    // stringPart(), endString().
    void beginString();
    void stringPart(QStringView text);
    void endString();
    // [first, second], the shape of most of what the tool writes.
    void pair(QStringView first, QStringView second);
    void boolean(bool value);
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
    void separate();
    void put(char c);
    void put(const char *text, qsizetype size);

    int m_fd;
    qsizetype m_used = 0;
    // Whether the container being written already has an element, innermost last.
    std::vector<char> m_filled;
    bool m_afterKey = false;
    std::unique_ptr<char[]> m_buffer;
    QStringEncoder m_utf8;
};

} // namespace connstr
