#include "app/createcommand.h"
#include "oledb/conversion.h"
#include "oledb/providercatalogue.h"
#include "tests/doubles/fakecontrol.h"
#include "tests/doubles/fakedatalinks.h"
#include "tests/doubles/fakeservices.h"
#include "tests/doubles/fakewindow.h"

#include <QTest>

#include <functional>

namespace {

const oledb::DialectConverter &converter()
{
    static const auto converter
        = oledb::DialectConverter::builtIn(oledb::ProviderCatalogue::builtIn());
    return converter;
}

// Everything one run of the command touches, made afresh for each case. The Data Link
// service converts as the program's does.
struct World
{
    World()
    {
        factory.script.onConvert = [](const QString &value) -> std::optional<platform::Conversion> {
            try {
                return converter().convert(value);
            } catch (const platform::Error &) {
                return std::nullopt;
            }
        };
    }

    doubles::Faults faults;
    doubles::FakeWindow window {faults};
    doubles::FakeTextBox text {faults, QStringLiteral("txtConnStr")};
    doubles::FakeApplication application {faults};
    doubles::FakeObjectFactory factory {faults};
    app::CreateCommand command {factory, window, text, application};
};

using Setup = std::function<void(World &)>;

// "new", or "edit <string the connection held>", for each time the dialog opened.
QStringList openings(const World &world)
{
    QStringList result;
    for (const auto &opening : world.factory.script.openings)
        result.append(opening.isNew ? QStringLiteral("new")
                                    : QStringLiteral("edit ") + opening.connectionString);
    return result;
}

QString appendSemicolon(const QString &text)
{
    return text + QLatin1Char(';');
}

bool refuseEverything(const QString &)
{
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class tst_CreateCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheDialogsOutcomeIntoTheTextBox_data();
    void writesTheDialogsOutcomeIntoTheTextBox();
    void ownsEveryDialogByTheMainWindow();
    void asksSayingWhatTheStringIsAndWhatHasNoCounterpart();
    void usesNewObjectsForEveryRun();
    void aRunStartedFromPendingEventsWorksOnItsOwnObjects();
    void absorbsAnyFailingOperation_data();
    void absorbsAnyFailingOperation();
};

void tst_CreateCommand::writesTheDialogsOutcomeIntoTheTextBox_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("writes");
    QTest::addColumn<QStringList>("dialogs");

    const QString built = QStringLiteral("Provider=SQLOLEDB.1;Data Source=db01");
    const QString old = QStringLiteral("Provider=MSDASQL.1;DSN=sales");
    const QString edited = QStringLiteral("Provider=MSDASQL.1;DSN=sales;User ID=ann");
    const QStringList newDialog {QStringLiteral("new")};
    const QStringList editDialog {QStringLiteral("edit ") + old};
    const QStringList editOfEmpty {QStringLiteral("edit ")};

    QTest::newRow("empty box, user confirms")
        << QString() << Setup([=](World &w) { w.factory.userConfirmsNew(built); }) << built << 1
        << newDialog;
    QTest::newRow("empty box, user confirms, connection renders the string")
        << QString() << Setup([=](World &w) {
               w.factory.userConfirmsNew(built);
               w.factory.render = appendSemicolon;
           })
        << built + QLatin1Char(';') << 1 << newDialog;
    QTest::newRow("empty box, user cancels, no object")
        << QString() << Setup([](World &w) { w.factory.userCancelsNew(); }) << QString() << 1
        << newDialog;
    QTest::newRow("empty box, user cancels, failure")
        << QString() << Setup([](World &w) { w.factory.promptNewFails(); }) << QString() << 1
        << newDialog;

    QTest::newRow("text, user confirms")
        << old << Setup([=](World &w) { w.factory.userEdits(edited); }) << edited << 1
        << editDialog;
    QTest::newRow("text, user cancels")
        << old << Setup([](World &w) { w.factory.userCancelsEdit(); }) << old << 1 << editDialog;
    QTest::newRow("text, user cancels, connection renders the text") << old << Setup([](World &w) {
        w.factory.userCancelsEdit();
        w.factory.render = appendSemicolon;
    }) << old + QLatin1Char(';') << 1 << QStringList {QStringLiteral("edit ") + old + u';'};
    QTest::newRow("text, answer false but connection changed")
        << old << Setup([=](World &w) { w.factory.userEdits(edited, false); }) << edited << 1
        << editDialog;
    QTest::newRow("text, dialog fails")
        << old << Setup([](World &w) { w.factory.promptEditFails(); }) << old << 1 << editDialog;
    QTest::newRow("text, dialog leaves no object")
        << old << Setup([](World &w) { w.factory.editLeavesNoObject(); }) << QString() << 1
        << editDialog;
    QTest::newRow("text, dialog leaves another connection")
        << old << Setup([=](World &w) { w.factory.editLeavesOtherConnection(edited); }) << edited
        << 1 << editDialog;
    QTest::newRow("text, dialog leaves an object that is no connection")
        << old << Setup([=](World &w) { w.factory.editLeavesNotAConnection(edited); }) << old << 1
        << editDialog;

