#include "dialogfixture.h"

class tst_DialogKeyboard : public QObject, protected DialogFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openEmpty(); }
    void cleanup() { closeAndCheckForLeaks(); }

    void keysActOnTheDialogWhateverHasTheFocus_data();
    void keysActOnTheDialogWhateverHasTheFocus();
    void tabFollowsTheReadingOrderOnEveryPage_data();
    void tabFollowsTheReadingOrderOnEveryPage();
    void altKeysAreUniqueAndReachTheirControl_data();
    void altKeysAreUniqueAndReachTheirControl();
    void theSizeTheUserGivesIsKeptForTheRun();
};

void tst_DialogKeyboard::keysActOnTheDialogWhateverHasTheFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    // "accepted", "rejected", or the tab the key leads to.
    QTest::addColumn<QString>("outcome");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::newRow("enter in a text field")
        << "initialCatalogEdit" << int(Qt::Key_Return) << none << "accepted";
    QTest::newRow("enter in a drop-down field")
        << "dsnCombo" << int(Qt::Key_Return) << none << "accepted";
    QTest::newRow("enter in the provider list goes on as Next does")
        << "providerList" << int(Qt::Key_Enter) << none << "Connection";
    QTest::newRow("escape") << "userNameEdit" << int(Qt::Key_Escape) << none << "rejected";
    QTest::newRow("ctrl+tab in a drop-down")
        << "dsnCombo" << int(Qt::Key_Tab) << ctrl << "Advanced";
    QTest::newRow("ctrl+shift+tab in a drop-down")
        << "dsnCombo" << int(Qt::Key_Backtab) << ctrlShift << "Provider";
    QTest::newRow("ctrl+tab in the All tab's drop-down, round to the first tab")
        << "value:Persist Security Info" << int(Qt::Key_Tab) << ctrl << "Provider";
    QTest::newRow("ctrl+tab in the string, below the tabs")
        << "connectionStringView" << int(Qt::Key_Tab) << ctrl << "Connection";
    QTest::newRow("alt+n on the provider list")
        << "providerList" << int(Qt::Key_N) << int(Qt::AltModifier) << "Connection";
}

void tst_DialogKeyboard::keysActOnTheDialogWhateverHasTheFocus()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, outcome);
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("MSDASQL.1"));
    auto *widget = driver.find<QWidget>(field);
    auto *tabs = m_dialog->findChild<QTabWidget *>();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        if (tabs->widget(tab)->isAncestorOf(widget))
            m_dialog->showTab(datalink::DataLinkDialog::Tab(tab));
    }
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    QSignalSpy finished(m_dialog.get(), &QDialog::finished);
    widget->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (outcome == u"accepted" || outcome == u"rejected") {
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(),
                 int(outcome == u"accepted" ? QDialog::Accepted : QDialog::Rejected));
        return;
    }
    // A button's Alt key clicks it a moment after the press.
    QTRY_COMPARE(tabs->tabText(tabs->currentIndex()).remove(u'&'), outcome);
    QCOMPARE(finished.size(), 0);
    // The focus is on the new page, and marked there as the style marks a focus moved by the
    // keyboard.
    QWidget *focused = QApplication::focusWidget();
    QVERIFY(focused && tabs->currentWidget()->isAncestorOf(focused));
    QStyleOption option;
    option.initFrom(focused);
    QVERIFY(option.state & QStyle::State_HasFocus);
    QVERIFY(option.state & QStyle::State_KeyboardFocusChange);
}

// Every page of each kind of provider, as the user sees it after choosing that provider, and
// the SQL Server page with the fields of each other way of logging on.
static void addPageRows(int sqlLogOn, const QList<std::pair<const char *, int>> &otherLogOns)
{
    QTest::addColumn<QString>("progId");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("logOn");
    const QList<std::pair<const char *, const char *>> providers {
        {"SQL Server", "SQLOLEDB.1"},
        {"SQL Server Native Client", "SQLNCLI11.1"},
        {"Jet", "Microsoft.Jet.OLEDB.4.0"},
        {"ACE", "Microsoft.ACE.OLEDB.12.0"},
        {"OLE DB Driver 18", "MSOLEDBSQL.1"},
        {"OLE DB Driver 19", "MSOLEDBSQL19.1"},
        {"ODBC", "MSDASQL.1"},
        {"Oracle", "MSDAORA.1"},
        {"other", "Vendor.Provider.1"},
    };
    const QList<std::pair<const char *, datalink::DataLinkDialog::Tab>> tabs {
        {"Provider", datalink::DataLinkDialog::ProviderTab},
        {"Connection", datalink::DataLinkDialog::ConnectionTab},
        {"Advanced", datalink::DataLinkDialog::AdvancedTab},
        {"All", datalink::DataLinkDialog::AllTab},
    };
    for (const auto &[name, progId] : providers) {
        for (const auto &[tabName, tab] : tabs) {
            QTest::addRow("%s, %s tab", name, tabName)
                << QString::fromLatin1(progId) << int(tab) << sqlLogOn;
        }
    }
    for (const auto &[name, logOn] : otherLogOns) {
        QTest::addRow("OLE DB Driver 19, %s, Connection tab", name)
            << u"MSOLEDBSQL19.1"_s << int(datalink::DataLinkDialog::ConnectionTab) << logOn;
    }
}

