#include "app/layout.h"
#include "platform/error.h"

#include <QTest>

#include <limits>

using app::Layout;

class tst_Layout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placesTheControlsForTheWindowSize_data();
    void placesTheControlsForTheWindowSize();
    void failsOnAResultThatIsNoNumber();
};

namespace {
constexpr float PanelWidth = 3735;
constexpr float PanelHeight = 855;
} // namespace

void tst_Layout::placesTheControlsForTheWindowSize_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    // 0: the dimension is left alone.
    QTest::addColumn<float>("clampedWidth");
    QTest::addColumn<float>("clampedHeight");
    QTest::addColumn<float>("textWidth");
    QTest::addColumn<float>("textHeight");
    QTest::addColumn<float>("buttonTop");
    QTest::addColumn<float>("panelLeft");
    QTest::addColumn<float>("panelTop");

    QTest::newRow("minimum size") << 6120.f << 2250.f << 0.f << 0.f << 5900.f << 1280.f << 1410.f
                                  << 1192.5f << 212.5f;
    QTest::newRow("large") << 12000.f << 9000.f << 0.f << 0.f << 11780.f << 8030.f << 8160.f
                           << 4132.5f << 3587.5f;
    QTest::newRow("height just below minimum")
        << 6120.f << 2249.9f << 0.f << 2250.f << 5900.f << 1280.f << 1410.f << 1192.5f << 212.5f;
    QTest::newRow("width just below minimum")
        << 6119.9f << 2250.f << 6120.f << 0.f << 5900.f << 1280.f << 1410.f << 1192.5f << 212.5f;
    QTest::newRow("both below minimum")
        << 5000.f << 1500.f << 6120.f << 2250.f << 5900.f << 1280.f << 1410.f << 1192.5f << 212.5f;
}

void tst_Layout::placesTheControlsForTheWindowSize()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, clampedWidth);
    QFETCH(float, clampedHeight);

    QCOMPARE(Layout::clampedWidth(width).value_or(0), clampedWidth);
    QCOMPARE(Layout::clampedHeight(height).value_or(0), clampedHeight);

    // The window as it is once the clamps have been applied.
    const float w = Layout::clampedWidth(width).value_or(width);
    const float h = Layout::clampedHeight(height).value_or(height);
    const float textHeight = Layout::textBoxHeight(h);
    QTEST(Layout::textBoxWidth(w), "textWidth");
    QTEST(textHeight, "textHeight");
    QTEST(Layout::buttonTop(h), "buttonTop");
    QTEST(Layout::panelLeft(w, PanelWidth), "panelLeft");
    QTEST(Layout::panelTop(textHeight, PanelHeight), "panelTop");
}

void tst_Layout::failsOnAResultThatIsNoNumber()
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    QVERIFY_THROWS_EXCEPTION(platform::Error, Layout::textBoxWidth(inf));
    QVERIFY_THROWS_EXCEPTION(platform::Error, Layout::textBoxHeight(nan));
    QVERIFY_THROWS_EXCEPTION(platform::Error, Layout::buttonTop(-inf));
    QVERIFY_THROWS_EXCEPTION(platform::Error, Layout::panelLeft(inf, inf));
    QVERIFY_THROWS_EXCEPTION(platform::Error, Layout::panelTop(nan, PanelHeight));
}

QTEST_APPLESS_MAIN(tst_Layout)
#include "tst_layout.moc"
