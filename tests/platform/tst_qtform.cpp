#include "platform/error.h"
#include "platform/formdescription.h"
#include "platform/qt/handletable.h"
#include "platform/qt/qtform.h"
#include "platform/qt/traymessageevent.h"
#include "tests/doubles/recordingformevents.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The Qt realisation of a form: the behaviours the rest of the system relies on and that Qt does
// not give for free.
class tst_QtForm : public QObject
{
    Q_OBJECT

private:
    static platform::FormDescription smallForm()
    {
        platform::FormDescription form;
        form.name = QStringLiteral("frmTest");
        form.caption = QStringLiteral("Test");
        form.clientWidth = 6015;
        form.clientHeight = 1845;
        platform::ControlDescription text;
        text.name = QStringLiteral("txt");
        text.kind = platform::ControlKind::TextBox;
        text.width = 3000;
        text.height = 900;
        text.multiLine = true;
        text.tabIndex = 1;
        platform::ControlDescription button;
        button.name = QStringLiteral("cmd");
        button.kind = platform::ControlKind::CommandButton;
        button.caption = QStringLiteral("Go");
        button.top = 1000;
        button.width = 1455;
        button.height = 375;
        button.tabIndex = 0;
        form.controls = {text, button};
        return form;
    }

    std::unique_ptr<doubles::RecordingFormEvents> m_recorder;
    std::unique_ptr<platform::qt::QtForm> m_form;
    QStringList m_errors;

private Q_SLOTS:
    void init()
    {
        m_form.reset();
        m_recorder = std::make_unique<doubles::RecordingFormEvents>();
        m_errors.clear();
        m_form = std::make_unique<platform::qt::QtForm>(smallForm(), *m_recorder);
        m_form->setErrorReporter([this](const QString &message) { m_errors.append(message); });
    }

    void cleanup()
    {
        m_form.reset();
        QTRY_VERIFY2(QApplication::topLevelWidgets().isEmpty(), "a top-level widget was leaked");
    }

    void textIsReturnedExactlyAsWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("windows line breaks") << QStringLiteral("Provider=A;\r\nData Source=b\r\n");
        QTest::newRow("lone carriage return") << QStringLiteral("a\rb");
        QTest::newRow("surrounding spaces") << QStringLiteral("  x  ");
        QTest::newRow("no-break space and tab") << QStringLiteral("a\u00a0b\tc");
        QTest::newRow("only a line break") << QStringLiteral("\n");
    }
    void textIsReturnedExactlyAsWritten()
    {
        QFETCH(QString, text);
        auto box = m_form->textBox(QStringLiteral("txt"));
        box->SetText(text);
        QCOMPARE(box->Text(), text);
        QCOMPARE(m_recorder->count(QStringLiteral("Change txt")), 1);
    }

    void userEditReplacesTheWrittenTextAndRaisesChange()
    {
        auto box = m_form->textBox(QStringLiteral("txt"));
        box->SetText(QStringLiteral("a\r\nb"));
        m_form->Load();
        auto *editor = m_form->widget()->findChild<QPlainTextEdit *>(QStringLiteral("txt"));
        editor->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor, QStringLiteral("c"));
        QCOMPARE(box->Text(), QStringLiteral("a\nbc"));
        QCOMPARE(m_recorder->count(QStringLiteral("Change txt")), 2);
    }

    void trayMessageArrivesAsMouseMoveInTwips()
    {
        platform::qt::TrayMessageEvent message(517);
        QCoreApplication::sendEvent(m_form->widget(), &message);
        QCOMPARE(m_recorder->events.last(), QStringLiteral("MouseMove 7755 0"));
    }

    void pointerMovementOverTheWindowRaisesNothing()
    {
        m_form->Load();
        m_recorder->events.clear();
        QTest::mouseMove(m_form->widget(), QPoint(34, 5));
        QTest::mouseMove(m_form->widget(), QPoint(35, 6));
        QVERIFY(!m_recorder->events.join(u'|').contains(QStringLiteral("MouseMove")));
    }

    void stateWriteRaisesOneResizeEvenWhenHidden()
    {
        auto window = m_form->window();
        m_recorder->events.clear();
        window->SetWindowState(platform::vbMinimized);
        QCOMPARE(m_recorder->count(QStringLiteral("Resize")), 1);
        QCOMPARE(window->WindowState(), int(platform::vbMinimized));
        window->SetWindowState(platform::vbNormal);
        QCOMPARE(m_recorder->count(QStringLiteral("Resize")), 2);
        QCOMPARE(window->WindowState(), int(platform::vbNormal));
    }

    void handlesNameTheWindowAndItsIcon()
    {
        auto window = m_form->window();
        QVERIFY(window->hWnd() != 0);
        QCOMPARE(platform::qt::HandleTable::window(window->hWnd()), m_form->widget());
        QVERIFY(window->Icon() != window->hWnd());
    }

    void escapedHandlerErrorIsReportedAndTheFormGoesOn()
    {
        m_recorder->onEvent = [](const QString &event) {
            if (event == u"Click cmd")
                throw platform::Error(QStringLiteral("Overflow"), 6);
        };
        auto *button = m_form->widget()->findChild<QPushButton *>(QStringLiteral("cmd"));
        button->click();
        button->click();
        QCOMPARE(m_errors, QStringList({QStringLiteral("Overflow"), QStringLiteral("Overflow")}));
    }

    void unloadRaisesTheEventThenEndsTheLoop()
    {
        m_form->Load();
        auto window = m_form->window();
        QTimer::singleShot(0, [&] { window->Unload(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(m_recorder->count(QStringLiteral("Unload")), 1);
        QVERIFY_THROWS_EXCEPTION(platform::Error, window->Width());
    }

    void cancelledUnloadKeepsTheWindow()
    {
        m_form->Load();
        m_recorder->cancelUnload = 1;
        m_form->widget()->close();
        QCOMPARE(m_recorder->count(QStringLiteral("Unload")), 1);
        QVERIFY(m_form->widget()->isVisible());
    }
};

QTEST_MAIN(tst_QtForm)
#include "tst_qtform.moc"