// The Tab stops of the shown page: what Tab reaches, in the order it reaches them.
static QList<QWidget *> tabStops(QDialog &dialog)
{
    QList<QWidget *> stops;
    for (QWidget *widget = dialog.nextInFocusChain(); widget != &dialog;
         widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && widget->isVisible())
            stops.append(widget);
    }
    return stops;
}

// The part of the widget on screen, in the dialog's coordinates.
static QRect onDialog(QWidget *widget)
{
    const QRect shown = widget->visibleRegion().boundingRect();
    return QRect(widget->mapTo(widget->window(), shown.topLeft()), shown.size());
}

void tst_DialogKeyboard::tabFollowsTheReadingOrderOnEveryPage_data()
{
    addPageRows(SqlServerLogOn,
                {{"application id and secret", ServicePrincipal}, {"access token", AccessToken}});
}

void tst_DialogKeyboard::tabFollowsTheReadingOrderOnEveryPage()
{
    QFETCH(QString, progId);
    QFETCH(int, tab);
    QFETCH(int, logOn);
    QVERIFY(showProviderTab(progId, tab, logOn));
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));

    const QList<QWidget *> stops = tabStops(*m_dialog);
    QVERIFY(stops.size() >= 5);
    QCOMPARE(stops.first()->objectName(), QStringLiteral("qt_tabwidget_tabbar"));
    // The rows below the pages come last, in this order.
    QStringList tail;
    for (qsizetype i = stops.size() - 4; i < stops.size(); ++i)
        tail.append(stops.at(i)->objectName());
    QCOMPARE(tail.mid(0, 2), (QStringList {u"connectionStringView"_s, u"revealPasswordCheck"_s}));
    QVERIFY(tail.contains(u"okButton"_s) && tail.contains(u"cancelButton"_s));
    // The Problems list (a deprecated provider has one) between the page and those rows.
    auto *problems = m_dialog->findChild<QWidget *>(u"problemList"_s);
    qsizetype page = stops.size() - 5;
    while (page > 0 && problems->isAncestorOf(stops.at(page)))
        --page;
    QCOMPARE(page < stops.size() - 5, problems->isVisible());
    if (tab == datalink::DataLinkDialog::ConnectionTab)
        QCOMPARE(stops.at(page)->objectName(), QStringLiteral("testConnectionButton"));

    // Each stop is on the row of the one before, further right, or lower down. Rows scrolled
    // out of sight have no place on screen to compare.
    QList<QWidget *> seen;
    for (QWidget *stop : stops) {
        if (!stop->visibleRegion().isEmpty())
            seen.append(stop);
    }
    for (qsizetype i = 1; i < seen.size(); ++i) {
        const QRect before = onDialog(seen.at(i - 1));
        const QRect after = onDialog(seen.at(i));
        const bool sameRow = after.top() < before.bottom() && before.top() < after.bottom();
        const bool inOrder
            = sameRow ? after.left() >= before.left() : after.top() >= before.bottom();
        QVERIFY2(inOrder,
                 qPrintable(QStringLiteral("%1 (%2,%3) comes after %4 (%5,%6)")
                                .arg(stops.at(i)->objectName())
                                .arg(after.x())
                                .arg(after.y())
                                .arg(stops.at(i - 1)->objectName())
                                .arg(before.x())
                                .arg(before.y())));
    }
}

void tst_DialogKeyboard::altKeysAreUniqueAndReachTheirControl_data()
{
    addPageRows(SqlServerLogOn,
                {{"application id and secret", ServicePrincipal}, {"access token", AccessToken}});
}

