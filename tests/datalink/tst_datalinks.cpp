#include "dialogdriver.h"

#include "datalink/datalinks.h"
#include "oledb/connection.h"
#include "oledb/formaterror.h"
#include "oledb/providercatalogue.h"
#include "platform/error.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>
#include <QTest>

using datalink::DataLinkDialog;
using datalink::DataLinks;
using testing::DialogDriver;
using namespace Qt::StringLiterals;

class tst_DataLinks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void newConnectionOnOk();
    void noConnectionOnCancel();
    void editWritesBackOnOk();
    void editChangesNothingOnCancel();
    void unreadableTextOpensWhatCouldBeReadAndSaysWhy_data();
    void unreadableTextOpensWhatCouldBeReadAndSaysWhy();
    void editRefusesAnEmptyReference();
    void dialogIsOwnedByTheHandlesWindow_data();
    void dialogIsOwnedByTheHandlesWindow();
    void testerReachesTheDialog();
    void factoryMakesDataLinksAndConnections();

private:
    // What the scripted dialog saw when it opened.
    struct Seen
    {
        QString title;
        int tab = -1;
        QWidget *owner = nullptr;
        QString string;
    };

    // Scripts the user: records what was shown, plays `act`, then answers with `result`.
    void script(std::function<void(DialogDriver &)> act, int result);

    std::shared_ptr<testing::FixedDataSources> m_dataSources;
    datalink::KeptDialogSize m_keptSize;
    std::shared_ptr<DataLinks> m_dataLinks;
    QHash<quint32, QPointer<QWidget>> m_windows;
    Seen m_seen;
};

void tst_DataLinks::init()
{
    m_dataSources = std::make_shared<testing::FixedDataSources>();
    m_windows.clear();
    m_keptSize = {};
    m_dataLinks = std::make_shared<DataLinks>(
        oledb::ProviderCatalogue::builtIn(), m_keptSize, m_dataSources,
        [this](quint32 hWnd) -> QWidget * { return m_windows.value(hWnd); });
    m_seen = {};
}

void tst_DataLinks::cleanup()
{
    QTRY_VERIFY2(QApplication::topLevelWidgets().isEmpty(), "a top-level widget was leaked");
}

void tst_DataLinks::script(std::function<void(DialogDriver &)> act, int result)
{
    m_dataLinks->setExec([this, act, result](DataLinkDialog &dialog) {
        m_seen.title = dialog.windowTitle();
        m_seen.tab = dialog.findChild<QTabWidget *>(QStringLiteral("tabs"))->currentIndex();
        m_seen.owner = dialog.parentWidget();
        m_seen.string = dialog.connectionString();
        DialogDriver driver(dialog);
        act(driver);
        return result;
    });
}

void tst_DataLinks::newConnectionOnOk()
{
    script(
        [](DialogDriver &driver) {
            QVERIFY(driver.chooseProvider("SQLOLEDB.1"));
            QVERIFY(driver.type("dataSourceEdit", "(local)"));
            QVERIFY(driver.type("initialCatalogEdit", "pubs"));
        },
        QDialog::Accepted);
    const std::shared_ptr<platform::IDispatch> created = m_dataLinks->PromptNew();
    QCOMPARE(m_seen.title, QStringLiteral("Data Link Properties"));
    QCOMPARE(m_seen.tab, int(DataLinkDialog::ProviderTab));
    QCOMPARE(m_seen.string, QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False"));
    QCOMPARE(platform::defaultValueText(created),
             QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;"
                            "Persist Security Info=False;Data Source=(local);"
                            "Initial Catalog=pubs"));
    QVERIFY(platform::queryConnection(created));
}

void tst_DataLinks::noConnectionOnCancel()
{
    script([](DialogDriver &driver) { QVERIFY(driver.chooseProvider("SQLOLEDB.1")); },
           QDialog::Rejected);
    QVERIFY(!m_dataLinks->PromptNew());
}

void tst_DataLinks::editWritesBackOnOk()
{
    auto connection = std::make_shared<oledb::Connection>();
    connection->SetConnectionString(QStringLiteral("Provider=MSDAORA.1;Data Source=old;X=1"));
    std::shared_ptr<platform::IDispatch> argument = connection;
    script([](DialogDriver &driver) { QVERIFY(driver.type("dataSourceEdit", "new")); },
           QDialog::Accepted);
    QVERIFY(m_dataLinks->PromptEdit(argument));
    QCOMPARE(m_seen.tab, int(DataLinkDialog::ConnectionTab));
    QCOMPARE(m_seen.string, QStringLiteral("Provider=MSDAORA.1;Data Source=old;X=1"));
    QCOMPARE(argument, connection);
    QCOMPARE(connection->ConnectionString(),
             QStringLiteral("Provider=MSDAORA.1;Data Source=new;X=1"));
}

void tst_DataLinks::editChangesNothingOnCancel()
{
    auto connection = std::make_shared<oledb::Connection>();
    const QString before = QStringLiteral("provider=msdaora ; data source=old");
    connection->SetConnectionString(before);
    std::shared_ptr<platform::IDispatch> argument = connection;
    script([](DialogDriver &driver) { QVERIFY(driver.type("dataSourceEdit", "new")); },
           QDialog::Rejected);
    QVERIFY(!m_dataLinks->PromptEdit(argument));
    QCOMPARE(argument, connection);
    QCOMPARE(connection->ConnectionString(), before);
}

