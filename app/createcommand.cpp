#include "app/createcommand.h"

#include "app/autoref.h"
#include "platform/application.h"
#include "platform/automation.h"
#include "platform/control.h"
#include "platform/datasourcelocator.h"
#include "platform/resumeonerror.h"
#include "platform/window.h"

namespace app {

using platform::resumeOnError;

CreateCommand::CreateCommand(platform::IObjectFactory &factory, platform::IWindow &owner,
                             platform::ITextBox &connectionText,
                             platform::IApplication &application)
    : m_factory(factory)
    , m_owner(owner)
    , m_text(connectionText)
    , m_application(application)
{ }

void CreateCommand::run() noexcept
{
    // Locals only: the pending events handled below may start another run, which must get
    // objects of its own.
    AutoRef<platform::IDataSourceLocator> dataLinks([this] { return m_factory.createDataLinks(); });
    AutoRef<platform::IConnection> connection([this] { return m_factory.createConnection(); });
    bool textRefused = false;
    bool editConfirmed = false;

    resumeOnError([&] {
        const auto &locator = dataLinks.use();
        const quint32 owner = m_owner.hWnd();
        locator->SetHWnd(owner);
    });

    // An unreadable box counts as empty: the new path is the one taken when the test holds.
    bool isNew = true;
    resumeOnError([&] { isNew = m_text.Text() == QString(); });

    bool tooLong = false;
    resumeOnError([&] { tooLong = !isNew && m_text.Text().size() > maxTextLength; });

    if (tooLong) {
        resumeOnError([&] {
            m_application.showMessage(
                QStringLiteral("This connection string is too long to edit here: it has %L1 "
                               "characters, and Create opens strings of up to %L2. The text "
                               "stays in the box as it is.")
                    .arg(m_text.Text().size())
                    .arg(maxTextLength));
        });
    } else if (isNew) {
        resumeOnError([&] {
            const auto &target = connection.use();
            const auto &locator = dataLinks.use();
            const std::shared_ptr<platform::IDispatch> built = locator->PromptNew();
            const QString value = platform::defaultValueText(built);
            target->SetConnectionString(value);
        });
    } else {
        resumeOnError([&] {
            const auto &target = connection.use();
            const QString text = m_text.Text();
            // Only a refusal by the connection itself counts, not a failure to get this far.
            textRefused = true;
            target->SetConnectionString(text);
            textRefused = false;
        });
        resumeOnError([&] {
            const auto &locator = dataLinks.use();
            std::shared_ptr<platform::IDispatch> edited = connection.use();
            editConfirmed = locator->PromptEdit(edited);
            connection.assign(platform::queryConnection(edited));
        });
    }

    resumeOnError([&] {
        // Nothing was edited: the box keeps its text as it is.
        if (tooLong)
            return;
        const QString result = connection.use()->ConnectionString();
        // The dialog opened on an empty connection because the box's text was refused; unless
        // the user confirmed a new string there, writing the result would wipe the user's text.
        const bool newStringConfirmed = editConfirmed && result != QString();
        if (textRefused && !newStringConfirmed)
            return;
        m_text.SetText(result);
    });

    resumeOnError([&] { m_application.processPendingEvents(); });
    resumeOnError([&] { dataLinks.reset(); });
    resumeOnError([&] { connection.reset(); });
}

} // namespace app
