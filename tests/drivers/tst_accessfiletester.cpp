#include "drivers/testing/accessfiletester.h"
#include "drivers/testing/connectiontester.h"
#include "drivers/testing/jetheader.h"
#include "oledb/providercatalogue.h"
#include "tests/drivers/jetfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using drivers::TestResult;
using Outcome = TestResult::Outcome;
using Format = drivers::JetHeader::Format;

class tst_AccessFileTester : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shouldCheckTheFileWithoutAnEngine_data();
    void shouldCheckTheFileWithoutAnEngine();
    void shouldTakeOnlyWhatTheReadersProcessAnswers_data();
    void shouldTakeOnlyWhatTheReadersProcessAnswers();
    void readsTheHeaderAsTheEngineKeepsIt_data();
    void readsTheHeaderAsTheEngineKeepsIt();

private:
    void write(const QString &name, const QByteArray &content);
    // Tests `text` and checks the outcome and that the message says `says`.
    static void verifyTest(drivers::IConnectionTester &tester, const QString &text, Outcome outcome,
                           const QString &says);

    QTemporaryDir m_dir;
};

void tst_AccessFileTester::verifyTest(drivers::IConnectionTester &tester, const QString &text,
                                      Outcome outcome, const QString &says)
{
    const std::atomic<bool> cancelled {false};
    const TestResult result = drivers::testConnectionString(
        tester, oledb::ProviderCatalogue::builtIn(), text, cancelled);
    QVERIFY2(result.outcome == outcome, qPrintable(result.message));
    QVERIFY2(result.message.contains(says), qPrintable(result.message));
}

void tst_AccessFileTester::write(const QString &name, const QByteArray &content)
{
    QFile file(m_dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

void tst_AccessFileTester::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QList<testsupport::JetTable> tables {
        {QStringLiteral("Notes"), {QStringLiteral("Text")}, {{QStringLiteral("hello")}}}};
    write(QStringLiteral("jet.mdb"), testsupport::jetDatabase(tables));
    write(QStringLiteral("ace.accdb"), testsupport::jetDatabase(tables, {Format::Ace, {}, false}));
    write(QStringLiteral("locked.mdb"),
          testsupport::jetDatabase(tables, {Format::Jet4, QStringLiteral("s3cret"), false}));
    write(QStringLiteral("encoded.mdb"),
          testsupport::jetDatabase(tables, {Format::Jet4, {}, true}));
    write(QStringLiteral("encrypted.accdb"),
          testsupport::jetDatabase(tables, {Format::Ace, QStringLiteral("s3cret"), true}));
    write(QStringLiteral("maps.mdb"),
          testsupport::jetDatabase(
              tables, {Format::Jet4, {}, false, testsupport::JetFileOptions::Damage::UsageMaps}));
    write(QStringLiteral("header.mdb"),
          QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2048, '\0'));
    write(QStringLiteral("notes.txt"), "Standard Jet DB, they said.\n");
    write(QStringLiteral("empty.mdb"), QByteArray());
    write(QStringLiteral("book.xlsx"), "PK\x03\x04");
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("csv")));
}

