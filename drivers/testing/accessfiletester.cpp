#include "drivers/testing/accessfiletester.h"

#include "drivers/odbc.h"
#include "drivers/testing/jetheader.h"
#include "oledb/connectionstring.h"
#include "oledb/odbcattributes.h"
#include "oledb/propertynames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

namespace drivers {

namespace {

// The first item of Extended Properties names the installable format: "Excel 12.0 Xml",
// "Text", "dBASE IV" and so on; none, or "MS Access", means an Access database.
QString installableFormat(const oledb::ConnectionString &connection)
{
    return connection.value(oledb::property::ExtendedProperties)
        .value_or(QString())
        .section(u';', 0, 0)
        .trimmed();
}

bool isAccessDatabase(const QString &format)
{
    return format.isEmpty() || format.startsWith(u"MS Access", Qt::CaseInsensitive);
}

QString quoted(const QString &path)
{
    return u'\'' + path + u'\'';
}

QString valueOf(const oledb::ConnectionString &connection, const QString &name)
{
    return connection.value(name).value_or(QString());
}

TestResult unrecognized(const QString &path, const QString &why)
{
    return TestResult::failed(QStringLiteral("Unrecognized database format ") + quoted(path)
                              + QStringLiteral(". ") + why);
}

// The reader trusts the file's catalogue to be where the engine keeps it: the definition of
// the table of objects on the third page, and the usage map that definition names, which lists
// the catalogue's pages. It follows that map without a look and brings the whole process down
// on an empty one, so a file cut short or damaged there is refused here rather than handed to
// it.
bool hasCatalogue(QFile &file, const JetHeader &header)
{
    const bool jet3 = header.format == JetHeader::Format::Jet3;
    const qint64 pageSize = jet3 ? 2048 : 4096;
    const auto page = [&](quint32 number) {
        if (!file.seek(qint64(number) * pageSize))
            return QByteArray();
        QByteArray read = decodedPage(header, number, file.read(pageSize));
        return read.size() == pageSize ? read : QByteArray();
    };
    const QByteArray definition = page(2);
    if (definition.isEmpty() || definition[0] != '\x02' || definition[1] != '\x01')
        return false;
    // The map is a row on another page, named as page << 8 | row. Rows lie from the end of
    // their page, each up to where the one before it starts; the top bits of an offset flag the
    // row, and are no part of it.
    const auto map = qFromLittleEndian<quint32>(definition.constData() + (jet3 ? 35 : 55));
    const QByteArray maps = page(map >> 8);
    const qsizetype rowCount = jet3 ? 8 : 12;
    const quint32 row = map & 0xff;
    if (maps.isEmpty() || row >= qFromLittleEndian<quint16>(maps.constData() + rowCount))
        return false;
    const auto offset = [&](quint32 index) -> qsizetype {
        return qFromLittleEndian<quint16>(maps.constData() + rowCount + 2 + 2 * index) & 0x1fff;
    };
    const qsizetype end = row == 0 ? pageSize : offset(row - 1);
    // A map holds at least its type and the page its bitmap starts from.
    return end <= pageSize && end - offset(row) >= 5;
}

// A source that is there, of a kind no reader here opens.
TestResult notAnAccessDatabase(const QString &what, const QString &notDone, const QString &format)
{
    return TestResult::notTestable(what + QStringLiteral(" exists and can be read, but ") + notDone
                                   + QStringLiteral(": on this machine Test Connection opens "
                                                    "Access databases only, not \"")
                                   + format + QStringLiteral("\" sources."));
}

// A sound database, with nothing here to open it.
TestResult notOpened(const QString &path, const QString &why)
{
    return TestResult::notTestable(
        quoted(path)
        + QStringLiteral(" carries an Access database's header, but it was not "
                         "opened: ")
        + why);
}

QStringList texts(const QJsonValue &value)
{
    QStringList names;
    for (const QJsonValue &item : value.toArray())
        names.append(item.toString());
    return names;
}

// What the reader's process answers, in the listing's terms: a process that does not finish as
// it should is a log-on that failed, with why.
odbc::TableListing listInProcess(const QString &program, const QString &connectionString,
                                 const std::atomic<bool> &cancelled)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({connectionString});
    // The driver writes what it cannot read to the console, for nobody here.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted())
        return {false,
                {},
                {},
                QStringLiteral("the reader could not be started: ") + process.errorString()};
    while (!process.waitForFinished(100)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (cancelled) {
            process.kill();
            process.waitForFinished();
            return {};
        }
    }
    if (process.exitStatus() == QProcess::CrashExit)
        return {false,
                {},
                {},
                QStringLiteral("the reader stopped on the file (it crashed), so the file is "
                               "damaged or in a form the reader does not know.")};
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    const QJsonObject answer = QJsonDocument::fromJson(lines.last()).object();
    if (process.exitCode() != 0 || !answer.value(QLatin1String("connected")).isBool())
        return {false, {}, {}, QStringLiteral("the reader gave no answer.")};
    return {answer.value(QLatin1String("connected")).toBool(),
            texts(answer.value(QLatin1String("tables"))),
            texts(answer.value(QLatin1String("systemTables"))),
            answer.value(QLatin1String("diagnostics")).toString()};
}

} // namespace

