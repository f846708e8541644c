#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The dialog at the scales and font resolutions desktops use, each on a screen of its own
// (the scale and resolution are fixed when a program starts, so each row starts the probe).
class tst_DialogLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPageFitsWithoutSidewaysScrolling_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("noScrolling");
        // A screen of 1024 x 768 at 96 dpi and 1x; a finer or a scaled one has the pixels to
        // match (192 dpi is a 2048 x 1536 screen, not a small one read closely).
        QTest::newRow("1x, 96 dpi, nothing scrolls") << 1.0 << 96 << true;
        QTest::newRow("1.5x") << 1.5 << 96 << false;
        QTest::newRow("2x") << 2.0 << 96 << false;
        QTest::newRow("120 dpi") << 1.0 << 120 << false;
        QTest::newRow("144 dpi") << 1.0 << 144 << false;
        QTest::newRow("192 dpi") << 1.0 << 192 << false;
    }

    void everyPageFitsWithoutSidewaysScrolling()
    {
        QFETCH(double, scale);
        QFETCH(int, dpi);
        QFETCH(bool, noScrolling);
        QTemporaryDir directory;
        QVERIFY(directory.isValid());
        // Font resolution without scaling: the base resolution follows, as on a desktop that
        // sets only Xft.dpi.
        const QString screen = QStringLiteral("{\"screens\": [{\"name\": \"probe\", \"x\": 0, "
                                              "\"y\": 0, \"width\": %1, \"height\": %2, "
                                              "\"logicalDpi\": %3, \"logicalBaseDpi\": %3, "
                                              "\"dpr\": 1}]}")
                                   .arg(qRound(1024 * scale * dpi / 96))
                                   .arg(qRound(768 * scale * dpi / 96))
                                   .arg(dpi);
        QFile config(directory.filePath(QStringLiteral("screen.json")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(screen.toUtf8());
        config.close();

        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                           QStringLiteral("offscreen:configfile=") + config.fileName());
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
        probe.setProcessEnvironment(environment);
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(QStringLiteral(LAYOUT_PROBE),
                    noScrolling ? QStringList {QStringLiteral("--no-scrolling")} : QStringList {});
        QVERIFY(probe.waitForFinished(90000));
        const QByteArray output = probe.readAll();
        QVERIFY2(probe.exitCode() == 0, output.constData());
    }
};

QTEST_GUILESS_MAIN(tst_DialogLayout)
#include "tst_dialoglayout.moc"