    QTest::newRow("refused text, user cancels: text kept") << old << Setup([](World &w) {
        w.factory.refuses = refuseEverything;
        w.factory.userCancelsEdit();
    }) << old << 0 << editOfEmpty;
    QTest::newRow("refused text, user confirms a new string") << old << Setup([=](World &w) {
        w.factory.refuses = refuseEverything;
        w.factory.userEdits(edited);
    }) << edited << 1 << editOfEmpty;
    QTest::newRow("refused text, answer false but connection changed: text kept")
        << old << Setup([=](World &w) {
               w.factory.refuses = refuseEverything;
               w.factory.userEdits(edited, false);
           })
        << old << 0 << editOfEmpty;
    QTest::newRow("refused text, user confirms the empty string: text kept")
        << old << Setup([](World &w) {
               w.factory.refuses = refuseEverything;
               w.factory.userEdits(QString());
           })
        << old << 0 << editOfEmpty;
    QTest::newRow("refused text, dialog leaves no object: text kept") << old << Setup([](World &w) {
        w.factory.refuses = refuseEverything;
        w.factory.editLeavesNoObject();
    }) << old << 0 << editOfEmpty;

    QTest::newRow("no connection object, empty box") << QString() << Setup([](World &w) {
        w.factory.userConfirmsNew(QStringLiteral("Provider=x"));
        w.faults.failOn(QStringLiteral("Factory.createConnection"));
    }) << QString() << 0 << QStringList();
    QTest::newRow("no connection object, text") << old << Setup([](World &w) {
        w.factory.userEdits(QStringLiteral("Provider=x"));
        w.faults.failOn(QStringLiteral("Factory.createConnection"));
    }) << old << 0 << QStringList();
    QTest::newRow("no Data Link object, empty box") << QString() << Setup([](World &w) {
        w.factory.userConfirmsNew(QStringLiteral("Provider=x"));
        w.faults.failOn(QStringLiteral("Factory.createDataLinks"));
    }) << QString() << 1 << QStringList();
    QTest::newRow("no Data Link object, text rewritten as the connection renders it")
        << old << Setup([](World &w) {
               w.factory.userEdits(QStringLiteral("Provider=x"));
               w.factory.render = appendSemicolon;
               w.faults.failOn(QStringLiteral("Factory.createDataLinks"));
           })
        << old + QLatin1Char(';') << 1 << QStringList();

    QTest::newRow("unreadable box takes the new path") << old << Setup([=](World &w) {
        w.factory.userConfirmsNew(built);
        w.factory.userEdits(edited);
        w.faults.failOn(QStringLiteral("txtConnStr.Text"));
    }) << built << 1 << newDialog;

    const QString longest(app::CreateCommand::maxTextLength, u'x');
    QTest::newRow("the longest text opens the dialog")
        << longest << Setup([](World &w) { w.factory.userCancelsEdit(); }) << longest << 1
        << QStringList {QStringLiteral("edit ") + longest};
    QTest::newRow("a longer text is kept with a message, no dialog")
        << longest + u'x' << Setup([=](World &w) { w.factory.userEdits(edited); }) << longest + u'x'
        << 0 << QStringList();

    using platform::Answer;
    const QString sqlClient = QStringLiteral("Server=db01;Database=Sales;Pooling=false");
    const QString converted = converter().convert(sqlClient).string;
    QTest::newRow("other dialect, converted, user confirms") << sqlClient << Setup([=](World &w) {
        w.application.answers = {Answer::Accept};
        w.factory.userEdits(edited);
    }) << edited << 1 << QStringList {QStringLiteral("edit ") + converted};
    QTest::newRow("other dialect, converted, user cancels: text kept as it was")
        << sqlClient << Setup([](World &w) {
               w.application.answers = {Answer::Accept};
               w.factory.userCancelsEdit();
               w.factory.render = appendSemicolon;
           })
        << sqlClient << 0 << QStringList {QStringLiteral("edit ") + converted + u';'};
    QTest::newRow("other dialect, edited as it is") << sqlClient << Setup([](World &w) {
        w.application.answers = {Answer::Decline};
        w.factory.userCancelsEdit();
        w.factory.render = appendSemicolon;
    }) << sqlClient + u';' << 1 << QStringList {QStringLiteral("edit ") + sqlClient + u';'};
    QTest::newRow("other dialect, question cancelled: nothing opened")
        << sqlClient << Setup([=](World &w) {
               w.application.answers = {Answer::Cancel};
               w.factory.userEdits(edited);
           })
        << sqlClient << 0 << QStringList();
    const QString oleDb = QStringLiteral("Provider=SQLOLEDB.1;Server=db01;Pooling=false");
    QTest::newRow("an OLE DB string with other dialects' keywords is not converted")
        << oleDb << Setup([](World &w) { w.factory.userCancelsEdit(); }) << oleDb << 1
        << QStringList {QStringLiteral("edit ") + oleDb};

