#pragma once

namespace oledb {
struct Provider;
}

namespace datalink {

// Providers whose Connection page asks the same questions.
enum class ProviderFamily { SqlServer, Jet, Odbc, Oracle, Generic };

ProviderFamily providerFamily(const oledb::Provider &provider);

} // namespace datalink
