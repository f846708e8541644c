#include "app/resizelayout.h"
#include "tests/doubles/fakecontrol.h"
#include "tests/doubles/fakewindow.h"

#include <QMap>
#include <QTest>

#include <cmath>
#include <memory>

using Geometry = QMap<QString, float>;

// Lets QCOMPARE show which control is out of place.
char *toString(const Geometry &geometry)
{
    QStringList entries;
    for (auto it = geometry.cbegin(); it != geometry.cend(); ++it)
        entries.append(it.key() + QLatin1Char('=') + QString::number(it.value()));
    return qstrdup(entries.join(QStringLiteral(", ")).toUtf8().constData());
}

class tst_ResizeLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void laysOutTheWindowAtItsSize_data();
    void laysOutTheWindowAtItsSize();
    void doesNothingWhileMinimised();
    void goesOnWhenTheStateCannotBeRead();
    void setsTheMinimumWhenTheSizeCannotBeRead_data();
    void setsTheMinimumWhenTheSizeCannotBeRead();
    void skipsOnlyTheFailingStep_data();
    void skipsOnlyTheFailingStep();
    void placesTheButtonsAndTheBannerLeftWithoutTheTextBox();
    void endsInTheSameLayoutWhetherANestedResizeComesAtOnceOrLater();
    void centresTheBannerOnTheTextBoxHeightAsRounded();

private:
    Geometry geometry() const;
    // Fails only the n-th time the operation runs, as found by a clean rehearsal of the resize.
    void failOccurrence(const QString &operation, int occurrence);

    std::unique_ptr<doubles::Faults> m_faults;
    std::unique_ptr<doubles::FakeWindow> m_window;
    std::unique_ptr<doubles::FakeTextBox> m_text;
    std::unique_ptr<doubles::FakeControl> m_create, m_clear, m_copy, m_close;
    std::unique_ptr<doubles::FakeControl> m_banner;
    std::unique_ptr<app::ResizeLayout> m_layout;
};

namespace {

// The four buttons always share one top.
Geometry placed(float width, float height, float textWidth, float textHeight, float buttonTop,
                float bannerLeft, float bannerTop)
{
    return {
        {QStringLiteral("frmMain.Width"), width},
        {QStringLiteral("frmMain.Height"), height},
        {QStringLiteral("txtConnStr.Width"), textWidth},
        {QStringLiteral("txtConnStr.Height"), textHeight},
        {QStringLiteral("cmdDLPrompt.Top"), buttonTop},
        {QStringLiteral("cmdClear.Top"), buttonTop},
        {QStringLiteral("cmdCopy.Top"), buttonTop},
        {QStringLiteral("cmdClose.Top"), buttonTop},
        {QStringLiteral("Picture1.Left"), bannerLeft},
        {QStringLiteral("Picture1.Top"), bannerTop},
    };
}

// The banner is 3735 x 855 throughout. Where the controls are when the window is created, which
// is also the layout at the minimum size:
const Geometry Created = placed(6120, 2250, 5900, 1280, 1410, 1192.5f, 212.5f);
// The window most tests resize to.
const Geometry Large = placed(12000, 9000, 11780, 8030, 8160, 4132.5f, 3587.5f);

} // namespace

void tst_ResizeLayout::init()
{
    m_layout.reset();
    m_faults = std::make_unique<doubles::Faults>();
    auto &faults = *m_faults;
    m_window = std::make_unique<doubles::FakeWindow>(faults);
    m_window->width = 6120;
    m_window->height = 2250;
    m_text = std::make_unique<doubles::FakeTextBox>(faults, QStringLiteral("txtConnStr"), 50, 50,
                                                    5900, 1280);
    const auto button = [&faults](const char *name, float left) {
        return std::make_unique<doubles::FakeControl>(faults, QLatin1String(name), left, 1410, 1455,
                                                      375);
    };
    m_create = button("cmdDLPrompt", 50);
    m_clear = button("cmdClear", 3015);
    m_copy = button("cmdCopy", 1530);
    m_close = button("cmdClose", 4520);
    m_banner = std::make_unique<doubles::FakeControl>(faults, QStringLiteral("Picture1"), 1192.5f,
                                                      212.5f, 3735, 855);
    m_layout = std::make_unique<app::ResizeLayout>(*m_window, *m_text, *m_create, *m_clear, *m_copy,
                                                   *m_close, *m_banner);
    m_window->onResize = [this] {
        m_layout->run();
    };
}

