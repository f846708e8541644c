#pragma once

#include "oledb/connectionstring.h"

namespace oledb {

struct Provider;

// The string the Data Link dialog produces: `Provider=<ProgID>` first (left out when the ProgID
// is empty), then the provider's own properties in the provider's order, then the others in the
// order given. Of a keyword given twice the last value counts, as it would for a provider.
// Secret values, declared or named like one (PWD, ...Password...), are left out unless `Persist
// Security Info` is True; empty values are written
// `""`. Throws platform::Error for a keyword no string can hold.
QString writeDataLinkString(const Provider &provider, const KeywordValueList &properties);

} // namespace oledb
