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
    void aProblemIsListedAndItsFixIsAnOrdinaryEdit_data();
    void aProblemIsListedAndItsFixIsAnOrdinaryEdit();
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

void tst_AllTab::aProblemIsListedAndItsFixIsAnOrdinaryEdit_data()
{
    QTest::addColumn<QString>("text");
    // What the entry says first: the keyword and where it stands.
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fixed");
    // A field on the Connection page, and what it shows once fixed.
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    // The opposite edit, where there is one; it gives the string back.
    QTest::addColumn<Script>("reversal");
    QTest::newRow("two pairs for one property: Keep only, moved from the All tab")
        << "Provider=MSOLEDBSQL;Data Source=a;Data Source=b;Connect Timeout=30"
        << "Data Source, pair 2"
        << "keep:Data Source"
        << "Provider=MSOLEDBSQL;Data Source=b;Connect Timeout=30"
        << "dataSourceEdit"
        << "b" << Script {};
    QTest::newRow("a keyword the provider does not declare, set twice")
        << "Provider=MSOLEDBSQL;Data Source=a;Foo=1;foo=2"
        << "Foo, pair 3"
        << "keep:Foo"
        << "Provider=MSOLEDBSQL;Data Source=a;foo=2"
        << "dataSourceEdit"
        << "a" << Script {};
    QTest::newRow("a pair with no effect removed, and added back")
        << "Provider=MSOLEDBSQL;Data Source=x;Encrypt=yes;Connect Timeout=30"
        << "Encrypt, pair 3"
        << "fix:no-effect:Encrypt"
        << "Provider=MSOLEDBSQL;Data Source=x;Connect Timeout=30"
        << "dataSourceEdit"
        << "x"
        << Script {type("newPropertyNameEdit", "Encrypt"), type("newPropertyValueEdit", "yes"),
                   click("addPropertyButton")};
    QTest::newRow("a misspelt keyword renamed, and back: the page shows its value")
        << "Provider=MSOLEDBSQL;Intial Catalog=db;Data Source=x"
        << "Intial Catalog, pair 2"
        << "fix:misspelt-keyword:Intial Catalog"
        << "Provider=MSOLEDBSQL;Data Source=x;Initial Catalog=db"
        << "initialCatalogEdit"
        << "db"
        << Script {click("reset:Initial Catalog"), type("newPropertyNameEdit", "Intial Catalog"),
                   type("newPropertyValueEdit", "db"), click("addPropertyButton")};
    QTest::newRow("a long keyword and value are cut short, the dialog no wider")
        << "Provider=MSOLEDBSQL;Data Source=a;An Unusually Long Keyword Of Its Own=1;"
           "an unusually long keyword of its own=Tom & Jerry's wholly unbroken value"
        << "An Unusually L"
        << "keep:An Unusually Long Keyword Of Its Own"
        << "Provider=MSOLEDBSQL;Data Source=a;an unusually long keyword of its own=Tom & Jerry's "
           "wholly unbroken value"
        << "dataSourceEdit"
        << "a" << Script {};
}

void tst_AllTab::aProblemIsListedAndItsFixIsAnOrdinaryEdit()
{
    QFETCH(QString, text);
    QFETCH(QString, entry);
    QFETCH(QString, button);
    QFETCH(QString, fixed);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QFETCH(Script, reversal);
    const int narrowest = open(u"Provider=MSOLEDBSQL"_s).minimumSizeHint().width();
    open(text);
    DialogDriver driver(*m_dialog);
    auto *list = driver.find<QWidget>("problemList");
    QVERIFY(!list->isHidden());
    QCOMPARE(list->accessibleName(), u"Problems"_s);
    QStringList entries;
    for (const QLabel *label : list->findChildren<QLabel *>(u"problemText"_s))
        entries.append(label->text());
    QVERIFY2(entries.size() == 1 && entries.first().startsWith(entry),
             qPrintable(entries.join(u'\n')));
    // The fix shows whole at the narrowest the dialog goes.
    m_dialog->show();
    m_dialog->resize(m_dialog->minimumSizeHint().width(), m_dialog->height());
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    auto *fix = driver.find<QPushButton>(button);
    QVERIFY(fix && fix->isVisible());
    QVERIFY(m_dialog->rect().contains(QRect(fix->mapTo(m_dialog.get(), QPoint()), fix->size())));
    QVERIFY(fix->width() >= fix->sizeHint().width());
    QCOMPARE(m_dialog->width(), narrowest);

    fix->setFocus();
    QVERIFY(driver.click(button));
    // The button went with the last entry; the focus goes back to the tabs, not past them.
    QCOMPARE(m_dialog->focusWidget(), driver.find<QWidget>("qt_tabwidget_tabbar"));
    QCOMPARE(m_dialog->connectionString(), fixed);
    QCOMPARE(driver.shownString(), fixed);
    QCOMPARE(driver.find<QLineEdit>(field)->text(), shown);
    QVERIFY(list->isHidden());
    for (const Step &step : std::as_const(reversal))
        QVERIFY2(play(driver, step), qPrintable(step.target));
    if (!reversal.isEmpty())
        QCOMPARE(m_dialog->connectionString(), text);
}

QTEST_MAIN(tst_AllTab)
#include "tst_alltab.moc"