void tst_DialogKeyboard::altKeysAreUniqueAndReachTheirControl()
{
    QFETCH(QString, progId);
    QFETCH(int, tab);
    QFETCH(int, logOn);
    QVERIFY(showProviderTab(progId, tab, logOn));
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));

    // A choice that names a field leads into it, so that what the user types next goes there.
    const QHash<QString, QString> fieldOfChoice {
        {u"catalogRadio"_s, u"initialCatalogCombo"_s},
        {u"attachFileRadio"_s, u"attachFileEdit"_s},
        {u"dsnRadio"_s, u"dsnCombo"_s},
        {u"connectionStringRadio"_s, u"odbcConnectionStringEdit"_s},
    };
    struct Mnemonic
    {
        QChar key;
        QString text;
        QWidget *owner; // the label or button with the key
        QWidget *target; // what the key is to focus; none for a push button (it would act)
    };
    QList<Mnemonic> mnemonics;
    for (QWidget *widget : m_dialog->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        QString text;
        QWidget *owner = widget;
        QWidget *target = nullptr;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            text = label->text();
            target = label->buddy();
            owner = target;
            if (text.contains(u'&'))
                QVERIFY2(target, qPrintable(u"no buddy for "_s + text));
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            text = button->text();
            if (fieldOfChoice.contains(button->objectName()))
                target = m_dialog->findChild<QWidget *>(fieldOfChoice.value(button->objectName()));
            else if (!qobject_cast<QPushButton *>(button))
                target = button;
        }
        const qsizetype amp = text.indexOf(u'&');
        if (amp < 0 || amp + 1 >= text.size() || text.at(amp + 1) == u'&')
            continue;
        mnemonics.append({text.at(amp + 1).toLower(), text, owner, target});
    }
    QVERIFY(!mnemonics.isEmpty());
    for (qsizetype i = 0; i < mnemonics.size(); ++i) {
        for (qsizetype j = i + 1; j < mnemonics.size(); ++j) {
            QVERIFY2(mnemonics.at(i).key != mnemonics.at(j).key,
                     qPrintable(mnemonics.at(i).text + u" and "_s + mnemonics.at(j).text));
        }
    }
    for (const Mnemonic &mnemonic : std::as_const(mnemonics)) {
        if (!mnemonic.target || !mnemonic.owner->isEnabled())
            continue;
        m_dialog->findChild<QWidget *>(u"connectionStringView"_s)->setFocus();
        QTest::keyClick(m_dialog.get(), Qt::Key(Qt::Key_A + mnemonic.key.unicode() - u'a'),
                        Qt::AltModifier);
        QWidget *wanted
            = mnemonic.target->focusProxy() ? mnemonic.target->focusProxy() : mnemonic.target;
        const auto reached = [wanted] {
            QWidget *focused = QApplication::focusWidget();
            return focused == wanted || wanted->isAncestorOf(focused);
        };
        // A button's key clicks it a moment after the press, as a click would.
        QTRY_VERIFY2_WITH_TIMEOUT(
            reached(),
            qPrintable(mnemonic.text + u" focused "_s + QApplication::focusWidget()->objectName()),
            1000);
    }
}

void tst_DialogKeyboard::theSizeTheUserGivesIsKeptForTheRun()
{
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    // Wider: the small test screen leaves no room to grow taller than the dialog's minimum.
    const QSize given = m_dialog->size() + QSize(37, 0);
    m_dialog->resize(given);
    // Another string, another provider, another page: the same size.
    open(QStringLiteral("Provider=SQLOLEDB.1;Data Source=x"));
    QCOMPARE(m_dialog->size(), given);

    // Problems listed make the dialog taller where the screen has room, and the room goes with
    // them; the size kept is the one without.
    open(QStringLiteral("Provider=MSOLEDBSQL.1;Data Source=x"));
    const QSize kept(given.width(), m_dialog->minimumSizeHint().height());
    m_keptSize.size = kept;
    const auto shown = [this](const QString &text) {
        open(text).show();
        return QTest::qWaitForWindowExposed(m_dialog.get());
    };
    QVERIFY(shown(u"Provider=SQLOLEDB.1;Data Source=x"_s));
    QVERIFY(m_dialog->height() > kept.height());
    QVERIFY(DialogDriver(*m_dialog).chooseProvider("MSOLEDBSQL.1"));
    QCOMPARE(m_dialog->size(), kept);
    QVERIFY(shown(u"Provider=SQLOLEDB.1;Data Source=x"_s));
    QVERIFY(shown(u"Provider=MSOLEDBSQL.1;Data Source=x"_s));
    QCOMPARE(m_dialog->size(), kept);
}

QTEST_MAIN(tst_DialogKeyboard)
#include "tst_dialogkeyboard.moc"
