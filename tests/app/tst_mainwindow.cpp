#include "app/frmmaindescription.h"
#include "platform/qt/formwindow.h"
#include "platform/qt/qtapplication.h"
#include "platform/qt/qtform.h"
#include "tests/doubles/recordingformevents.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

// The main window as it is created: what a user sees before touching anything.
class tst_MainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<doubles::RecordingFormEvents> m_events;
    std::unique_ptr<platform::qt::QtForm> m_form;

    QWidget *window() const { return m_form->widget(); }
    template<typename T = QWidget> T *child(const char *name) const
    {
        auto *found = window()->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    static int px(float twips) { return qRound(twips / 15.0f); }

private Q_SLOTS:
    void initTestCase() { QCOMPARE(platform::qt::QtApplication::twipsPerPixel(), 15.0f); }

    void init()
    {
        m_events = std::make_unique<doubles::RecordingFormEvents>();
        m_form = std::make_unique<platform::qt::QtForm>(app::frmMainDescription(), *m_events);
    }
    void cleanup()
    {
        m_form.reset();
        m_events.reset();
        QTRY_VERIFY2(QApplication::topLevelWidgets().isEmpty(), "a top-level widget was leaked");
    }

    void windowHasCaptionSizeAndIcon()
    {
        QCOMPARE(window()->windowTitle(), QStringLiteral("Corvanta"));
        QCOMPARE(window()->size(), QSize(px(6015), px(1845)));
        QVERIFY(!window()->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
        const QImage icon(QStringLiteral(":/corvanta/corvanta-16.xpm"));
        QCOMPARE(icon.size(), QSize(16, 16));
        QVERIFY(icon.colorCount() > 0 && icon.colorCount() <= 16);
        const QImage banner(QStringLiteral(":/corvanta/banner-32.xpm"));
        QCOMPARE(banner.size(), QSize(32, 32));
        QVERIFY(banner.colorCount() > 16 && banner.colorCount() <= 256);
        QVERIFY(!window()->windowIcon().isNull());
    }

    void controlsStandWhereTheyShould_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char *name, const char *cls, const char *parent,
                            const char *caption, QRect twips) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                                << QString::fromLatin1(parent) << QString::fromUtf8(caption)
                                << twips;
        };
        row("Picture1", "QFrame", "frmMain", "", {1080, 240, 3735, 855});
        row("Label2", "QLabel", "Picture1", "\u00a9 2026 the Corvanta team", {840, 480, 2535, 255});
        row("Label1", "QLabel", "Picture1", "Corvanta", {840, 240, 2655, 255});
        row("Image1", "QLabel", "Picture1", "", {240, 195, 480, 480});
        row("cmdDLPrompt", "QPushButton", "frmMain", "Create", {50, 1410, 1455, 375});
        row("cmdClose", "QPushButton", "frmMain", "Exit", {4520, 1410, 1455, 375});
        row("cmdClear", "QPushButton", "frmMain", "Clear", {3015, 1410, 1455, 375});
        row("cmdCopy", "QPushButton", "frmMain", "Copy to Clipboard", {1530, 1410, 1455, 375});
        row("txtConnStr", "QPlainTextEdit", "frmMain", "", {50, 50, 5900, 1290});
    }
    void controlsStandWhereTheyShould()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, parent);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        auto *widget = window()->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->geometry(),
                 QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
        QString text;
        if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        else if (auto *button = qobject_cast<QPushButton *>(widget))
            text = button->text();
        else if (auto *edit = qobject_cast<QPlainTextEdit *>(widget))
            text = edit->toPlainText();
        QCOMPARE(text, caption);
        QVERIFY(widget->isVisibleTo(window()));
    }

    void labelsUseTheirOwnFonts()
    {
        const QFont title = child<QLabel>("Label1")->font();
        QCOMPARE(title.family(), QStringLiteral("Arial"));
        QCOMPARE(title.pointSizeF(), 11.25);
        QCOMPARE(title.weight(), QFont::Normal);
        QVERIFY(!title.italic() && !title.underline() && !title.strikeOut());
        QCOMPARE(child<QLabel>("Label2")->font().pointSizeF(), 8.25);
        // The desktop's font, whatever the buttons' captions need; the box's without shaping,
        // which a huge string would pay for after every key.
        QFont box = QApplication::font();
        box.setStyleStrategy(QFont::StyleStrategy(box.styleStrategy() | QFont::PreferNoShaping));
        QCOMPARE(child<QPlainTextEdit>("txtConnStr")->font(), box);
        QCOMPARE(child<QPushButton>("cmdDLPrompt")->font(), QApplication::font());
    }

    void buttonsHaveNoDefaultAndNoAccessKeys()
    {
        for (auto *button : window()->findChildren<QPushButton *>()) {
            QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->text()));
            QVERIFY(!button->text().contains(u'&'));
        }
    }

    void textBoxWrapsWithAVerticalScrollBar()
    {
        auto *text = child<QPlainTextEdit>("txtConnStr");
        QCOMPARE(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(!text->isReadOnly());
    }

    void trayMenuIsHiddenAndThereIsNoMenuBar()
    {
        QVERIFY(!window()->findChild<QMenuBar *>());
        auto *menu = child<QMenu>("mnuTray");
        const auto actions = menu->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->objectName(), QStringLiteral("mnuRestore"));
        QCOMPARE(actions[0]->text(), QStringLiteral("&Restore"));
        QCOMPARE(actions[1]->objectName(), QStringLiteral("mnuExit"));
        QCOMPARE(actions[1]->text(), QStringLiteral("E&xit"));
    }

    void bannerLiesAboveTheTextBox()
    {
        auto *banner = child("Picture1");
        const QObjectList stack = window()->children(); // the last is drawn on top
        QVERIFY(stack.indexOf(banner) > stack.indexOf(child("txtConnStr")));
        QVERIFY(banner->autoFillBackground());
    }

    void aClickOnTheBannerPutsTheCaretInTheTextBox()
    {
        m_form->Load();
        QApplication::setActiveWindow(window());
        QVERIFY(QTest::qWaitForWindowActive(window()));
        QCOMPARE(QApplication::focusWidget(), child("cmdDLPrompt"));
        for (const char *where : {"Label1", "Image1", "Picture1"}) {
            child("cmdDLPrompt")->setFocus();
            QWidget *part = child(where);
            QTest::mouseClick(window()->windowHandle(), Qt::LeftButton, {},
                              part->mapTo(window(), part->rect().center()));
            QCOMPARE(QApplication::focusWidget(), child("txtConnStr"));
        }
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
        QCOMPARE(child<QPlainTextEdit>("txtConnStr")->toPlainText(), QStringLiteral("x"));
    }

    void iconAndBannerComeSharpAtLargerSizes()
    {
        const QList<QSize> sizes
            = static_cast<platform::qt::FormWindow *>(window())->icon().availableSizes();
        for (int side : {16, 32, 48, 64, 128, 256})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        QCOMPARE(window()->windowIcon().availableSizes(),
                 QList<QSize>({{16, 16}, {32, 32}, {48, 48}, {64, 64}}));
        QCOMPARE(static_cast<platform::qt::FormWindow *>(window())->icon().pixmap(256).size(),
                 QSize(256, 256));
        const QPixmap banner = child<QLabel>("Image1")->pixmap();
        QCOMPARE(banner.deviceIndependentSize().toSize(), QSize(32, 32));
        QCOMPARE(banner.devicePixelRatio(), qApp->devicePixelRatio());
    }

    void startsWithFocusOnCreateAndTabsThroughTheRow()
    {
        m_form->Load();
        QApplication::setActiveWindow(window());
        QVERIFY(QTest::qWaitForWindowActive(window()));
        QStringList visited {QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited,
                 QStringList({QStringLiteral("cmdDLPrompt"), QStringLiteral("cmdCopy"),
                              QStringLiteral("cmdClear"), QStringLiteral("cmdClose"),
                              QStringLiteral("txtConnStr"), QStringLiteral("cmdDLPrompt")}));
        QCOMPARE(m_events->events.first(), QStringLiteral("Load"));
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
