#include "oledb/quoting.h"

#include <algorithm>

namespace oledb {

qsizetype findClosing(QStringView text, qsizetype from, QChar close, QString *value)
{
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    const char16_t *chunk = begin + from;
    const char16_t *const closing = findClosing(
        chunk, end, close.unicode(),
        [](const char16_t *at, const char16_t *stop, char16_t c) { return std::find(at, stop, c); },
        [&](const char16_t *pair) {
            if (value)
                value->append(QStringView(chunk, pair + 1));
            chunk = pair + 2;
        });
    if (value)
        value->append(QStringView(chunk, closing));
    return closing - begin;
}

} // namespace oledb
