#pragma once

#include "platform/error.h"

namespace oledb {

class ProviderCatalogue;

// A connection string that breaks the OLE DB syntax. The message is the one every OLE DB
// consumer shows; the offset (in UTF-16 code units) points at the first character of the pair
// that is at fault, so a caller can put the cursor there.
class FormatError final : public platform::Error
{
public:
    // What went wrong at the offset, so that a person can be told how to mend it.
    enum class Reason {
        NoAssign, // the pair ends (at `;` or the end) before any `=`
        NoKeyword, // nothing but white space before the `=`
        UnclosedQuote,
        TextAfterQuote, // a closing quote followed by something other than `;`
        StrayQuote, // an unquoted value that ends in a quote
        ControlCharacter,
    };

    explicit FormatError(qsizetype offset, Reason reason = Reason::NoAssign);

    qsizetype offset() const { return m_offset; }
    Reason reason() const { return m_reason; }

    static QString text();
    // What is wrong, in plain words, quoting the faulty pair of the text the error came from
    // (any secret in it masked) and saying where it starts, counting characters from 1.
    QString explain(QStringView text, const ProviderCatalogue &catalogue) const;
    // The HRESULT that OLE DB consumers report for this failure.
    static constexpr qint64 Code = 0x80040E73;

private:
    qsizetype m_offset;
    Reason m_reason;
};

} // namespace oledb
