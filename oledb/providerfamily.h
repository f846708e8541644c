#pragma once

namespace oledb {

// Providers that ask the same questions and reach a server through the same driver. The
// catalogue's "families" table decides which ProgID belongs where.
enum class ProviderFamily { SqlServer, Jet, Ace, Odbc, Oracle, Other };

} // namespace oledb
