#include "oledb/formaterror.h"

#include "oledb/secrets.h"

#include <algorithm>

namespace oledb {

FormatError::FormatError(qsizetype offset, Reason reason)
    : platform::Error(text(), Code)
    , m_offset(offset)
    , m_reason(reason)
{ }

QString FormatError::explain(QStringView text, const ProviderCatalogue &catalogue) const
{
    // Up to the next separator, which is where the reader gave up for most faults; a long pair
    // is cut so that the notice stays readable.
    // The pair may be a secret's value, or a piece of one that a `;` split off: it is quoted as
    // the live string would show it.
    constexpr qsizetype Longest = 40;
    const qsizetype start = std::min(m_offset, text.size());
    const qsizetype separator = text.indexOf(u';', start);
    const QString pair
        = maskConnectionString(text, start, separator < 0 ? text.size() : separator, catalogue);
    QString quoted;
    for (QChar c : QStringView(pair).first(std::min(pair.size(), Longest)))
        quoted += c.category() == QChar::Other_Control ? QChar(0xfffd) : c;
    if (pair.size() > Longest)
        quoted += QChar(0x2026);
    // Counted from 1, as a person counts.
    const QString where
        = QStringLiteral("The pair at character %1, \u201c%2\u201d,").arg(start + 1).arg(quoted);
    const QStringView before = text.first(start);
    const bool first = std::all_of(before.begin(), before.end(),
                                   [](QChar c) { return c.isSpace() || c == u';'; });
    switch (m_reason) {
    case Reason::NoAssign:
        if (first) {
            return where
                + QStringLiteral(" has no \u201c=\u201d. Each pair is written as a name, "
                                 "\u201c=\u201d and a value, for example Data Source=srv.");
        }
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