    QTest::newRow("only a space is edited")
        << QStringLiteral(" ") << Setup([](World &w) { w.factory.userCancelsEdit(); })
        << QStringLiteral(" ") << 1 << QStringList {QStringLiteral("edit  ")};
    QTest::newRow("only a line break is edited")
        << QStringLiteral("\n") << Setup([](World &w) { w.factory.userCancelsEdit(); })
        << QStringLiteral("\n") << 1 << QStringList {QStringLiteral("edit \n")};
}

void tst_CreateCommand::writesTheDialogsOutcomeIntoTheTextBox()
{
    QFETCH(QString, before);
    QFETCH(Setup, setup);
    World world;
    world.text.text = before;
    setup(world);
    // Every row that scripts an answer expects the question, and only those.
    const qsizetype questions = world.application.answers.size();

    world.command.run();

    QTEST(world.text.text, "after");
    QCOMPARE(world.application.questions.size(), questions);
    QTEST(world.text.setTextCount, "writes");
    QTEST(openings(world), "dialogs");
    QCOMPARE(world.application.messages.size(),
             before.size() > app::CreateCommand::maxTextLength ? 1 : 0);
    QCOMPARE(world.application.pendingEventRuns, 1);
    QCOMPARE(world.factory.census.total(), 0);
}

void tst_CreateCommand::ownsEveryDialogByTheMainWindow()
{
    for (const QString &before : {QString(), QStringLiteral("Provider=x")}) {
        World world;
        world.text.text = before;
        world.command.run();
        QCOMPARE(world.factory.script.openings.size(), 1);
        QCOMPARE(world.factory.script.openings.first().owner, world.window.handle);
    }
}

void tst_CreateCommand::asksSayingWhatTheStringIsAndWhatHasNoCounterpart()
{
    World world;
    const QString huge(100000, u'v');
    world.text.text = QStringLiteral("Server=db01;Pooling=") + huge + u";Encrypt=maybe";
    world.command.run();

    QCOMPARE(world.application.questions.size(), 1);
    const auto &[owner, question] = world.application.questions.first();
    QCOMPARE(owner, world.window.handle);
    QVERIFY2(question.text.contains(u"ADO.NET SqlClient"), qPrintable(question.text));
    // Both are named, the huge value cut short so that the box fits on the screen.
    QVERIFY2(question.details.contains(u"\nPooling=vvv") && question.details.size() < 300,
             qPrintable(question.details));
    QVERIFY2(question.details.endsWith(u"\nEncrypt=maybe"), qPrintable(question.details));
}

void tst_CreateCommand::usesNewObjectsForEveryRun()
{
    World world;
    world.factory.userConfirmsNew(QStringLiteral("Provider=A"));
    world.factory.userCancelsEdit();
    world.command.run();

    // Had either object survived, the second dialog would still have its owner and its string.
    world.faults.failOn(QStringLiteral("DataLinks.SetHWnd"));
    world.faults.failOn(QStringLiteral("Connection.SetConnectionString"));
    world.command.run();

    QCOMPARE(world.factory.dataLinksMade, 2);
    QCOMPARE(world.factory.connectionsMade, 2);
    const auto &second = world.factory.script.openings.at(1);
    QCOMPARE(second.dataLinks, 2);
    QCOMPARE(second.connection, 2);
    QCOMPARE(second.owner, 0u);
    QCOMPARE(second.connectionString, QString());
    QCOMPARE(world.text.text, QStringLiteral("Provider=A"));
    QCOMPARE(world.factory.census.total(), 0);
}

