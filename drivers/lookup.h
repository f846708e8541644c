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

    bool succeeded() const { return failure.isEmpty(); }
    static LookupResult found(QStringList names) { return {std::move(names), {}}; }
    static LookupResult failed(const QString &why);
};

} // namespace drivers
