#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace oledb {

// The two quotes a connection-string value may be written in.
constexpr bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

// The rule shared by a quoted connection-string value and a braced ODBC one: the value runs to
// the first closing character that is not doubled, and a doubled one stands for one. `at` is
// just past the opening character; returns where the closing character stands, or `end` when
// the value is never closed. `doubled(p)` hears of each pair that starts at p, whose second
// character is not part of the value. `find(at, end, c)` is the first `c` from `at`, else `end`:
// the connection-string parser brings its own vectorised scan.
template<typename Find, typename Doubled>
const char16_t *findClosing(const char16_t *at, const char16_t *end, char16_t close, Find &&find,
                            Doubled &&doubled)
{
    while (true) {
        at = find(at, end, close);
        if (at == end || at + 1 == end || at[1] != close)
            return at;
        doubled(at);
        at += 2;
    }
}

// findClosing over a view, with a plain search: the index of the closing character after
// `from`, else the text's size. With `value`, appends the value with its doubling undone.
qsizetype findClosing(QStringView text, qsizetype from, QChar close, QString *value = nullptr);

} // namespace oledb
