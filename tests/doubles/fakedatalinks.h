#pragma once

#include "platform/automation.h"
#include "platform/datasourcelocator.h"
#include "platform/error.h"
#include "tests/doubles/faults.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace doubles {

// How many fake Data Link objects are alive, so a test can prove every one was released.
struct Census
{
    int dataLinks = 0;
    int connections = 0;
    int others = 0;
    int total() const { return dataLinks + connections + others; }
};

// Counts its owner in one field of the census for as long as the owner lives.
class CensusEntry final
{
public:
    explicit CensusEntry(int &field)
        : m_field(field)
    {
        ++m_field;
    }
    CensusEntry(const CensusEntry &) = delete;
    CensusEntry &operator=(const CensusEntry &) = delete;
    ~CensusEntry() { --m_field; }

private:
    int &m_field;
};

// An automation object that is not a connection: what a prompt may hand back instead of one.
class FakeDispatch final : public platform::IDispatch
{
public:
    FakeDispatch(Faults &faults, Census &census, QString value)
        : value(std::move(value))
        , m_faults(faults)
        , m_entry(census.others)
    { }

    QString defaultValue() override
    {
        m_faults.check(QStringLiteral("Dispatch.defaultValue"));
        return value;
    }

    QString value;

private:
    Faults &m_faults;
    CensusEntry m_entry;
};

// A connection that stores what it is given through `render` (identity unless the test says
// otherwise) and refuses what `refuses` says with the platform's message.
class FakeConnection final : public platform::IConnection
{
public:
    using Render = std::function<QString(const QString &)>;
    using Refuses = std::function<bool(const QString &)>;

    FakeConnection(Faults &faults, Census &census, int serial, Render render, Refuses refuses)
        : serial(serial)
        , m_faults(faults)
        , m_entry(census.connections)
        , m_render(std::move(render))
        , m_refuses(std::move(refuses))
    { }

    QString defaultValue() override
    {
        m_faults.check(QStringLiteral("Connection.defaultValue"));
        return connectionString;
    }
    QString ConnectionString() override
    {
        m_faults.check(QStringLiteral("Connection.ConnectionString"));
        return connectionString;
    }
    void SetConnectionString(const QString &value) override
    {
        m_faults.check(QStringLiteral("Connection.SetConnectionString"));
        if (m_refuses && m_refuses(value))
            throw platform::Error(QStringLiteral("The connection refused the string."), 0x80040E73);
        connectionString = m_render ? m_render(value) : value;
    }

    // 1 for the first connection a factory made, and so on; 0 for one a script made.
    const int serial;
    QString connectionString;

private:
    Faults &m_faults;
    CensusEntry m_entry;
    Render m_render;
    Refuses m_refuses;
};

// What the user does in the dialog, shared by every Data Link object of one factory, and what
// each opening of the dialog saw.
struct DialogScript
{
    struct Opening
    {
        bool isNew;
        // The Data Link object's serial and the owner window set on it.
        int dataLinks;
        quint32 owner;
        // For an edit: the connection handed in, with its string at that moment.
        int connection;
        QString connectionString;
    };

    // Default: the user cancels and no object comes back.
    std::function<std::shared_ptr<platform::IDispatch>()> onPromptNew;
    // Default: the user cancels; nothing changes and the answer is false.
    std::function<bool(std::shared_ptr<platform::IDispatch> &)> onPromptEdit;
    // Default: nothing converts.
    std::function<std::optional<platform::Conversion>(const QString &)> onConvert;
    QList<Opening> openings;
};

class FakeDataLinks final : public platform::IDataSourceLocator
{
public:
    FakeDataLinks(Faults &faults, Census &census, DialogScript &script, int serial)
        : serial(serial)
        , m_faults(faults)
        , m_entry(census.dataLinks)
        , m_script(script)
    { }

