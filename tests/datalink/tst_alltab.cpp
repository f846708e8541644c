#include "dialogfixture.h"

class tst_AllTab : public QObject, protected DialogFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openEmpty(); }
    void cleanup() { closeAndCheckForLeaks(); }

    void invalidValueRefusesOkUntilFixed_data();
    void invalidValueRefusesOkUntilFixed();
    void customPropertiesCanBeAddedAndRemoved();
    void aConflictShowsThePairInEffectAndKeepsItOnAClick();
};

void tst_AllTab::invalidValueRefusesOkUntilFixed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("property");
    QTest::addColumn<Script>("fix");
    QTest::addColumn<QString>("expected");
    const QString jet = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Mode=WriteRead;"
                                       "Data Source=a.mdb");
    QTest::newRow("flag set, reset to default")
        << jet << "Mode" << Script {click("reset:Mode")}
        << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb";
    QTest::newRow("flag set, ticking a valid flag")
        << jet << "Mode" << Script {tick("modeEditor", "Read")}
        << "Provider=Microsoft.Jet.OLEDB.4.0;Mode=Read;Data Source=a.mdb";
    QTest::newRow("integer, typing a number")
        << "Provider=SQLOLEDB.1;Connect Timeout=soon"
        << "Connect Timeout" << Script {type("value:Connect Timeout", "30")}
        << "Provider=SQLOLEDB.1;Connect Timeout=30";
    QTest::newRow("custom property is never invalid, known one is")
        << "Provider=MSDAORA.1;Prompt=Sometimes;Whatever=Sometimes"
        << "Prompt" << Script {pick("value:Prompt", 3)}
        << "Provider=MSDAORA.1;Prompt=No Prompt;Whatever=Sometimes";
}

void tst_AllTab::invalidValueRefusesOkUntilFixed()
{
    QFETCH(QString, text);
    QFETCH(QString, property);
    QFETCH(Script, fix);
    QFETCH(QString, expected);
    open(text);
    DialogDriver driver(*m_dialog);
    auto *problem = driver.find<QLabel>("problemLabel");
    QVERIFY(!problem->isHidden());
    QVERIFY(problem->text().contains(property));
    auto *editor = driver.find<datalink::PropertyEditor>(QStringLiteral("value:") + property);
    QVERIFY(editor->toolTip().contains(property));

    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    QVERIFY(driver.click("okButton"));
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QCOMPARE(driver.find<QTabWidget>("tabs")->currentIndex(),
             int(datalink::DataLinkDialog::AllTab));
    QVERIFY(problem->text().contains(u"cannot be used"));

    for (const Step &step : std::as_const(fix))
        QVERIFY2(play(driver, step), qPrintable(step.target));
    QVERIFY(problem->isHidden());
    QVERIFY(editor->toolTip().isEmpty());
    QVERIFY(driver.click("okButton"));
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_dialog->connectionString(), expected);
}

void tst_AllTab::customPropertiesCanBeAddedAndRemoved()
{
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("MSDAORA.1"));
    QVERIFY(driver.type("newPropertyNameEdit", "Bad;Name"));
    QVERIFY(driver.click("addPropertyButton"));
    QVERIFY(!driver.find<QLabel>("addPropertyMessage")->isHidden());
    QVERIFY(driver.type("newPropertyNameEdit", "App Tag"));
    QVERIFY(driver.type("newPropertyValueEdit", "a=b"));
    QVERIFY(driver.click("addPropertyButton"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSDAORA.1;Persist Security Info=False;App Tag=a=b"));
    auto *table = driver.find<QTableView>("otherPropertiesTable");
    QCOMPARE(table->currentIndex().data(Qt::EditRole), QStringLiteral("a=b"));
    table->edit(table->currentIndex());
    QVERIFY(driver.type("value:App Tag", "c"));
    QVERIFY(m_dialog->connectionString().endsWith(u";App Tag=c"));
    const QRect remove = table->visualRect(table->model()->index(0, 2));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, remove.center());
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSDAORA.1;Persist Security Info=False"));
    QCOMPARE(table->model()->rowCount(), 0);
}

void tst_AllTab::aConflictShowsThePairInEffectAndKeepsItOnAClick()
{
    open(QStringLiteral("Provider=MSOLEDBSQL;Server=a;Data Source=b;Foo=1;foo=2"));
    DialogDriver driver(*m_dialog);
    auto *keep = driver.find<QToolButton>("keep:Data Source");
    QVERIFY(keep && !keep->isHidden());
    QVERIFY(keep->text().contains(u"Data Source=b"));
    QVERIFY(driver.click("keep:Data Source"));
    QVERIFY(keep->isHidden());
    auto *table = driver.find<QTableView>("otherPropertiesTable");
    const QModelIndex keepFoo = table->model()->index(0, 3);
    QVERIFY(keepFoo.data().toString().contains(u"foo=2"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(keepFoo).center());
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSOLEDBSQL;Data Source=b;foo=2"));
}

QTEST_MAIN(tst_AllTab)
#include "tst_alltab.moc"
