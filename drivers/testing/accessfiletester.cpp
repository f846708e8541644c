#include "drivers/testing/accessfiletester.h"

#include "oledb/connectionstring.h"
#include "oledb/propertynames.h"

#include <QFile>
#include <QFileInfo>

namespace drivers {

namespace {

enum class Signature { None, Jet, Ace };

// Both engines write their name at offset 4 of the first page.
Signature signatureOf(QFile &file)
{
    const QByteArray header = file.read(4 + 15);
    const QByteArray name = header.mid(4);
    if (name == "Standard Jet DB")
        return Signature::Jet;
    if (name == "Standard ACE DB")
        return Signature::Ace;
    return Signature::None;
}

// The first item of Extended Properties names the installable format: "Excel 12.0 Xml",
// "Text", "dBASE IV" and so on; none, or "MS Access", means an Access database.
bool isAccessDatabase(const oledb::ConnectionString &connection)
{
    const QString format = connection.value(oledb::property::ExtendedProperties)
                               .value_or(QString())
                               .section(u';', 0, 0)
                               .trimmed();
    return format.isEmpty() || format.startsWith(u"MS Access", Qt::CaseInsensitive);
}

QString quoted(const QString &path)
{
    return u'\'' + path + u'\'';
}

} // namespace

TestResult AccessFileTester::test(const oledb::ConnectionString &connection,
                                  const std::atomic<bool> &)
{
    const QString path
        = connection.value(oledb::property::DataSource).value_or(QString()).trimmed();
    if (path.isEmpty())
        return TestResult::failed(
            QStringLiteral("No database file was named: Data Source is empty."));
    const QFileInfo info(path);
    if (!info.exists())
        return TestResult::failed(QStringLiteral("Could not find file ") + quoted(path) + u'.');

    const bool access = isAccessDatabase(connection);
    if (info.isDir()) {
        if (!access && info.isReadable() && info.isExecutable())
            return TestResult::succeeded();
        if (access)
            return TestResult::failed(quoted(path)
                                      + QStringLiteral(" is a folder, not a database file."));
        return TestResult::failed(QStringLiteral("Cannot open the folder ") + quoted(path) + u'.');
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TestResult::failed(QStringLiteral("Cannot open the file ") + quoted(path)
                                  + QStringLiteral(": ") + file.errorString() + u'.');
    if (!access)
        return TestResult::succeeded();

    switch (signatureOf(file)) {
    case Signature::Jet:
        return TestResult::succeeded();
    case Signature::Ace:
        if (connection.value(oledb::property::Provider)
                .value_or(QString())
                .trimmed()
                .startsWith(u"Microsoft.Jet.", Qt::CaseInsensitive))
            return TestResult::failed(
                quoted(path)
                + QStringLiteral(" is an Access 2007 or later database, which the Jet 4.0 "
                                 "provider cannot open. Choose an Access Database Engine "
                                 "provider."));
        return TestResult::succeeded();
    case Signature::None:
        break;
    }
    return TestResult::failed(QStringLiteral("Unrecognized database format ") + quoted(path)
                              + QStringLiteral(". The file is not an Access database: its "
                                               "header carries neither \"Standard Jet DB\" nor "
                                               "\"Standard ACE DB\"."));
}

} // namespace drivers
