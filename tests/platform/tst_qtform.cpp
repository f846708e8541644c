#include "platform/error.h"
#include "platform/formdescription.h"
#include "platform/qt/handletable.h"
#include "platform/qt/qtapplication.h"
#include "platform/qt/qtform.h"
#include "platform/qt/traymessageevent.h"
#include "tests/doubles/recordingformevents.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>

using namespace Qt::StringLiterals;

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
        QTest::newRow("line and paragraph separators") << QStringLiteral("a\u2028b\u2029c");
    }
    void textIsReturnedExactlyAsWritten()
    {
        QFETCH(QString, text);
        auto box = m_form->textBox(QStringLiteral("txt"));
        box->SetText(text);
        QCOMPARE(box->Text(), text);
        QCOMPARE(m_recorder->count(QStringLiteral("Change txt")), 1);
    }

    void userEditsChangeTheTextOnlyWhereTheyAreMade_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("typing keeps a written carriage return")
            << u"a\r\nb"_s << 3 << 0 << u"c"_s << none << u"a\r\nbc"_s;
        QTest::newRow("Enter is a line break") << u"ab"_s << 1 << 0 << u"\r"_s << none << u"a\nb"_s;
        QTest::newRow("pasted no-break space")
            << u"x"_s << 1 << 0 << none << u"a\u00a0b"_s << u"xa\u00a0b"_s;
        QTest::newRow("pasted line and paragraph separators")
            << u""_s << 0 << 0 << none << u"a\u2028b\u2029c"_s << u"a\u2028b\u2029c"_s;
        QTest::newRow("pasted windows line break over a selection")
            << u"a\u2029XYb"_s << 2 << 2 << none << u"1\r\n2"_s << u"a\u20291\r\n2b"_s;
        QTest::newRow("backspace after a separator")
            << u"a\u2029\u00a0b"_s << 3 << 0 << u"\b"_s << none << u"a\u2029b"_s;
    }
    void userEditsChangeTheTextOnlyWhereTheyAreMade()
    {
        QFETCH(QString, written);
        QFETCH(int, cursor);
        QFETCH(int, selected);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        auto box = m_form->textBox(QStringLiteral("txt"));
        box->SetText(written);
        m_form->Load();
        auto *editor = m_form->widget()->findChild<QPlainTextEdit *>(QStringLiteral("txt"));
        QTextCursor place = editor->textCursor();
        place.setPosition(cursor);
        place.setPosition(cursor + selected, QTextCursor::KeepAnchor);
        editor->setTextCursor(place);
        for (const QChar c : std::as_const(typed)) {
            if (c == u'\r')
                QTest::keyClick(editor, Qt::Key_Return);
            else if (c == u'\b')
                QTest::keyClick(editor, Qt::Key_Backspace);
            else
                QTest::keyClicks(editor, QString(c));
        }
        if (!pasted.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            editor->paste();
        }
        QCOMPARE(box->Text(), expected);
        QCOMPARE(m_recorder->count(QStringLiteral("Change txt")), 2);
    }

    void enterOrSpacePressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
    }
    void enterOrSpacePressesTheFocusedButton()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        m_form->Load();
        auto *button = m_form->widget()->findChild<QPushButton *>(QStringLiteral("cmd"));
        button->setFocus();
        QTest::keyClick(button, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(m_recorder->count(QStringLiteral("Click cmd")), 1);
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
        window->SetWindowState(platform::WindowState::Minimized);
        QCOMPARE(m_recorder->count(QStringLiteral("Resize")), 1);
        QCOMPARE(window->WindowState(), platform::WindowState::Minimized);
        window->SetWindowState(platform::WindowState::Normal);
        QCOMPARE(m_recorder->count(QStringLiteral("Resize")), 2);
        QCOMPARE(window->WindowState(), platform::WindowState::Normal);
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
                throw platform::Error(QStringLiteral("Overflow"));
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

    void aQuestionIsOwnedByTheWindowAndAnsweredByItsButtons_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<platform::Answer>("answer");
        QTest::newRow("accept") << u"&Convert"_s << platform::Answer::Accept;
        QTest::newRow("decline") << u"&Edit"_s << platform::Answer::Decline;
        QTest::newRow("Escape") << QString() << platform::Answer::Cancel;
    }
    void aQuestionIsOwnedByTheWindowAndAnsweredByItsButtons()
    {
        QFETCH(QString, press);
        m_form->Load();
        QWidget *owner = nullptr;
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            owner = box->parentWidget();
            for (const auto *label : box->findChildren<QLabel *>()) {
                const bool plain = label->textFormat() == Qt::PlainText
                    || (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()));
                shown.append(plain ? label->text()
                                   : QTextDocumentFragment::fromHtml(label->text()).toPlainText());
            }
            for (auto *button : box->buttons())
                if (button->text() == press)
                    button->click();
            if (press.isEmpty())
                QTest::keyClick(box, Qt::Key_Escape);
        });
        platform::qt::QtApplication application;
        const platform::Question question {u"<i>Convert</i>?"_s, u"Left out:\nA=<b>1</b>"_s,
                                           u"&Convert"_s, u"&Edit"_s};
        QTEST(application.ask(m_form->window()->hWnd(), question), "answer");
        QCOMPARE(owner, m_form->widget());
        // Markup in the user's string is shown as it is.
        QVERIFY(shown.contains(question.text));
        QVERIFY(shown.contains(question.details));
    }

    void cancelledUnloadKeepsTheWindow()
    {
        m_form->Load();
        m_recorder->cancelUnload = true;
        m_form->widget()->close();
        QCOMPARE(m_recorder->count(QStringLiteral("Unload")), 1);
        QVERIFY(m_form->widget()->isVisible());
    }
};

QTEST_MAIN(tst_QtForm)
#include "tst_qtform.moc"
