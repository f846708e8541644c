#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace oledb {

// An ODBC connection string: `key=value` pairs split by `;`, a value in braces when it holds a
// `;`, with `}}` for a brace inside. Keys compare case-insensitively. This is the one reader of
// such strings: the testers build what the driver receives with it, and the masker finds the
// passwords in nested strings with it, so the two can never disagree about where a value ends.
class OdbcAttributes
{
public:
    struct Attribute
    {
        QString key;
        QString value;
        friend bool operator==(const Attribute &, const Attribute &) = default;
    };

    // Where an attribute's value stands in the text, as offsets into it, braces included and
    // white space around it not. What follows a closing brace up to the separator is dropped.
    struct ValueSpan
    {
        qsizetype start = 0;
        qsizetype end = 0;
        bool braced = false;
        bool closed = false;
        // The whole piece: from the end of the separator before it, white space included, to
        // the separator after it (or the end of the text).
        qsizetype pieceStart = 0;
        qsizetype pieceEnd = 0;
    };

    // Lenient, as driver managers are: a stray piece without `=` becomes a key with no value,
    // an unclosed brace runs to the end, and keys and bare values lose the white space (any
    // Unicode white space) around them. Never fails.
    static OdbcAttributes parse(QStringView text, QList<ValueSpan> *spans = nullptr);
    // The same reading, each attribute handed over as it is read rather than kept.
    static void
    visit(QStringView text,
          const std::function<void(QStringView key, QString value, const ValueSpan &)> &visitor);

    const QList<Attribute> &attributes() const { return m_attributes; }
    std::optional<QString> value(QStringView key) const;
    // Replaces the first occurrence and drops any later ones, so the driver cannot pick another.
    void set(const QString &key, const QString &value);
    // Braces every value that parse() would otherwise read differently.
    QString toString() const;
    // One value as toString() writes it; `braced`, in braces even where it needs none, as a
    // driver's name usually is.
    static QString written(const QString &value, bool braced = false);
    // One value as a driver reads it: braces undone where it opens with one, else as it stands.
    static QString read(const QString &value);
    // The text with the first pair whose key is one of `keys` given `value` in place, only that
    // value's text replaced, or, without a value, taken out with its separator; a value for a
    // key the text lacks is added at the end under the first of `keys`. Everything else stays
    // as written, later pairs of the same keys too: the string is the user's.
    static QString edited(QStringView text, const QStringList &keys,
                          const std::optional<QString> &value, bool braced = false);

private:
    QList<Attribute> m_attributes;
};

} // namespace oledb
