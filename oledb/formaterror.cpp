#include "oledb/formaterror.h"

namespace oledb {

FormatError::FormatError(qsizetype offset)
    : platform::Error(text(), Code)
    , m_offset(offset)
{ }

// The platform's own wording, word for word: users and scripts recognise a refused string by it.
QString FormatError::text()
{
    return QStringLiteral(
        "Format of the initialization string does not conform to the OLE DB specification.");
}

} // namespace oledb
