#pragma once

// What every dialog test starts from: a dialog on an empty string, with data sources, a database
// lister and a server browser that answer from the test, never from a server or the network.

#include "dialogdriver.h"

#include "datalink/widgets/lookupfield.h"
#include "drivers/discovery/databaselister.h"
#include "drivers/discovery/serverbrowser.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <mutex>
#include <semaphore>

using testing::DialogDriver;
using namespace Qt::StringLiterals;

// One thing the user does: which widget, and what with it.
struct Step
{
    // Open: the dialog opens on a string, before anything else the script does.
    enum Kind { Open, Provider, Type, Click, Pick, Tick } kind;
    QString target;
    QString text;
    int index = 0;
};
using Script = QList<Step>;
Q_DECLARE_METATYPE(Script)

namespace dialogtest {

inline Step opened(QAnyStringView text)
{
    return {Step::Open, {}, text.toString()};
}
inline Step provider(QAnyStringView progId)
{
    return {Step::Provider, progId.toString(), {}};
}
inline Step type(QAnyStringView field, QAnyStringView text)
{
    return {Step::Type, field.toString(), text.toString()};
}
inline Step click(QAnyStringView button)
{
    return {Step::Click, button.toString(), {}};
}
inline Step pick(QAnyStringView combo, int index)
{
    return {Step::Pick, combo.toString(), {}, index};
}
inline Step tick(QAnyStringView editor, QAnyStringView flag)
{
    return {Step::Tick, editor.toString(), flag.toString()};
}

inline bool play(DialogDriver &driver, const Step &step)
{
    switch (step.kind) {
    case Step::Open:
        return false;
    case Step::Provider:
        return driver.chooseProvider(step.target);
    case Step::Type:
        return driver.type(step.target, step.text);
    case Step::Click:
        return driver.click(step.target);
    case Step::Pick:
        return driver.pick(step.target, step.index);
    case Step::Tick:
        return driver.tick(step.target, step.text);
    }
    return false;
}

// Answers from a script instead of a server; remembers what it was asked. Runs on the worker.
class FakeLister final : public drivers::IDatabaseLister
{
public:
    drivers::LookupResult list(const oledb::ConnectionString &connection,
                               const std::atomic<bool> &) override
    {
        if (holding)
            gate.acquire();
        const std::lock_guard lock(mutex);
        asked.append(connection.toString());
        return answer;
    }

    std::mutex mutex;
    QStringList asked;
    drivers::LookupResult answer;
    bool holding = false;
    std::binary_semaphore gate {0};
};

class FakeBrowser final : public drivers::IServerBrowser
{
public:
    drivers::LookupResult queryHost(const QString &host, const std::atomic<bool> &) override
    {
        const std::lock_guard lock(mutex);
        asked.append(host);
        return drivers::LookupResult::found({host + QStringLiteral("\\SQLEXPRESS")});
    }
    drivers::LookupResult broadcast(const std::atomic<bool> &) override
    {
        const std::lock_guard lock(mutex);
        asked.append(QStringLiteral("*"));
        return drivers::LookupResult::found({QStringLiteral("LAB\\DEV")});
    }
    std::chrono::milliseconds timeLimit() const override { return std::chrono::seconds(1); }

    QStringList askedSoFar()
    {
        const std::lock_guard lock(mutex);
        return asked;
    }

    std::mutex mutex;
    QStringList asked;
};

} // namespace dialogtest

using namespace dialogtest;

class DialogFixture
{
protected:
    datalink::DataLinkDialog &open(const QString &text)
    {
        m_dialog = std::make_unique<datalink::DataLinkDialog>(
            oledb::ProviderCatalogue::builtIn(),
            oledb::DataLinkProperties::fromString(oledb::ProviderCatalogue::builtIn(), text),
            m_dataSources, nullptr, &m_keptSize);
        // No test reaches a real server or the network.
        m_lister = std::make_shared<FakeLister>();
        m_browser = std::make_shared<FakeBrowser>();
        m_dialog->setDiscovery({m_lister, m_browser});
        return *m_dialog;
    }

    void openEmpty()
    {
        m_keptSize = {};
        open(QString());
    }

    void closeAndCheckForLeaks()
    {
        m_dialog.reset();
        QTRY_VERIFY2(QApplication::topLevelWidgets().isEmpty(), "a top-level widget was leaked");
    }

    // The provider's tab shown with a user name to type, as a keyboard user meets it, or with
    // the fields of another way of logging on.
    bool showProviderTab(const QString &progId, int tab, int logOn = SqlServerLogOn)
    {
        DialogDriver driver(*m_dialog);
        if (!driver.chooseProvider(progId))
            return false;
        driver.pick("authenticationCombo", logOn);
        m_dialog->show();
        m_dialog->showTab(datalink::DataLinkDialog::Tab(tab));
        return true;
    }

    // Where the SQL Server page lists the ways of logging on.
    enum LogOnChoice {
        WindowsIntegrated,
        SqlServerLogOn,
        SqlPassword,
        DirectoryPassword,
        DirectoryIntegrated,
        DirectoryInteractive,
        ManagedIdentity,
        ServicePrincipal,
        AccessToken,
    };

    testing::FixedDataSources m_dataSources {{QStringLiteral("Sales")}, {QStringLiteral("Stock")}};
    std::shared_ptr<FakeLister> m_lister;
    std::shared_ptr<FakeBrowser> m_browser;
    // One per test, as the program keeps one per run.
    datalink::KeptDialogSize m_keptSize;
    std::unique_ptr<datalink::DataLinkDialog> m_dialog;
};
