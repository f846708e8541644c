#include "drivers/discovery/lookup.h"

#include <QRegularExpression>

namespace drivers {

LookupResult LookupResult::failed(const QString &why)
{
    // Drivers write several lines and a prefix per layer; the field has room for one.
    static const QRegularExpression layers(QStringLiteral(R"(\s*\n\s*)"));
    QString line = why.trimmed();
    line.replace(layers, QStringLiteral(" "));
    if (line.isEmpty())
        line = QStringLiteral("The server gave no reason.");
    return {{}, line, false};
}

LookupResult LookupResult::driverFailed(const QString &diagnostics)
{
    LookupResult result = failed(diagnostics);
    result.quotesDriver = true;
    return result;
}

} // namespace drivers