void tst_AccessFileTester::shouldCheckTheFileWithoutAnEngine_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("extendedProperties");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("says");

    const QString jet = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
    const QString ace = QStringLiteral("Microsoft.ACE.OLEDB.12.0");
    // No reader here: a sound database is found and read, not opened.
    const QString notOpened = QStringLiteral("'%1' carries an Access database's header, but it "
                                             "was not opened: that needs the Access file reader");
    QTest::newRow("Jet database") << jet << "jet.mdb" << QString() << Outcome::NotTestable
                                  << notOpened;
    QTest::newRow("ACE database") << ace << "ace.accdb" << QString() << Outcome::NotTestable
                                  << notOpened;
    QTest::newRow("Jet database through ACE")
        << ace << "jet.mdb" << QStringLiteral("MS Access") << Outcome::NotTestable << notOpened;
    QTest::newRow("database password given")
        << jet << "locked.mdb;Jet OLEDB:Database Password=s3cret" << QString()
        << Outcome::NotTestable << notOpened;
    QTest::newRow("wrong database password")
        << jet << "locked.mdb;Jet OLEDB:Database Password=s3cre" << QString() << Outcome::Failed
        << QStringLiteral("Not a valid password.");
    QTest::newRow("database password missing")
        << jet << "locked.mdb" << QString() << Outcome::Failed
        << QStringLiteral("Not a valid password.");
    QTest::newRow("encoded Jet database")
        << jet << "encoded.mdb" << QString() << Outcome::NotTestable << notOpened;
    QTest::newRow("encrypted ACE database")
        << ace << "encrypted.accdb;Jet OLEDB:Database Password=s3cret" << QString()
        << Outcome::NotTestable
        << QStringLiteral("'%1' is an encrypted Access database. Its header was read, but");
    QTest::newRow("header without a catalogue")
        << jet << "header.mdb" << QString() << Outcome::Failed
        << QStringLiteral("its catalogue is missing or damaged");
    // The reader would bring the process down.
    QTest::newRow("catalogue without its usage map")
        << jet << "maps.mdb" << QString() << Outcome::Failed
        << QStringLiteral("its catalogue is missing or damaged");
    QTest::newRow("ACE database through Jet") << jet << "ace.accdb" << QString() << Outcome::Failed
                                              << QStringLiteral("Access 2007 or later database");
    QTest::newRow("missing file") << jet << "gone.mdb" << QString() << Outcome::Failed
                                  << QStringLiteral("Could not find file '%1'.");
    QTest::newRow("text file that is not a database")
        << jet << "notes.txt" << QString() << Outcome::Failed
        << QStringLiteral("Unrecognized database format '%1'.");
    QTest::newRow("empty file") << ace << "empty.mdb" << QString() << Outcome::Failed
                                << QStringLiteral("Unrecognized database format '%1'.");
    QTest::newRow("folder named as a database")
        << jet << "csv" << QString() << Outcome::Failed << QStringLiteral("'%1' is a folder");
    QTest::newRow("Excel workbook")
        << ace << "book.xlsx" << QStringLiteral("Excel 12.0 Xml;HDR=YES") << Outcome::NotTestable
        << QStringLiteral("The file '%1' exists and can be read, but it was not opened: on this "
                          "machine Test Connection opens Access databases only, not \"Excel "
                          "12.0 Xml\" sources.");
    QTest::newRow("missing Excel workbook")
        << ace << "gone.xlsx" << QStringLiteral("Excel 12.0 Xml") << Outcome::Failed
        << QStringLiteral("Could not find file '%1'.");
    QTest::newRow("folder of text files")
        << jet << "csv" << QStringLiteral("Text;HDR=Yes;FMT=Delimited") << Outcome::NotTestable
        << QStringLiteral("The folder '%1' exists and can be read, but its files were not read");
    QTest::newRow("no file named")
        << jet << "" << QString() << Outcome::Failed << QStringLiteral("Data Source is empty");
}

void tst_AccessFileTester::shouldCheckTheFileWithoutAnEngine()
{
    QFETCH(QString, provider);
    QFETCH(QString, file);
    QFETCH(QString, extendedProperties);
    QFETCH(Outcome, outcome);
    QFETCH(QString, says);

    // What follows the file's name is more of the string.
    const QString rest = file.section(u';', 1);
    file = file.section(u';', 0, 0);
    const QString path = file.isEmpty() ? QString() : m_dir.filePath(file);
    QString text = QStringLiteral("Provider=") + provider + QStringLiteral(";Data Source=\"") + path
        + QStringLiteral("\";User ID=Admin;Password=\"\"");
    if (!rest.isEmpty())
        text += u';' + rest;
    if (!extendedProperties.isEmpty())
        text += QStringLiteral(";Extended Properties=\"") + extendedProperties + u'"';

    drivers::AccessFileTester tester([] { return QString(); }, [] { return QString(); });
    verifyTest(tester, text, outcome, says.contains(u"%1") ? says.arg(path) : says);
}