    quint32 hWnd() override
    {
        m_faults.check(QStringLiteral("DataLinks.hWnd"));
        return owner;
    }
    void SetHWnd(quint32 handle) override
    {
        m_faults.check(QStringLiteral("DataLinks.SetHWnd"));
        owner = handle;
    }
    std::shared_ptr<platform::IDispatch> PromptNew() override
    {
        m_faults.check(QStringLiteral("DataLinks.PromptNew"));
        m_script.openings.append({true, serial, owner, 0, QString()});
        return m_script.onPromptNew ? m_script.onPromptNew() : nullptr;
    }
    std::optional<platform::Conversion> Convert(const QString &text) override
    {
        m_faults.check(QStringLiteral("DataLinks.Convert"));
        return m_script.onConvert ? m_script.onConvert(text) : std::nullopt;
    }
    bool PromptEdit(std::shared_ptr<platform::IDispatch> &connection) override
    {
        m_faults.check(QStringLiteral("DataLinks.PromptEdit"));
        const auto *fake = dynamic_cast<FakeConnection *>(connection.get());
        m_script.openings.append({false, serial, owner, fake ? fake->serial : -1,
                                  fake ? fake->connectionString : QString()});
        return m_script.onPromptEdit ? m_script.onPromptEdit(connection) : false;
    }

    const int serial;
    quint32 owner = 0;

private:
    Faults &m_faults;
    CensusEntry m_entry;
    DialogScript &m_script;
};

// Makes the fakes above and scripts the dialog. Creation goes through the faults as
// "Factory.createDataLinks" and "Factory.createConnection", so a test fails it by name.
class FakeObjectFactory final : public platform::IObjectFactory
{
public:
    explicit FakeObjectFactory(Faults &faults)
        : m_faults(faults)
    { }

    std::shared_ptr<platform::IDataSourceLocator> createDataLinks() override
    {
        m_faults.check(QStringLiteral("Factory.createDataLinks"));
        return std::make_shared<FakeDataLinks>(m_faults, census, script, ++dataLinksMade);
    }
    std::shared_ptr<platform::IConnection> createConnection() override
    {
        m_faults.check(QStringLiteral("Factory.createConnection"));
        return std::make_shared<FakeConnection>(m_faults, census, ++connectionsMade, render,
                                                refuses);
    }

    // Objects for scripts to hand back; made without a platform operation.
    std::shared_ptr<FakeConnection> otherConnection(const QString &connectionString)
    {
        auto connection = std::make_shared<FakeConnection>(m_faults, census, 0, render, refuses);
        connection->connectionString = connectionString;
        return connection;
    }
    std::shared_ptr<FakeDispatch> notAConnection(const QString &value)
    {
        return std::make_shared<FakeDispatch>(m_faults, census, value);
    }

    // The user builds `built` and presses OK: the object returned has it as default value.
    void userConfirmsNew(const QString &built)
    {
        script.onPromptNew = [this, built] {
            return notAConnection(built);
        };
    }
    void userCancelsNew() { script.onPromptNew = nullptr; }
    void promptNewFails()
    {
        script.onPromptNew = []() -> std::shared_ptr<platform::IDispatch> {
            throw platform::Error(QStringLiteral("Cancelled by the user."), 0x80040E4E);
        };
    }

    // The dialog leaves `edited` in the connection it was given and answers `answer`.
    void userEdits(const QString &edited, bool answer = true)
    {
        script.onPromptEdit = [edited, answer](std::shared_ptr<platform::IDispatch> &object) {
            if (auto *connection = dynamic_cast<FakeConnection *>(object.get()))
                connection->connectionString = edited;
            return answer;
        };
    }
    void userCancelsEdit() { script.onPromptEdit = nullptr; }
    // The argument comes back holding nothing, another connection, or an object that is none.
    // Made when the dialog answers, so the script itself keeps nothing alive.
    void editLeavesNoObject()
    {
        editLeaves([] { return nullptr; });
    }
    void editLeavesOtherConnection(const QString &connectionString)
    {
        editLeaves([this, connectionString] { return otherConnection(connectionString); });
    }
    void editLeavesNotAConnection(const QString &value)
    {
        editLeaves([this, value] { return notAConnection(value); });
    }
    void promptEditFails()
    {
        script.onPromptEdit = [](std::shared_ptr<platform::IDispatch> &) -> bool {
            throw platform::Error(QStringLiteral("Unspecified error"), 0x80004005);
        };
    }

    Census census;
    DialogScript script;
    FakeConnection::Render render;
    FakeConnection::Refuses refuses;
    int dataLinksMade = 0;
    int connectionsMade = 0;

private:
    void editLeaves(std::function<std::shared_ptr<platform::IDispatch>()> make)
    {
        script.onPromptEdit = [make](std::shared_ptr<platform::IDispatch> &object) {
            object = make();
            return true;
        };
    }

    Faults &m_faults;
};

} // namespace doubles