void tst_DataLinks::unreadableTextOpensWhatCouldBeReadAndSaysWhy_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<int>("tab");
    // What the notice says, and what it must not show.
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QStringList>("hides");

    const QStringList box {u"OK replaces"_s, u"Cancel leaves"_s};
    QTest::newRow("a pair without = in the middle")
        << u"Provider=SQLOLEDB.1;Data Source=srv;User ID;Initial Catalog=pubs"_s
        << u"Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=pubs"_s
        << int(DataLinkDialog::ConnectionTab)
        << box + QStringList {u"character 37, \u201cUser ID\u201d"_s, u"value before it"_s}
        << QStringList();
    QTest::newRow("the first pair has no value before it")
        << u"abc"_s << u"Provider=MSDASQL.1;Persist Security Info=False"_s
        << int(DataLinkDialog::ProviderTab) << box + QStringList {u"character 1, \u201cabc\u201d"_s}
        << QStringList {u"value before it"_s};
    QTest::newRow("a piece of a password split off by a separator")
        << u"Password=passw;ord;Database=x"_s << u"Password=passw;Database=x"_s
        << int(DataLinkDialog::ProviderTab) << box + QStringList {u"character 16"_s}
        << QStringList {u"\u201cord\u201d"_s, u"passw"_s};
    QTest::newRow("a password ending in a stray quote")
        << u"Provider=SQLOLEDB;Password=hunter2sec\";Data Source=x"_s
        << u"Provider=SQLOLEDB;Data Source=x"_s << int(DataLinkDialog::ConnectionTab)
        << box + QStringList {u"Password=********"_s} << QStringList {u"hunter2"_s};
    QTest::newRow("the rest of a braced password")
        << u"Provider=SQLOLEDB;Data Source=x;Pwd={Pa55;word-Corvanta}"_s
        << u"Provider=SQLOLEDB;Data Source=x;Pwd={Pa55;"_s << int(DataLinkDialog::ConnectionTab)
        << box << QStringList {u"Pa55"_s, u"word-"_s, u"Corvanta"_s};
}

void tst_DataLinks::unreadableTextOpensWhatCouldBeReadAndSaysWhy()
{
    QFETCH(QString, text);
    QFETCH(QString, opened);
    QFETCH(int, tab);
    QFETCH(QStringList, says);
    QFETCH(QStringList, hides);
    auto connection = std::make_shared<oledb::Connection>();
    QVERIFY_THROWS_EXCEPTION(oledb::FormatError, connection->SetConnectionString(text));
    std::shared_ptr<platform::IDispatch> argument = connection;
    QString notice;
    script(
        [&](DialogDriver &driver) {
            auto *label = driver.find<QLabel>("unreadableNotice");
            QVERIFY(label && !label->isHidden());
            notice = label->text();
        },
        QDialog::Rejected);
    QVERIFY(!m_dataLinks->PromptEdit(argument));
    for (const QString &words : std::as_const(says))
        QVERIFY2(notice.contains(words), qPrintable(words + u'\n' + notice));
    for (const QString &words : std::as_const(hides))
        QVERIFY2(!notice.contains(words), qPrintable(words + u'\n' + notice));
    QCOMPARE(connection->ConnectionString(), QString());
    QCOMPARE(m_seen.string, opened);
    QCOMPARE(m_seen.tab, tab);

    // OK writes the string as mended in the dialog.
    script([](DialogDriver &) {}, QDialog::Accepted);
    QVERIFY(m_dataLinks->PromptEdit(argument));
    QCOMPARE(connection->ConnectionString(), opened);
}

void tst_DataLinks::editRefusesAnEmptyReference()
{
    std::shared_ptr<platform::IDispatch> nothing;
    bool opened = false;
    m_dataLinks->setExec([&](DataLinkDialog &) {
        opened = true;
        return int(QDialog::Accepted);
    });
    QVERIFY_THROWS_EXCEPTION(platform::Error, m_dataLinks->PromptEdit(nothing));
    QVERIFY(!opened);
}

void tst_DataLinks::dialogIsOwnedByTheHandlesWindow_data()
{
    QTest::addColumn<bool>("registered");
    QTest::addColumn<bool>("destroyed");
    QTest::newRow("live window") << true << false;
    QTest::newRow("destroyed window") << true << true;
    QTest::newRow("unknown handle") << false << false;
}

void tst_DataLinks::dialogIsOwnedByTheHandlesWindow()
{
    QFETCH(bool, registered);
    QFETCH(bool, destroyed);
    auto window = std::make_unique<QWidget>();
    const quint32 handle = registered ? 0x1234 : 0xBAD0;
    if (registered)
        m_windows.insert(handle, window.get());
    QWidget *expected = window.get();
    if (destroyed || !registered) {
        window.reset();
        expected = nullptr;
    }
    m_dataLinks->SetHWnd(handle);
    QCOMPARE(m_dataLinks->hWnd(), handle);
    script([](DialogDriver &) {}, QDialog::Rejected);
    m_dataLinks->PromptNew();
    QCOMPARE(m_seen.owner, expected);
}

void tst_DataLinks::testerReachesTheDialog()
{
    QString tested;
    m_dataLinks->setConnectionTester([&](const QString &text, QWidget *) { tested = text; });
    script([](DialogDriver &driver) { QVERIFY(driver.click("testConnectionButton")); },
           QDialog::Rejected);
    m_dataLinks->PromptNew();
    QCOMPARE(tested, QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False"));
}

void tst_DataLinks::factoryMakesDataLinksAndConnections()
{
    const auto factory
        = datalink::makeObjectFactory(oledb::ProviderCatalogue::builtIn(), m_keptSize);
    QVERIFY(std::dynamic_pointer_cast<DataLinks>(factory->createDataLinks()));
    QVERIFY(factory->createDataLinks() != factory->createDataLinks());
    QCOMPARE(factory->createConnection()->ConnectionString(), QString());
}

QTEST_MAIN(tst_DataLinks)
#include "tst_datalinks.moc"
