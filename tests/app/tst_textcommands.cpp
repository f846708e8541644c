#include "app/textcommands.h"
#include "platform/error.h"
#include "tests/doubles/fakecontrol.h"
#include "tests/doubles/fakeservices.h"

#include <QTest>

#include <memory>

class tst_TextCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void copyReplacesTheClipboardWithTheExactText_data();
    void copyReplacesTheClipboardWithTheExactText();
    void copyKeepsWhatItDidBeforeFailing_data();
    void copyKeepsWhatItDidBeforeFailing();

    void clearEmptiesTheBoxAndShowsTheBanner_data();
    void clearEmptiesTheBoxAndShowsTheBanner();
    void clearKeepsTheTextWhenSettingFails();

    void bannerShowsExactlyWhileTheTextIsEmpty_data();
    void bannerShowsExactlyWhileTheTextIsEmpty();
    void bannerKeepsItsVisibilityWhenFailing_data();
    void bannerKeepsItsVisibilityWhenFailing();

private:
    std::unique_ptr<doubles::Faults> m_faults;
    std::unique_ptr<doubles::FakeClipboard> m_clipboard;
    std::unique_ptr<doubles::FakeTextBox> m_text;
    std::unique_ptr<doubles::FakeControl> m_banner;
    std::unique_ptr<app::TextCommands> m_commands;
};

void tst_TextCommands::init()
{
    m_commands.reset();
    m_faults = std::make_unique<doubles::Faults>();
    m_clipboard = std::make_unique<doubles::FakeClipboard>(*m_faults);
    m_text = std::make_unique<doubles::FakeTextBox>(*m_faults, QStringLiteral("txtConnStr"));
    m_banner = std::make_unique<doubles::FakeControl>(*m_faults, QStringLiteral("Picture1"));
    m_commands = std::make_unique<app::TextCommands>(*m_clipboard, *m_text, *m_banner);
    m_text->onChange = [this] {
        m_commands->updateBanner();
    };

    // Another program's picture is on the clipboard.
    m_clipboard->hasOtherFormats = true;
}

void tst_TextCommands::copyReplacesTheClipboardWithTheExactText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("connection string")
        << QStringLiteral("Provider=SQLOLEDB.1;Data Source=db01;Initial Catalog=Sales");
    QTest::newRow("empty box") << QString();
    QTest::newRow("surrounding spaces and line breaks")
        << QStringLiteral("  Provider=MSDASQL;\r\nDSN=x  \n");
}

void tst_TextCommands::copyReplacesTheClipboardWithTheExactText()
{
    QFETCH(QString, text);
    m_text->text = text;
    m_clipboard->text = QStringLiteral("stale");

    m_commands->copy();

    QVERIFY(m_clipboard->text.has_value());
    QCOMPARE(*m_clipboard->text, text);
    QVERIFY(!m_clipboard->hasOtherFormats);
}

void tst_TextCommands::copyKeepsWhatItDidBeforeFailing_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("clipboardCleared");
    QTest::newRow("clear fails") << QStringLiteral("Clipboard.Clear") << false;
    QTest::newRow("reading text fails") << QStringLiteral("txtConnStr.Text") << true;
    QTest::newRow("placing text fails") << QStringLiteral("Clipboard.SetText") << true;
}

void tst_TextCommands::copyKeepsWhatItDidBeforeFailing()
{
    QFETCH(QString, failing);
    QFETCH(bool, clipboardCleared);
    m_text->text = QStringLiteral("Provider=MSOLEDBSQL");
    m_clipboard->text = QStringLiteral("before");
    m_faults->failOn(failing);

    QVERIFY_THROWS_EXCEPTION(platform::Error, m_commands->copy());

    if (clipboardCleared) {
        QVERIFY(!m_clipboard->text.has_value());
        QVERIFY(!m_clipboard->hasOtherFormats);
    } else {
        QCOMPARE(m_clipboard->text.value_or(QString()), QStringLiteral("before"));
        QVERIFY(m_clipboard->hasOtherFormats);
    }
}

void tst_TextCommands::clearEmptiesTheBoxAndShowsTheBanner_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("box with text") << QStringLiteral("Provider=MSDASQL;DSN=x");
    QTest::newRow("box already empty") << QString();
}

void tst_TextCommands::clearEmptiesTheBoxAndShowsTheBanner()
{
    QFETCH(QString, text);
    m_text->text = text;
    m_banner->visible = false;

    m_commands->clear();

    QCOMPARE(m_text->text, QString());
    QCOMPARE(m_text->setTextCount, 1);
    QVERIFY(m_banner->visible);
}

void tst_TextCommands::clearKeepsTheTextWhenSettingFails()
{
    m_text->text = QStringLiteral("Provider=MSDASQL");
    m_faults->failOn(QStringLiteral("txtConnStr.SetText"));

    QVERIFY_THROWS_EXCEPTION(platform::Error, m_commands->clear());
    QCOMPARE(m_text->text, QStringLiteral("Provider=MSDASQL"));
}

void tst_TextCommands::bannerShowsExactlyWhileTheTextIsEmpty_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("visible");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("empty, not null") << QStringLiteral("") << true;
    QTest::newRow("a space") << QStringLiteral(" ") << false;
    QTest::newRow("a line break") << QStringLiteral("\n") << false;
    QTest::newRow("a connection string") << QStringLiteral("Provider=MSDASQL") << false;
}

void tst_TextCommands::bannerShowsExactlyWhileTheTextIsEmpty()
{
    QFETCH(QString, text);
    QFETCH(bool, visible);
    // Start from the opposite state, so the handler has to set it.
    m_banner->visible = !visible;

    m_text->SetText(text);

    QCOMPARE(m_banner->visible, visible);
}

void tst_TextCommands::bannerKeepsItsVisibilityWhenFailing_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("reading text fails") << QStringLiteral("txtConnStr.Text");
    QTest::newRow("setting visibility fails") << QStringLiteral("Picture1.SetVisible");
}

void tst_TextCommands::bannerKeepsItsVisibilityWhenFailing()
{
    QFETCH(QString, failing);
    m_text->text = QStringLiteral("Provider=MSDASQL");
    m_faults->failOn(failing);

    QVERIFY_THROWS_EXCEPTION(platform::Error, m_commands->updateBanner());
    QVERIFY(m_banner->visible);
}

QTEST_APPLESS_MAIN(tst_TextCommands)
#include "tst_textcommands.moc"
