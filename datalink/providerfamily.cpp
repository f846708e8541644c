#include "datalink/providerfamily.h"

#include "oledb/provider.h"

namespace datalink {

ProviderFamily providerFamily(const oledb::Provider &provider)
{
    if (provider.generic)
        return ProviderFamily::Generic;
    const auto startsWith = [&](QStringView prefix) {
        return provider.progId.startsWith(prefix, Qt::CaseInsensitive);
    };
    if (startsWith(u"SQLOLEDB") || startsWith(u"SQLNCLI") || startsWith(u"MSOLEDBSQL"))
        return ProviderFamily::SqlServer;
    if (startsWith(u"Microsoft.Jet.OLEDB") || startsWith(u"Microsoft.ACE.OLEDB"))
        return ProviderFamily::Jet;
    if (startsWith(u"MSDASQL"))
        return ProviderFamily::Odbc;
    if (startsWith(u"MSDAORA") || startsWith(u"OraOLEDB"))
        return ProviderFamily::Oracle;
    return ProviderFamily::Generic;
}

} // namespace datalink