Geometry tst_ResizeLayout::geometry() const
{
    return {
        {QStringLiteral("frmMain.Width"), m_window->width},
        {QStringLiteral("frmMain.Height"), m_window->height},
        {QStringLiteral("txtConnStr.Width"), m_text->width},
        {QStringLiteral("txtConnStr.Height"), m_text->height},
        {QStringLiteral("cmdDLPrompt.Top"), m_create->top},
        {QStringLiteral("cmdClear.Top"), m_clear->top},
        {QStringLiteral("cmdCopy.Top"), m_copy->top},
        {QStringLiteral("cmdClose.Top"), m_close->top},
        {QStringLiteral("Picture1.Left"), m_banner->left},
        {QStringLiteral("Picture1.Top"), m_banner->top},
    };
}

void tst_ResizeLayout::failOccurrence(const QString &operation, int occurrence)
{
    doubles::Faults rehearsal;
    doubles::FakeWindow window(rehearsal);
    window.width = m_window->width;
    window.height = m_window->height;
    window.state = m_window->state;
    doubles::FakeTextBox text(rehearsal, QStringLiteral("txtConnStr"));
    doubles::FakeControl create(rehearsal, QStringLiteral("cmdDLPrompt"));
    doubles::FakeControl clear(rehearsal, QStringLiteral("cmdClear"));
    doubles::FakeControl copy(rehearsal, QStringLiteral("cmdCopy"));
    doubles::FakeControl close(rehearsal, QStringLiteral("cmdClose"));
    doubles::FakeControl banner(rehearsal, QStringLiteral("Picture1"), 0, 0, 3735, 855);
    app::ResizeLayout layout(window, text, create, clear, copy, close, banner);
    window.onResize = [&layout] {
        layout.run();
    };
    layout.run();

    int seen = 0;
    const QStringList &log = rehearsal.log();
    for (qsizetype k = 0; k < log.size(); ++k) {
        if (log.at(k) == operation && ++seen == occurrence) {
            m_faults->failAt(int(k + 1));
            return;
        }
    }
    QFAIL("the resize never runs that operation");
}

void tst_ResizeLayout::laysOutTheWindowAtItsSize_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<Geometry>("expected");
    QTest::newRow("minimum") << 6120.f << 2250.f << Created;
    QTest::newRow("maximised") << 12000.f << 9000.f << Large;
    QTest::newRow("dragged lower")
        << 9000.f << 2000.f << placed(9000, 2250, 8780, 1280, 1410, 2632.5f, 212.5f);
    QTest::newRow("dragged narrower")
        << 5000.f << 4000.f << placed(6120, 4000, 5900, 3030, 3160, 1192.5f, 1087.5f);
    QTest::newRow("dragged smaller both ways") << 5000.f << 1500.f << Created;
}

void tst_ResizeLayout::laysOutTheWindowAtItsSize()
{
    QFETCH(float, width);
    QFETCH(float, height);
    m_window->width = width;
    m_window->height = height;

    m_layout->run();

    QTEST(geometry(), "expected");
}

void tst_ResizeLayout::doesNothingWhileMinimised()
{
    m_window->state = platform::WindowState::Minimized;
    m_window->width = 2000;
    m_window->height = 500;

    m_layout->run();

    QCOMPARE(m_faults->log(), QStringList {QStringLiteral("frmMain.WindowState")});
}

void tst_ResizeLayout::goesOnWhenTheStateCannotBeRead()
{
    m_window->state = platform::WindowState::Minimized;
    m_window->width = 12000;
    m_window->height = 9000;
    m_faults->failOn(QStringLiteral("frmMain.WindowState"));

    m_layout->run();

    QCOMPARE(geometry(), Large);
}

void tst_ResizeLayout::setsTheMinimumWhenTheSizeCannotBeRead_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Geometry>("expected");
    QTest::newRow("height") << QStringLiteral("frmMain.Height")
                            << placed(12000, 2250, 11780, 1280, 1410, 4132.5f, 212.5f);
    QTest::newRow("width") << QStringLiteral("frmMain.Width")
                           << placed(6120, 9000, 5900, 8030, 8160, 1192.5f, 3587.5f);
}

