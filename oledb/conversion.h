#pragma once

#include "platform/conversion.h"
#include "platform/error.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace oledb {

class ProviderCatalogue;

using Conversion = platform::Conversion;

// Why a string cannot be converted: it is no dialect the converter knows, or already OLE DB.
class ConversionError final : public platform::Error
{
public:
    using platform::Error::Error;
};

// Reads ADO.NET, ODBC and JDBC strings by keyword tables taken from the documentation of both
// sides, kept as data (conversions.json) so that a keyword is added without touching logic.
class DialectConverter
{
public:
    // Throws platform::Error naming what is wrong with the data, a keyword the target provider
    // does not declare or a source no table lists among them. The catalogue must outlive the
    // converter: it says which keywords are secrets.
    static DialectConverter fromJson(const QByteArray &json, const ProviderCatalogue &catalogue);
    // The tables compiled into the program.
    static DialectConverter builtIn(const ProviderCatalogue &catalogue);

    // Throws FormatError for a string that breaks the syntax it is written in, ConversionError
    // for one that cannot be converted. A string that names a Provider is never converted.
    Conversion convert(QStringView text) const;

    QString source(const QString &id) const { return m_sources.value(id); }

    struct Mapping
    {
        QStringList names;
        // Empty where the OLE DB side has no counterpart.
        QString to;
        // For the pieces one target keyword is built from: server, instance or port.
        QString part;
        // [written, meant], compared case-insensitively; an empty meaning writes nothing, which
        // is the target's own default. No list: any value is taken as it is.
        QList<std::pair<QString, QString>> values;
        // Gives way to any other keyword setting the same target keyword, wherever it stands.
        bool yields = false;
    };
    struct Table
    {
        QString target;
        bool firstWins = false;
        QList<Mapping> mappings;

        const Mapping *find(QStringView keyword) const;
    };
    struct Target
    {
        QString provider;
        // The ODBC driver to name; empty for an OLE DB provider, which gets its own keywords.
        QString driver;
    };

private:
    DialectConverter() = default;

    Conversion translate(const QString &dialect, const QString &table,
                         const QList<std::pair<QString, QString>> &pairs) const;
    Conversion convertOdbc(QStringView text) const;
    QString unmappedPair(const QString &keyword, const QString &value) const;

    const ProviderCatalogue *m_catalogue = nullptr;
    QHash<QString, QString> m_sources;
    QHash<QString, Target> m_targets;
    QList<std::pair<QString, QString>> m_odbcDrivers;
    QHash<QString, Table> m_tables;
};

} // namespace oledb
