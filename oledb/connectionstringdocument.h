#pragma once

#include "oledb/connectionstring.h"

#include <QList>
#include <QString>

#include <functional>

namespace oledb {

// A connection string kept as it was written, for editing: every pair keeps its own text and so
// does what lies between pairs (white space, separators, empty segments, a trailing `;`). An
// edit rewrites only the text of the pair it concerns; everything else comes back byte for byte,
// and setting a pair back to the value it was read with restores its text exactly.
//
// Pairs are addressed by index. A removed pair keeps its index and its place, so indexes stay
// valid across edits and setting a removed pair again brings it back where it stood.
class ConnectionStringDocument
{
public:
    // An empty string: appended pairs make a new one, `Provider=...;Key=value`.
    ConnectionStringDocument() = default;
    // Throws FormatError for a string that breaks the syntax. With `keep`, only the pairs whose
    // keyword it accepts become pairs of the document; each run of others between them stays
    // text, shared with `text`, at an index of its own that is no pair (see isPair): an editor
    // that knows which keywords it will touch need not hold a string of millions of pairs.
    static ConnectionStringDocument
    parse(const QString &text, const std::function<bool(QStringView keyword)> &keep = {});

    QString toString() const;
    // The same text handed to `write` a part at a time.
    void write(const std::function<void(QStringView)> &write) const;

    // Every pair the document has held, removed ones included.
    qsizetype count() const { return m_pairs.size(); }
    bool isRemoved(qsizetype index) const { return m_pairs.at(index).removed; }
    // False for a run of pairs that parse() was told to leave as text.
    bool isPair(qsizetype index) const { return m_pairs.at(index).run.size() == 0; }
    // As read: trimmed, `==` as `=`, quoting undone.
    const QString &keyword(qsizetype index) const { return m_pairs.at(index).keyword; }
    const QString &value(qsizetype index) const { return m_pairs.at(index).value; }
    // The value the pair was read (or appended) with.
    const QString &originalValue(qsizetype index) const { return m_pairs.at(index).originalValue; }

    // Rewrites the pair's value in the quoting it was written with, where that can hold the value,
    // otherwise quoted only as much as it must be; brings a removed pair back. False when nothing
    // changed.
    bool setValue(qsizetype index, const QString &value);
    void remove(qsizetype index);
    // A new last pair, before the string's trailing separators. Throws platform::Error for a
    // keyword no string can hold.
    qsizetype append(const QString &keyword, const QString &value);
    // A new first pair; the indexes of all others move up by one.
    void prepend(const QString &keyword, const QString &value);

private:
    struct Pair
    {
        QString keyword;
        QString value;
        // What lies between the previous pair and this one; empty for a pair that had none
        // before it, which gets a plain `;` when another pair comes to stand before it.
        QString separator;
        // From the keyword's first character to where the value starts: `Data Source = `.
        QString keywordText;
        QString valueText;
        // As read, so that a reverted edit gives back the exact text.
        QString originalValue;
        QString originalValueText;
        bool removed = false;
        // For a run of pairs kept as text, that text: a view of m_source.
        QStringView run;
    };

    static Pair newPair(const QString &keyword, const QString &value);

    // Before the first pair and after the last: leading white space, a trailing `;`.
    QString m_head;
    QString m_tail;
    // The text read, while runs of it are kept as views.
    QString m_source;
    QList<Pair> m_pairs;
};

} // namespace oledb
