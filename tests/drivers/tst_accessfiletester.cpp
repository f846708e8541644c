#include "drivers/testing/accessfiletester.h"
#include "drivers/testing/connectiontester.h"
#include "oledb/providercatalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using drivers::TestResult;
using Outcome = TestResult::Outcome;

class tst_AccessFileTester : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void shouldCheckTheFileWithoutAnEngine_data();
    void shouldCheckTheFileWithoutAnEngine();

private:
    void write(const QString &name, const QByteArray &content);

    QTemporaryDir m_dir;
};

void tst_AccessFileTester::write(const QString &name, const QByteArray &content)
{
    QFile file(m_dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

void tst_AccessFileTester::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QByteArray page(2048, '\0');
    write(QStringLiteral("jet.mdb"), QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + page);
    write(QStringLiteral("ace.accdb"),
          QByteArray("\x00\x01\x00\x00Standard ACE DB\x00", 20) + page);
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
    const QString succeeded = QStringLiteral("Test connection succeeded.");
    QTest::newRow("Jet database") << jet << "jet.mdb" << QString() << Outcome::Succeeded
                                  << succeeded;
    QTest::newRow("ACE database") << ace << "ace.accdb" << QString() << Outcome::Succeeded
                                  << succeeded;
    QTest::newRow("Jet database through ACE")
        << ace << "jet.mdb" << QStringLiteral("MS Access") << Outcome::Succeeded << succeeded;
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
        << ace << "book.xlsx" << QStringLiteral("Excel 12.0 Xml;HDR=YES") << Outcome::Succeeded
        << succeeded;
    QTest::newRow("missing Excel workbook")
        << ace << "gone.xlsx" << QStringLiteral("Excel 12.0 Xml") << Outcome::Failed
        << QStringLiteral("Could not find file '%1'.");
    QTest::newRow("folder of text files")
        << jet << "csv" << QStringLiteral("Text;HDR=Yes;FMT=Delimited") << Outcome::Succeeded
        << succeeded;
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

    const QString path = file.isEmpty() ? QString() : m_dir.filePath(file);
    QString text = QStringLiteral("Provider=") + provider + QStringLiteral(";Data Source=\"") + path
        + QStringLiteral("\";User ID=Admin;Password=\"\"");
    if (!extendedProperties.isEmpty())
        text += QStringLiteral(";Extended Properties=\"") + extendedProperties + u'"';

    drivers::AccessFileTester tester;
    const std::atomic<bool> cancelled {false};
    const TestResult result = drivers::testConnectionString(
        tester, oledb::ProviderCatalogue::builtIn(), text, cancelled);
    QVERIFY2(result.outcome == outcome, qPrintable(result.message));
    const QString expected = says.contains(u"%1") ? says.arg(path) : says;
    QVERIFY2(result.message.contains(expected), qPrintable(result.message));
}

QTEST_GUILESS_MAIN(tst_AccessFileTester)
#include "tst_accessfiletester.moc"
