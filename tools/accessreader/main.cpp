// Lists an Access database's tables through mdbtools' ODBC driver, for Test Connection, in a
// process of its own: the driver trusts the file it reads, and a damaged one can bring down the
// process that reads it. Takes the ODBC connection string; prints one line of JSON.
#include "drivers/odbc.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: corvanta-access-reader ODBC-CONNECTION-STRING\n", stderr);
        return 2;
    }
    const drivers::odbc::TableListing listing = drivers::odbc::listTables(arguments.at(1), 0);
    const QJsonObject answer {
        {QStringLiteral("connected"), listing.connected},
        {QStringLiteral("tables"), QJsonArray::fromStringList(listing.tables)},
        {QStringLiteral("systemTables"), QJsonArray::fromStringList(listing.systemTables)},
        {QStringLiteral("diagnostics"), listing.diagnostics},
    };
    // The driver may write to the console too: the answer is the last line.
    const QByteArray line = '\n' + QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
