#pragma once

#include "platform/error.h"

namespace oledb {

// A connection string that breaks the OLE DB syntax. The message is the one every OLE DB
// consumer shows; the offset (in UTF-16 code units) points at the first character of the pair
// that is at fault, so a caller can put the cursor there.
class FormatError final : public platform::Error
{
public:
    explicit FormatError(qsizetype offset);

    qsizetype offset() const { return m_offset; }

    static QString text();
    // The HRESULT that OLE DB consumers report for this failure.
    static constexpr qint64 Code = 0x80040E73;

private:
    qsizetype m_offset;
};

} // namespace oledb
