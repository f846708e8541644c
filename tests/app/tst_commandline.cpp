#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using namespace Qt::StringLiterals;

// Both programs run as a user would start them from a terminal with no desktop: no display, no
// platform forced, so anything that reached for a window would fail rather than pass quietly.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutADisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expectedOut"); // a line the output must hold; empty: no output
        QTest::addColumn<QString>("expectedErr");

        const QString corvanta = QStringLiteral(CORVANTA_BIN);
        const QString connstr = QStringLiteral(CORVANTA_CONNSTR);
        QTest::newRow("--help prints the usage")
            << corvanta << QStringList {u"--help"_s} << 0 << u"--version"_s << QString();
        QTest::newRow("-h prints the usage")
            << corvanta << QStringList {u"-h"_s} << 0 << u"--help"_s << QString();
        QTest::newRow("--version prints the version") << corvanta << QStringList {u"--version"_s}
                                                      << 0 << u"corvanta 1.00.0001"_s << QString();
        QTest::newRow("an unknown option is refused with the usage")
            << corvanta << QStringList {u"--frobnicate"_s} << 2 << QString()
            << u"Unknown option 'frobnicate'"_s;
        QTest::newRow("the toolkit's own options do not hide an unknown one")
            << corvanta << QStringList {u"-platform"_s, u"offscreen"_s, u"-x"_s} << 2 << QString()
            << u"--version"_s;
        QTest::newRow("a stray argument is refused")
            << corvanta << QStringList {u"file.udl"_s} << 2 << QString() << u"file.udl"_s;
        QTest::newRow("connstr --help lists the commands")
            << connstr << QStringList {u"--help"_s} << 0 << u"format"_s << QString();
        QTest::newRow("connstr --version prints the version")
            << connstr << QStringList {u"--version"_s} << 0 << u"corvanta-connstr 1.00.0001"_s
            << QString();
    }

    void answersWithoutADisplay()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, expectedOut);
        QFETCH(QString, expectedErr);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        if (expectedOut.isEmpty())
            QCOMPARE(out, QString());
        else
            QVERIFY2(out.contains(expectedOut), qPrintable(out));
        if (expectedErr.isEmpty())
            QCOMPARE(err, QString());
        else
            QVERIFY2(err.contains(expectedErr), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