void tst_CreateCommand::aRunStartedFromPendingEventsWorksOnItsOwnObjects()
{
    World world;
    world.factory.userConfirmsNew(QStringLiteral("Provider=A"));
    world.factory.userEdits(QStringLiteral("Provider=B"));
    int liveInsideSecondDialog = -1;
    const auto edit = world.factory.script.onPromptEdit;
    world.factory.script.onPromptEdit = [&](std::shared_ptr<platform::IDispatch> &connection) {
        liveInsideSecondDialog = world.factory.census.dataLinks + world.factory.census.connections;
        return edit(connection);
    };
    int liveAfterSecondRun = -1;
    world.application.onProcessPendingEvents = [&] {
        if (world.application.pendingEventRuns > 1)
            return;
        world.command.run();
        liveAfterSecondRun = world.factory.census.total();
    };

    world.command.run();

    QCOMPARE(openings(world),
             QStringList({QStringLiteral("new"), QStringLiteral("edit Provider=A")}));
    const auto &second = world.factory.script.openings.at(1);
    QCOMPARE(second.dataLinks, 2);
    QCOMPARE(second.connection, 2);
    QCOMPARE(second.owner, world.window.handle);
    // The first run's two objects stay alive beside the second run's until it is back.
    QCOMPARE(liveInsideSecondDialog, 4);
    QCOMPARE(liveAfterSecondRun, 2);
    QCOMPARE(world.text.text, QStringLiteral("Provider=B"));
    QCOMPARE(world.factory.census.total(), 0);
}

void tst_CreateCommand::absorbsAnyFailingOperation_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("allowed");

    const QString old = QStringLiteral("Provider=old");
    const QString edited = QStringLiteral("Provider=edited");
    const QString built = QStringLiteral("Provider=new");

    // An unreadable box takes the new path, so the new dialog's answer is always allowed.
    QTest::newRow("empty box, confirmed")
        << QString() << Setup([=](World &w) { w.factory.userConfirmsNew(built); })
        << QStringList {QString(), built};
    QTest::newRow("empty box, cancelled")
        << QString() << Setup([](World &w) { w.factory.userCancelsNew(); })
        << QStringList {QString()};
    QTest::newRow("text, confirmed") << old << Setup([=](World &w) {
        w.factory.userConfirmsNew(built);
        w.factory.userEdits(edited);
    }) << QStringList {old, edited, built};
    // Emptied when the box could not be read (new path, cancelled), or when the text never got
    // to the connection for a reason other than a refusal (no first connection, unreadable text).
    QTest::newRow("text, cancelled") << old << Setup([](World &w) {
        w.factory.userCancelsNew();
        w.factory.userCancelsEdit();
    }) << QStringList {old, QString()};
    QTest::newRow("refused text, cancelled") << old << Setup([](World &w) {
        w.factory.refuses = refuseEverything;
        w.factory.userCancelsNew();
        w.factory.userCancelsEdit();
    }) << QStringList {old, QString()};
    QTest::newRow("text, dialog leaves another connection")
        << old << Setup([=](World &w) { w.factory.editLeavesOtherConnection(edited); })
        << QStringList {old, edited, QString()};
    // Converted or not (the question failed), the text stays unless a dialog is confirmed.
    const QString sqlClient = QStringLiteral("Server=db01;Pooling=false");
    QTest::newRow("other dialect, converted, confirmed") << sqlClient << Setup([=](World &w) {
        w.application.answers = {platform::Answer::Accept};
        w.factory.userConfirmsNew(built);
        w.factory.userEdits(edited);
    }) << QStringList {sqlClient, edited, built};
}

void tst_CreateCommand::absorbsAnyFailingOperation()
{
    QFETCH(QString, before);
    QFETCH(Setup, setup);
    QFETCH(QStringList, allowed);

    int operations = 0;
    {
        World rehearsal;
        rehearsal.text.text = before;
        setup(rehearsal);
        rehearsal.command.run();
        operations = rehearsal.faults.count();
    }
    QVERIFY(operations > 5);

    for (int k = 1; k <= operations; ++k) {
        World world;
        world.text.text = before;
        setup(world);
        world.faults.failAt(k);

        world.command.run();

        const QString failed = world.faults.failed().value(0);
        QVERIFY2(world.faults.failed().size() == 1, qPrintable(QString::number(k)));
        QVERIFY2(world.factory.census.total() == 0, qPrintable(failed));
        QVERIFY2(allowed.contains(world.text.text),
                 qPrintable(failed + QStringLiteral(" left ") + world.text.text));
        QVERIFY2(world.application.pendingEventRuns == 1
                     || failed == QLatin1String("App.processPendingEvents"),
                 qPrintable(failed));
    }
}

QTEST_APPLESS_MAIN(tst_CreateCommand)
#include "tst_createcommand.moc"
