#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace oledb {

// One pair as it stands in a string: the keyword as spelt there (trimmed, `==` already read as
// `=`) and the value with its quoting undone.
struct KeywordValue
{
    QString keyword;
    QString value;

    friend bool operator==(const KeywordValue &, const KeywordValue &) = default;
};

using KeywordValueList = QList<KeywordValue>;

// Receives a string's pairs one at a time, as they are read. The views are good until the next
// call only: they may point into a buffer that the next pair reuses.
class PairVisitor
{
public:
    virtual void visit(QStringView keyword, QStringView value) = 0;

protected:
    ~PairVisitor() = default;
};

// Where a pair stands in the text it was read from, in UTF-16 code units: the keyword starts at
// `start`; the value as written (quotes included, surrounding white space not) runs from
// `valueStart` to `end`.
struct PairSpan
{
    qsizetype start = 0;
    qsizetype valueStart = 0;
    qsizetype end = 0;
};

enum class ValueQuoting { Undone, AsWritten };

struct ParsedPair
{
    KeywordValue pair;
    PairSpan span;
};

// Every pair with its span, in one pass. Throws FormatError for a string that breaks the syntax.
QList<ParsedPair> parsePairs(QStringView text);

// `A=` is the shortest way to write an empty value; the Data Link dialog writes `A=""`.
enum class EmptyValueStyle { Bare, Quoted };

// An OLE DB connection string read into its pairs. Every occurrence is kept, in order and with
// its spelling, so writing the pairs back loses nothing a later reader could depend on.
class ConnectionString
{
public:
    ConnectionString() = default;
    explicit ConnectionString(KeywordValueList pairs);

    // Where a pair's value stands in the text it was read from, as offsets into it: quotes
    // included, the white space around it not.
    struct ValueSpan
    {
        qsizetype start = 0;
        qsizetype end = 0;
    };

    // Throws FormatError for a string that breaks the syntax; nothing is ever dropped silently.
    // With `spans`, appends one span per pair.
    static ConnectionString parse(QStringView text, QList<ValueSpan> *spans = nullptr);
    // The pairs of a malformed string that can be read, as a string that can: each faulty pair
    // is left out with the `;` after it (an unclosed quote takes the rest), and everything else
    // stays as written. A valid string comes back as it is.
    static QString readablePart(QStringView text);
    // The same reading without keeping the pairs, for strings too long to hold as a list. Throws
    // like parse() on reaching the fault, after the visitor has seen the pairs before it.
    static void visitPairs(QStringView text, PairVisitor &visitor);
    // The same with where each pair stands, for a caller that works on the text itself. With
    // ValueQuoting::AsWritten a quoted value comes as it stands between its quotes, its doubled
    // quotes still doubled, and is never copied.
    static void visitPairSpans(
        QStringView text,
        const std::function<void(QStringView keyword, QStringView value, const PairSpan &)> &visit,
        ValueQuoting quoting = ValueQuoting::Undone);

    const KeywordValueList &pairs() const { return m_pairs; }
    bool isEmpty() const { return m_pairs.isEmpty(); }

    // The value in effect: keywords compare case-insensitively and the last occurrence wins,
    // which is how providers read a string with duplicates.
    std::optional<QString> value(QStringView keyword) const;
    bool contains(QStringView keyword) const { return value(keyword).has_value(); }
    // One pair per keyword, at its first position and with the value in effect: what a provider
    // would see, in an order a person would recognise.
    KeywordValueList effectivePairs() const;

    // Throws platform::Error when a keyword cannot be written (see isWritableKeyword).
    QString toString(EmptyValueStyle emptyValues = EmptyValueStyle::Bare) const;

    // Any value can be written, but a keyword cannot come back from a string when it is empty,
    // has white space at either end, or holds `;` or a control character other than white space.
    static bool isWritableKeyword(QStringView keyword);
    // Appends `keyword=value`, quoting the value only when it must. Throws like toString().
    static void appendPair(QString &out, const KeywordValue &pair, EmptyValueStyle emptyValues);
    // The value alone, quoted only when it must be.
    static void appendValue(QString &out, QStringView value, EmptyValueStyle emptyValues);
    // The value in the given quote, doubling that quote inside; any value can be written so.
    static void appendQuoted(QString &out, QStringView value, QChar quote);
    // Whether the value reads back the same written without quotes.
    static bool canStayBare(QStringView value);

private:
    KeywordValueList m_pairs;
};

bool sameKeyword(QStringView a, QStringView b);

} // namespace oledb