AccessFileTester::AccessFileTester(std::function<QString()> findReader,
                                   std::function<QString()> findReaderProcess)
    : m_findReader(std::move(findReader))
    , m_findReaderProcess(std::move(findReaderProcess))
{ }

TestResult AccessFileTester::test(const oledb::ConnectionString &connection,
                                  const std::atomic<bool> &cancelled)
{
    const QString path = valueOf(connection, oledb::property::DataSource).trimmed();
    if (path.isEmpty())
        return TestResult::failed(
            QStringLiteral("No database file was named: Data Source is empty."));
    const QFileInfo info(path);
    if (!info.exists())
        return TestResult::failed(QStringLiteral("Could not find file ") + quoted(path) + u'.');

    const QString format = installableFormat(connection);
    const bool access = isAccessDatabase(format);
    if (info.isDir()) {
        if (access)
            return TestResult::failed(quoted(path)
                                      + QStringLiteral(" is a folder, not a database file."));
        if (!info.isReadable() || !info.isExecutable())
            return TestResult::failed(QStringLiteral("Cannot open the folder ") + quoted(path)
                                      + u'.');
        return notAnAccessDatabase(QStringLiteral("The folder ") + quoted(path),
                                   QStringLiteral("its files were not read"), format);
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TestResult::failed(QStringLiteral("Cannot open the file ") + quoted(path)
                                  + QStringLiteral(": ") + file.errorString() + u'.');
    if (!access)
        return notAnAccessDatabase(QStringLiteral("The file ") + quoted(path),
                                   QStringLiteral("it was not opened"), format);

    const std::optional<JetHeader> header = readJetHeader(file.read(4096));
    if (!header)
        return unrecognized(path,
                            QStringLiteral("The file is not an Access database: its "
                                           "header carries neither \"Standard Jet DB\" "
                                           "nor \"Standard ACE DB\"."));
    if (header->format == JetHeader::Format::Ace
        && valueOf(connection, oledb::property::Provider)
               .trimmed()
               .startsWith(u"Microsoft.Jet.", Qt::CaseInsensitive))
        return TestResult::failed(
            quoted(path)
            + QStringLiteral(" is an Access 2007 or later database, which the Jet 4.0 "
                             "provider cannot open. Choose an Access Database Engine provider."));
    // A Jet file's encoding the reader undoes; an ACE file is encrypted under its password.
    if (header->encoded && header->format == JetHeader::Format::Ace)
        return TestResult::notTestable(
            quoted(path)
            + QStringLiteral(" is an encrypted Access database. Its header was read, but the "
                             "database was not opened: the reader on this machine cannot "
                             "decrypt it, so neither the password nor the tables were checked."));
    if (!hasCatalogue(file, *header))
        return unrecognized(path,
                            QStringLiteral("The file carries an Access database's "
                                           "header, but its catalogue is missing or "
                                           "damaged."));
    // The engine refuses a database password that does not match the one in the header, and
    // the reader would not check it at all.
    if (!header->password.isEmpty()
        && valueOf(connection, oledb::property::JetDatabasePassword) != header->password)
        return TestResult::failed(QStringLiteral("Not a valid password."));
    file.close();

    const QString reader = m_findReader();
    if (reader.isEmpty())
        return notOpened(path,
                         QStringLiteral("that needs the Access file reader in the "
                                        "Debian package odbc-mdbtools."));
    const QString readerProcess = m_findReaderProcess();
    if (readerProcess.isEmpty())
        return notOpened(path,
                         QStringLiteral("corvanta-access-reader, which runs the reader, "
                                        "is not installed with Corvanta."));
    if (cancelled)
        return TestResult::failed(QStringLiteral("The test was cancelled."));

    // The reader takes DBQ as it stands, braces and all, so it cannot be handed a path with a
    // semicolon, and the driver manager narrows the path to the locale's code page: it is
    // handed a link of a plain name instead, and its words are given back with the path.
    const QTemporaryDir links;
    QString handed = links.filePath(QStringLiteral("database") + u'.' + info.suffix());
    if (!links.isValid() || !QFile::link(info.absoluteFilePath(), handed))
        handed = path;
    oledb::OdbcAttributes attributes;
    attributes.set(QStringLiteral("DRIVER"), reader);
    attributes.set(QStringLiteral("DBQ"), handed);
    odbc::TableListing tables = listInProcess(readerProcess, attributes.toString(), cancelled);
    if (cancelled)
        return TestResult::failed(QStringLiteral("The test was cancelled."));
    tables.diagnostics.replace(handed, path);
    if (!tables.connected && tables.diagnostics.isEmpty())
        tables.diagnostics = QStringLiteral("the reader gave no reason.");
    if (!tables.connected)
        return TestResult::failed(QStringLiteral("Could not open ") + quoted(path)
                                  + QStringLiteral(": ") + tables.diagnostics);
    if (!tables.diagnostics.isEmpty())
        return TestResult::failed(QStringLiteral("Opened ") + quoted(path)
                                  + QStringLiteral(", but could not list its tables: ")
                                  + tables.diagnostics);
    // The catalogue lists itself and the engine's other tables as system tables in every
    // database. The reader lists none when it could not read the catalogue, and says nothing of
    // it but to the console.
    if (tables.systemTables.isEmpty())
        return TestResult::failed(QStringLiteral("Opened ") + quoted(path)
                                  + QStringLiteral(", but could not read its catalogue: the "
                                                   "reader found none of the system tables every "
                                                   "Access database has, so the file is damaged "
                                                   "or in a form the reader does not know."));

    const QString workgroup = valueOf(connection, oledb::property::JetSystemDatabase).trimmed();
    if (!workgroup.isEmpty())
        return TestResult::notTestable(
            QStringLiteral("Opened ") + quoted(path) + QStringLiteral(" and listed its ")
            + QString::number(tables.tables.size())
            + QStringLiteral(" tables, but the user was not checked against the workgroup "
                             "information file ")
            + quoted(workgroup)
            + QStringLiteral(": the reader on this machine does not read workgroup files."));
    return TestResult::succeeded();
}

QString findAccessFileReader()
{
    return odbc::findDriver(QStringLiteral("libmdbodbc.so"), u"MDBTools");
}

QString findAccessReaderProcess()
{
    const QString named = qEnvironmentVariable("CORVANTA_ACCESS_READER");
    if (!named.isEmpty())
        return named;
    const QDir folder(QCoreApplication::applicationDirPath());
    for (const QString &candidate :
         {folder.filePath(QStringLiteral("corvanta-access-reader")),
          folder.filePath(QStringLiteral(CORVANTA_LIBEXEC_FROM_BIN "/corvanta-access-reader"))}) {
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    }
    return {};
}

} // namespace drivers