void tst_ResizeLayout::setsTheMinimumWhenTheSizeCannotBeRead()
{
    QFETCH(QString, operation);
    m_window->width = 12000;
    m_window->height = 9000;
    failOccurrence(operation, 1);

    m_layout->run();

    QTEST(geometry(), "expected");
}

void tst_ResizeLayout::skipsOnlyTheFailingStep_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QStringList>("untouched");

    const auto row = [](const char *operation, int occurrence, const char *untouched) {
        QTest::addRow("%s #%d", operation, occurrence)
            << QString::fromLatin1(operation) << occurrence
            << QString::fromLatin1(untouched).split(QLatin1Char(' '));
    };
    row("frmMain.Width", 2, "txtConnStr.Width");
    row("txtConnStr.SetWidth", 1, "txtConnStr.Width");
    // The panel is centred on the text box's height as read back, which then is the old one.
    row("frmMain.Height", 2, "txtConnStr.Height Picture1.Top");
    row("txtConnStr.SetHeight", 1, "txtConnStr.Height Picture1.Top");
    row("frmMain.Height", 3, "cmdDLPrompt.Top");
    row("cmdDLPrompt.SetTop", 1, "cmdDLPrompt.Top");
    row("frmMain.Height", 4, "cmdClear.Top");
    row("cmdClear.SetTop", 1, "cmdClear.Top");
    row("frmMain.Height", 5, "cmdCopy.Top");
    row("cmdCopy.SetTop", 1, "cmdCopy.Top");
    row("frmMain.Height", 6, "cmdClose.Top");
    row("cmdClose.SetTop", 1, "cmdClose.Top");
    row("Picture1.Width", 1, "Picture1.Left");
    row("frmMain.Width", 3, "Picture1.Left");
    row("Picture1.SetLeft", 1, "Picture1.Left");
    row("Picture1.Height", 1, "Picture1.Top");
    row("txtConnStr.Height", 1, "Picture1.Top");
    row("Picture1.SetTop", 1, "Picture1.Top");
}

void tst_ResizeLayout::skipsOnlyTheFailingStep()
{
    QFETCH(QString, operation);
    QFETCH(int, occurrence);
    QFETCH(QStringList, untouched);
    m_window->width = 12000;
    m_window->height = 9000;
    failOccurrence(operation, occurrence);

    m_layout->run();

    Geometry expected = Large;
    for (const QString &property : untouched)
        expected[property] = Created.value(property);
    QCOMPARE(geometry(), expected);
}

void tst_ResizeLayout::placesTheButtonsAndTheBannerLeftWithoutTheTextBox()
{
    m_window->width = 12000;
    m_window->height = 9000;
    for (const char *operation : {"Width", "SetWidth", "Height", "SetHeight", "Text", "SetText"})
        m_faults->failOn(QStringLiteral("txtConnStr.") + QLatin1String(operation));

    m_layout->run();

    Geometry expected = Large;
    for (const char *kept : {"txtConnStr.Width", "txtConnStr.Height", "Picture1.Top"})
        expected[QLatin1String(kept)] = Created.value(QLatin1String(kept));
    QCOMPARE(geometry(), expected);
}

void tst_ResizeLayout::endsInTheSameLayoutWhetherANestedResizeComesAtOnceOrLater()
{
    m_window->width = 5000;
    m_window->height = 1500;
    m_window->deliverResizeAtOnce = false;
    m_layout->run();
    const Geometry beforeQueuedResizes = geometry();
    m_window->deliverQueuedResizes();
    const Geometry later = geometry();

    init();
    m_window->width = 5000;
    m_window->height = 1500;
    m_layout->run();

    QCOMPARE(beforeQueuedResizes, Created);
    QCOMPARE(later, Created);
    QCOMPARE(geometry(), Created);
}

void tst_ResizeLayout::centresTheBannerOnTheTextBoxHeightAsRounded()
{
    // Whole pixels of 15 twips: 9000 - 970 = 8030 becomes 8025.
    m_text->round = [](float twips) {
        return std::round(twips / 15) * 15;
    };
    m_window->width = 12000;
    m_window->height = 9000;

    m_layout->run();

    QCOMPARE(m_text->height, 8025.f);
    QCOMPARE(m_banner->top, 3585.f);
}

QTEST_APPLESS_MAIN(tst_ResizeLayout)
#include "tst_resizelayout.moc"
