#pragma once

#include <QString>
#include <QStringList>

namespace drivers {

// What a search for databases or servers found: the names to offer, or why there are none, in
// one line the dialog can show under the field.
struct LookupResult
{
    QStringList names;
    QString failure;
    // The failure quotes a driver, which may echo a password back; our own sentences are not
    // masked, as masking them would show where a password's letters occur.
    bool quotesDriver = false;

    bool succeeded() const { return failure.isEmpty(); }
    static LookupResult found(QStringList names) { return {std::move(names), {}, false}; }
    static LookupResult failed(const QString &why);
    static LookupResult driverFailed(const QString &diagnostics);
};

} // namespace drivers