// The reader's process stood in for by scripts, which get the ODBC string as their argument.
void tst_AccessFileTester::shouldTakeOnlyWhatTheReadersProcessAnswers_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("says");

    QTest::newRow("tables and system tables, after the driver's own words")
        << QByteArray("echo 'mdb: a warning'\necho '{\"connected\":true,\"tables\":[\"Notes\"],"
                      "\"systemTables\":[\"MSysObjects\"],\"diagnostics\":\"\"}'")
        << Outcome::Succeeded << QStringLiteral("Test connection succeeded.");
    QTest::newRow("refused, in words that name the file it was handed")
        << QByteArray("echo \"{\\\"connected\\\":false,\\\"diagnostics\\\":\\\"Unable to locate "
                      "database ${1#*DBQ=}\\\"}\"")
        << Outcome::Failed << QStringLiteral("Could not open '%1': Unable to locate database %1");
    QTest::newRow("no system tables: the catalogue was not read")
        << QByteArray("echo '{\"connected\":true,\"tables\":[],\"systemTables\":[]}'")
        << Outcome::Failed << QStringLiteral("could not read its catalogue");
    QTest::newRow("crashed on the file")
        << QByteArray("kill -SEGV $$") << Outcome::Failed
        << QStringLiteral("Could not open '%1': the reader stopped on the file (it crashed)");
    QTest::newRow("no answer") << QByteArray("echo '{\"tables\":[\"Notes\"]}'") << Outcome::Failed
                               << QStringLiteral("the reader gave no answer.");
    QTest::newRow("an answer but a failing exit")
        << QByteArray("echo '{\"connected\":true,\"systemTables\":[\"MSysObjects\"]}'; exit 1")
        << Outcome::Failed << QStringLiteral("the reader gave no answer.");
}

void tst_AccessFileTester::shouldTakeOnlyWhatTheReadersProcessAnswers()
{
    QFETCH(QByteArray, script);
    QFETCH(Outcome, outcome);
    QFETCH(QString, says);

    const QString program = m_dir.filePath(QStringLiteral("reader.sh"));
    QFile::remove(program);
    write(QStringLiteral("reader.sh"), "#!/bin/sh\n" + script + '\n');
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));

    const QString path = m_dir.filePath(QStringLiteral("jet.mdb"));
    drivers::AccessFileTester tester([] { return QStringLiteral("MDBTools"); },
                                     [&] { return program; });
    verifyTest(tester, QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path,
               outcome, says.contains(u"%1") ? says.arg(path) : says);
}

void tst_AccessFileTester::readsTheHeaderAsTheEngineKeepsIt_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("isDatabase");
    QTest::addColumn<Format>("format");
    QTest::addColumn<bool>("encoded");
    QTest::addColumn<QString>("password");

    using testsupport::jetDatabase;
    const QList<testsupport::JetTable> tables {
        {QStringLiteral("Customers"), {QStringLiteral("Name")}, {{QStringLiteral("Ada")}}}};
    // With no password the field holds the creation date's mask, which must not read as one.
    QTest::newRow("Jet 4 without a password")
        << jetDatabase(tables) << true << Format::Jet4 << false << QString();
    const QString unicode = QStringLiteral("Pa55 w\u00f6rd \u20ac\u4e2d");
    QTest::newRow("Jet 4 password beyond Latin-1")
        << jetDatabase(tables, {Format::Jet4, unicode, false}) << true << Format::Jet4 << false
        << unicode;
    const QString full = QStringLiteral("abcdefghij0123456789");
    QTest::newRow("Jet 4 password filling the field, encoded")
        << jetDatabase(tables, {Format::Jet4, full, true}) << true << Format::Jet4 << true << full;
    QTest::newRow("ACE, encoded") << jetDatabase(tables, {Format::Ace, QString(), true}) << true
                                  << Format::Ace << true << QString();
    QTest::newRow("header cut inside its masked part")
        << jetDatabase(tables).first(0x97) << false << Format::Jet4 << false << QString();
    QTest::newRow("text naming the engine")
        << QByteArray("Standard Jet DB, they said.\n").leftJustified(4096, ' ') << false
        << Format::Jet4 << false << QString();
}

void tst_AccessFileTester::readsTheHeaderAsTheEngineKeepsIt()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, isDatabase);
    QFETCH(Format, format);
    QFETCH(bool, encoded);
    QFETCH(QString, password);

    const std::optional<drivers::JetHeader> header = drivers::readJetHeader(file);
    QCOMPARE(header.has_value(), isDatabase);
    if (!header)
        return;
    QCOMPARE(header->format, format);
    QCOMPARE(header->version, format == Format::Ace ? 2 : 1);
    QCOMPARE(header->encoded, encoded);
    QCOMPARE(header->password, password);
}

QTEST_GUILESS_MAIN(tst_AccessFileTester)
#include "tst_accessfiletester.moc"
