#include "oledb/formaterror.h"

#include <algorithm>

namespace oledb {

FormatError::FormatError(qsizetype offset, Reason reason)
    : platform::Error(text(), Code)
    , m_offset(offset)
    , m_reason(reason)
{ }

QString FormatError::explain(QStringView text) const
{
    // Up to the next separator, which is where the reader gave up for most faults; a long pair
    // is cut so that the notice stays readable.
    constexpr qsizetype Longest = 40;
    QStringView pair = text.sliced(std::min(m_offset, text.size()));
    if (const qsizetype end = pair.indexOf(u';'); end >= 0)
        pair = pair.first(end);
    QString quoted;
    for (QChar c : pair.first(std::min(pair.size(), Longest)))
        quoted += c.category() == QChar::Other_Control ? QChar(0xfffd) : c;
    if (pair.size() > Longest)
        quoted += QChar(0x2026);
    const QString where
        = QStringLiteral("The pair at character %1, \u201c%2\u201d,").arg(m_offset).arg(quoted);
    switch (m_reason) {
    case Reason::NoAssign:
        return where
            + QStringLiteral(" has no \u201c=\u201d. If it belongs to the value before it, that "
                             "value contains \u201c;\u201d and must be quoted, for example "
                             "Password=\"a;b\".");
    case Reason::NoKeyword:
        return where + QStringLiteral(" has no name before its \u201c=\u201d.");
    case Reason::UnclosedQuote:
        return where + QStringLiteral(" opens a quote that is never closed.");
    case Reason::TextAfterQuote:
        return where
            + QStringLiteral(" has more text after its closing quote. A quote inside a quoted "
                             "value is written twice.");
    case Reason::StrayQuote:
        return where
            + QStringLiteral(" has a value that ends in a quote it does not start with. Quote "
                             "the whole value, or leave the quotes out.");
    case Reason::ControlCharacter:
        return where + QStringLiteral(" holds a control character outside quotes.");
    }
    return where + QStringLiteral(" cannot be read.");
}

// The platform's own wording, word for word: users and scripts recognise a refused string by it.
QString FormatError::text()
{
    return QStringLiteral(
        "Format of the initialization string does not conform to the OLE DB specification.");
}

} // namespace oledb
