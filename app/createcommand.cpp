#include "app/createcommand.h"

#include "app/autoref.h"
#include "platform/application.h"
#include "platform/automation.h"
#include "platform/control.h"
#include "platform/datasourcelocator.h"
#include "platform/resumeonerror.h"
#include "platform/window.h"

#include <optional>

namespace app {

using platform::resumeOnError;

namespace {

QString dialectName(const QString &from)
{
    if (from == u"adonet-sqlclient")
        return QStringLiteral("an ADO.NET SqlClient connection string, for SQL Server");
    if (from == u"adonet-npgsql")
        return QStringLiteral("an ADO.NET Npgsql connection string, for PostgreSQL");
    if (from == u"odbc")
        return QStringLiteral("an ODBC connection string");
    if (from == u"jdbc-sqlserver")
        return QStringLiteral("a JDBC URL for SQL Server");
    if (from == u"jdbc-postgresql")
        return QStringLiteral("a JDBC URL for PostgreSQL");
    return QStringLiteral("a connection string of another kind");
}

// The list goes in a message box: a value of thousands of characters, or hundreds of pairs,
// would stretch it past the screen and its buttons out of reach.
constexpr qsizetype shownPairLength = 80;
constexpr qsizetype shownPairs = 20;

QString shownPair(const QString &pair)
{
    if (pair.size() <= shownPairLength)
        return pair;
    qsizetype cut = shownPairLength - 1;
    if (pair.at(cut - 1).isHighSurrogate())
        --cut;
    return pair.first(cut) + u'\u2026';
}

platform::Question conversionQuestion(const platform::Conversion &conversion)
{
    platform::Question question;
    question.text = QStringLiteral("The box holds %1, not an OLE DB string. Convert it into the "
                                   "OLE DB string for the matching provider, or edit it as it "
                                   "is? A converted string opens in the dialog, and the box "
                                   "keeps its text unless the dialog is confirmed.")
                        .arg(dialectName(conversion.from));
    const QStringList &unmapped = conversion.unmapped;
    if (unmapped.isEmpty()) {
        question.details = QStringLiteral("Every setting in it has a counterpart in OLE DB.");
    } else {
        QStringList lines {QStringLiteral("These have no counterpart in OLE DB, and the converted "
                                          "string leaves them out:")};
        for (qsizetype i = 0; i < qMin(unmapped.size(), shownPairs); ++i)
            lines.append(shownPair(unmapped.at(i)));
        if (unmapped.size() > shownPairs)
            lines.append(QStringLiteral("and %L1 more").arg(unmapped.size() - shownPairs));
        question.details = lines.join(u'\n');
    }
    question.accept = QStringLiteral("&Convert");
    question.decline = QStringLiteral("&Edit as It Is");
    return question;
}

} // namespace

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

    // Whatever the converter cannot take (OLE DB already, no dialect it knows, broken syntax) is
    // edited as it is.
    std::optional<platform::Conversion> conversion;
    resumeOnError([&] {
        if (!isNew && !tooLong)
            conversion = dataLinks.use()->Convert(m_text.Text());
    });
    // A question that cannot be asked leaves the text to be edited as it is.
    platform::Answer answer = platform::Answer::Decline;
    if (conversion) {
        resumeOnError(
            [&] { answer = m_application.ask(m_owner.hWnd(), conversionQuestion(*conversion)); });
    }
    const bool converting = answer == platform::Answer::Accept;
    const bool textKept = tooLong || answer == platform::Answer::Cancel;

    if (tooLong) {
        resumeOnError([&] {
            m_application.showMessage(
                QStringLiteral("This connection string is too long to edit here: it has %L1 "
                               "characters, and Create opens strings of up to %L2. The text "
                               "stays in the box as it is.")
                    .arg(m_text.Text().size())
                    .arg(maxTextLength));
        });
    } else if (textKept) {
        // The question was cancelled: nothing is opened.
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
            const QString text = converting ? conversion->string : m_text.Text();
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
        if (textKept)
            return;
        const QString result = connection.use()->ConnectionString();
        // The dialog opened on an empty connection because the box's text was refused, or on
        // the converted string; unless the user confirmed a new string there, writing the
        // result would wipe or rewrite the user's own text.
        const bool newStringConfirmed = editConfirmed && result != QString();
        if ((textRefused || converting) && !newStringConfirmed)
            return;
        m_text.SetText(result);
    });

    resumeOnError([&] { m_application.processPendingEvents(); });
    resumeOnError([&] { dataLinks.reset(); });
    resumeOnError([&] { connection.reset(); });
}

} // namespace app
