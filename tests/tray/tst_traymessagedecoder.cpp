#include "tray/traymessagedecoder.h"

#include "platform/error.h"

#include <QTest>

#include <limits>

using tray::TrayMessageDecoder;

class tst_TrayMessageDecoder final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundsToTheNearestWholeNumber_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("twipsPerPixel");
        QTest::addColumn<int>("message");

        // twipsPerPixel 0 here means the pixel path.
        QTest::newRow("pixels, just below") << 516.6f << 0.f << 517;
        QTest::newRow("pixels, just above") << 517.4f << 0.f << 517;
        QTest::newRow("pixels, tie to even below") << 514.5f << 0.f << 514;
        QTest::newRow("pixels, tie to even above") << 515.5f << 0.f << 516;
        QTest::newRow("pixels, negative tie") << -2.5f << 0.f << -2;
        QTest::newRow("twips, quotient 516.9997") << 7754.9955f << 15.f << 517;
        QTest::newRow("twips, quotient 517.4") << 6208.8f << 12.f << 517;
        QTest::newRow("twips, tie to even") << 7702.5f << 15.f << 514;
        QTest::newRow("twips, 32-bit maximum") << 2147483520.f << 1.f << 2147483520;
        QTest::newRow("twips, 32-bit minimum")
            << -2147483648.f << 1.f << std::numeric_limits<int>::min();
    }
    void roundsToTheNearestWholeNumber()
    {
        QFETCH(float, x);
        QFETCH(float, twipsPerPixel);
        QFETCH(int, message);

        const qint32 decoded = twipsPerPixel == 0
            ? TrayMessageDecoder::fromPixels(x)
            : TrayMessageDecoder::fromScaleUnits(x, twipsPerPixel);
        QCOMPARE(decoded, message);
    }

    void refusesWhatIsNoMessageNumber_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("twipsPerPixel");
        QTest::addColumn<QString>("message");

        constexpr float inf = std::numeric_limits<float>::infinity();
        constexpr float nan = std::numeric_limits<float>::quiet_NaN();
        const QString DivisionByZero = QStringLiteral("Division by zero");
        const QString Overflow = QStringLiteral("Overflow");
        // twipsPerPixel -1 here means the pixel path.
        QTest::newRow("division by zero") << 7755.f << 0.f << DivisionByZero;
        QTest::newRow("zero by zero") << 0.f << 0.f << DivisionByZero;
        QTest::newRow("infinite X") << inf << 15.f << Overflow;
        QTest::newRow("NaN X") << nan << 15.f << Overflow;
        QTest::newRow("infinite divisor") << 7755.f << inf << Overflow;
        QTest::newRow("quotient overflows float") << 3e38f << 1e-30f << Overflow;
        QTest::newRow("quotient above 32 bits") << 2147483648.f << 1.f << Overflow;
        QTest::newRow("quotient below 32 bits") << -2147483904.f << 1.f << Overflow;
        QTest::newRow("pixels above 32 bits") << 3e9f << -1.f << Overflow;
        QTest::newRow("pixels NaN") << nan << -1.f << Overflow;
    }
    void refusesWhatIsNoMessageNumber()
    {
        QFETCH(float, x);
        QFETCH(float, twipsPerPixel);
        QFETCH(QString, message);

        try {
            if (twipsPerPixel == -1)
                TrayMessageDecoder::fromPixels(x);
            else
                TrayMessageDecoder::fromScaleUnits(x, twipsPerPixel);
            QFAIL("decoded");
        } catch (const platform::Error &error) {
            QCOMPARE(error.message(), message);
        }
    }
};

QTEST_APPLESS_MAIN(tst_TrayMessageDecoder)
#include "tst_traymessagedecoder.moc"
