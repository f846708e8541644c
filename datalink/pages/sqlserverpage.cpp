#include "datalink/pages/sqlserverpage.h"

#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/logonfields.h"
#include "datalink/widgets/lookupfield.h"
#include "datalink/widgets/propertyeditor.h"
#include "oledb/datalinkdraft.h"
#include "oledb/propertydefinition.h"
#include "oledb/propertynames.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace datalink {

using namespace oledb::property;

namespace {

bool isTrue(const std::optional<QString> &value, const oledb::PropertyDefinition &definition)
{
    return oledb::PropertyDefinition::parseBoolean(value.value_or(definition.defaultValue))
        .value_or(false);
}

} // namespace

SqlServerPage::SqlServerPage(DataLinkDraft &draft, FileChooser chooseFile, QWidget *parent)
    : ConnectionPage(draft, parent)
    , m_chooseFile(std::move(chooseFile))
    , m_authentication(new QComboBox(this))
    , m_logOn(new LogOnFields(draft, this))
    , m_catalog(new QRadioButton(tr("Select the &database on the server:"), this))
    , m_attach(new QRadioButton(tr("&Attach a database file as a database name:"), this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *server = new QGroupBox(tr("1. Server"), this);
    auto *serverForm = m_serverForm = new QFormLayout(server);
    LookupField *serverName = addServerField(QStringLiteral("dataSourceEdit"), DataSource);
    serverName->comboBox()->lineEdit()->setPlaceholderText(tr("(local)"));
    addLookupRow(serverForm, tr("Ser&ver name:"), serverName);
    layout->addWidget(server);

    auto *logOn = new QGroupBox(tr("2. Log on to the server"), this);
    m_logOnForm = new QFormLayout(logOn);
    m_authentication->setObjectName(QStringLiteral("authenticationCombo"));
    // Every way the provider knows, named in full: the list is as wide as its longest name.
    m_authentication->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    addMode({LogOnMode::Integrated, {}, LogOnMode::Fields::None}, tr("Windows integrated security"),
            tr("Integrated Security=SSPI: the Windows account the program runs as"));
    addMode({LogOnMode::SqlLogOn, {}, LogOnMode::Fields::UserAndPassword},
            tr("SQL Server user name and password"),
            tr("User ID and Password, without an Authentication mode"));
    if (const oledb::PropertyDefinition *modes = draft.definition(Authentication)) {
        struct Known
        {
            const char *value;
            const char *label;
            const char *hint;
            LogOnMode::Fields fields;
        };
        // What each mode reads besides itself, as the provider's keyword table says.
        static const Known known[] = {
            {"SqlPassword", QT_TR_NOOP("SqlPassword (SQL Server log-on)"),
             QT_TR_NOOP("User name and password, with the newer encryption and certificate "
                        "rules"),
             LogOnMode::Fields::UserAndPassword},
            {"ActiveDirectoryPassword", QT_TR_NOOP("ActiveDirectoryPassword"),
             QT_TR_NOOP("A directory user name and password"), LogOnMode::Fields::UserAndPassword},
            {"ActiveDirectoryIntegrated", QT_TR_NOOP("ActiveDirectoryIntegrated"),
             QT_TR_NOOP("The directory account signed in on this machine"),
             LogOnMode::Fields::None},
            {"ActiveDirectoryInteractive", QT_TR_NOOP("ActiveDirectoryInteractive"),
             QT_TR_NOOP("Signs in when connecting; the user name, if given, is the account "
                        "offered"),
             LogOnMode::Fields::UserOnly},
            {"ActiveDirectoryMSI", QT_TR_NOOP("ActiveDirectoryMSI (managed identity)"),
             QT_TR_NOOP("The machine's managed identity; for a user-assigned one, its object ID "
                        "as the user name"),
             LogOnMode::Fields::UserOnly},
            {"ActiveDirectoryServicePrincipal", QT_TR_NOOP("ActiveDirectoryServicePrincipal"),
             QT_TR_NOOP("An application's (client) ID and secret"),
             LogOnMode::Fields::ApplicationAndSecret},
        };
        for (const QString &value : modes->allowedValues) {
            QString label = value;
            QString hint;
            LogOnMode::Fields fields = LogOnMode::Fields::UserAndPassword;
            for (const Known &entry : known) {
                if (value.compare(QLatin1String(entry.value), Qt::CaseInsensitive) == 0) {
                    label = tr(entry.label);
                    hint = tr(entry.hint);
                    fields = entry.fields;
                }
            }
            for (const auto &deprecated : modes->deprecatedValues) {
                if (deprecated.value.compare(value, Qt::CaseInsensitive) == 0)
                    label = tr("%1 (deprecated)").arg(label);
            }
            addMode({LogOnMode::Authentication, value, fields}, label,
                    QStringLiteral("Authentication=%1: %2").arg(value, hint));
        }
    }
    m_logOnForm->addRow(tr("Authe&ntication:"), m_authentication);
    m_logOnForm->addRow(m_logOn->layout());
    if (draft.definition(AccessToken)) {
        addMode({LogOnMode::AccessToken, {}, LogOnMode::Fields::Token}, tr("Access token"),
                tr("Access Token: a token obtained beforehand, in place of any other log-on"));
        m_accessToken = addBoundLineEdit(QStringLiteral("accessTokenEdit"), AccessToken);
        m_logOnForm->addRow(tr("Access t&oken:"), m_accessToken);
    }
    // A popup no wider than the field would cut the longer names.
    m_authentication->view()->setMinimumWidth(m_authentication->view()->sizeHintForColumn(0)
                                              + 2 * m_authentication->view()->frameWidth());
    layout->addWidget(logOn);
    connect(m_authentication, &QComboBox::activated, this, &SqlServerPage::useMode);

    auto *database = new QGroupBox(tr("3. Database"), this);
    auto *databaseLayout = new QGridLayout(database);
    m_catalog->setObjectName(QStringLiteral("catalogRadio"));
    m_attach->setObjectName(QStringLiteral("attachFileRadio"));
    databaseLayout->addWidget(m_catalog, 0, 0, 1, 2);
    m_database = addDatabaseField(QStringLiteral("initialCatalogEdit"), InitialCatalog);
    nameControl(m_database->comboBox(), tr("Database on the server"));
    databaseLayout->addLayout(m_database->layout(), 1, 1);
    databaseLayout->setColumnMinimumWidth(0, 20);
    if (draft.definition(InitialFileName)) {
        databaseLayout->addWidget(m_attach, 2, 0, 1, 2);
        auto *fileRow = new QHBoxLayout;
        m_attachFile = addBoundLineEdit(QStringLiteral("attachFileEdit"), InitialFileName);
        m_attachFile->setPlaceholderText(tr("Database file (.mdf)"));
        nameControl(m_attachFile, tr("Database file to attach"));
        m_attachBrowse = new QToolButton(this);
        m_attachBrowse->setObjectName(QStringLiteral("attachBrowseButton"));
        m_attachBrowse->setText(tr("..."));
        m_attachBrowse->setToolTip(tr("Choose the database file"));
        m_attachBrowse->setAccessibleName(tr("Choose the database file to attach"));
        fileRow->addWidget(m_attachFile);
        fileRow->addWidget(m_attachBrowse);
        databaseLayout->addLayout(fileRow, 3, 1);
        connect(m_catalog, &QRadioButton::clicked, this, [this] { attachFile(false); });
        connect(m_attach, &QRadioButton::clicked, this, [this] { attachFile(true); });
        connect(m_attachBrowse, &QToolButton::clicked, this, [this] {
            const QString file
                = m_chooseFile(this, tr("Attach Database File"),
                               tr("SQL Server databases (*.mdf);;All files (*)"), false);
            if (!file.isEmpty())
                m_draft.setValue(InitialFileName, file);
        });
    } else {
        m_attach->hide();
    }
    layout->addWidget(database);

    const oledb::PropertyDefinition *encryption = draft.definition(UseEncryptionForData);
    const oledb::PropertyDefinition *trust = draft.definition(TrustServerCertificate);
    // Encryption is how the server is reached: it shares the server's group, which also keeps
    // the page short enough for a small screen.
    if (encryption || trust) {
        auto *securityLayout = new QHBoxLayout;
        if (encryption && encryption->type == oledb::PropertyType::Boolean) {
            m_encrypt = new QCheckBox(tr("&Encrypt the connection"), this);
            m_encrypt->setObjectName(QStringLiteral("encryptCheck"));
            securityLayout->addWidget(m_encrypt);
            connect(m_encrypt, &QCheckBox::clicked, this, [this](bool on) {
                m_draft.setValue(UseEncryptionForData,
                                 on ? QStringLiteral("True") : QStringLiteral("False"));
            });
        } else if (encryption) {
            m_encryption = new PropertyEditor(encryption, m_draft.isSecret(encryption->name), this);
            m_encryption->setObjectName(QStringLiteral("encryptionEditor"));
            m_encryption->placeIn(securityLayout, 1);
            connect(m_encryption, &PropertyEditor::edited, this, [this](const QString &value) {
                m_draft.setValue(UseEncryptionForData, value);
            });
            connect(m_encryption, &PropertyEditor::cleared, this,
                    [this] { m_draft.remove(UseEncryptionForData); });
        }
        if (trust) {
            m_trustCertificate = new QCheckBox(tr("T&rust the server certificate"), this);
            m_trustCertificate->setObjectName(QStringLiteral("trustServerCertificateCheck"));
            securityLayout->addWidget(m_trustCertificate);
            connect(m_trustCertificate, &QCheckBox::clicked, this, [this](bool on) {
                m_draft.setValue(TrustServerCertificate,
                                 on ? QStringLiteral("True") : QStringLiteral("False"));
            });
        }
        if (m_encryption) {
            // A row of several widgets gets no buddy from the form.
            auto *label = new QLabel(tr("&Encryption:"), server);
            label->setBuddy(m_encryption);
            serverForm->addRow(label, securityLayout);
        } else {
            securityLayout->addStretch();
            serverForm->addRow(securityLayout);
        }
    }
    // Where the server's certificate is checked: beside the encryption that needs it.
    if (draft.definition(HostNameInCertificate)) {
        m_hostNameInCertificate
            = addBoundLineEdit(QStringLiteral("hostNameInCertificateEdit"), HostNameInCertificate);
        serverForm->addRow(tr("Host na&me in certificate:"), m_hostNameInCertificate);
    }
    if (draft.definition(ServerCertificate)) {
        m_serverCertificate
            = addBoundLineEdit(QStringLiteral("serverCertificateEdit"), ServerCertificate);
        auto *browse = new QToolButton(this);
        browse->setObjectName(QStringLiteral("serverCertificateBrowseButton"));
        browse->setText(tr("..."));
        browse->setToolTip(tr("Choose the server certificate file"));
        browse->setAccessibleName(tr("Choose the server certificate file"));
        auto *row = new QHBoxLayout;
        m_serverCertificateRow = row;
        row->addWidget(m_serverCertificate);
        row->addWidget(browse);
        // A row of several widgets gets no buddy from the form.
        auto *label = new QLabel(tr("Server certificate fi&le:"), server);
        label->setBuddy(m_serverCertificate);
        serverForm->addRow(label, row);
        connect(browse, &QToolButton::clicked, this, [this] {
            const QString file
                = m_chooseFile(this, tr("Server Certificate"),
                               tr("Certificates (*.cer *.crt *.pem *.der);;All files (*)"), false);
            if (!file.isEmpty())
                m_draft.setValue(ServerCertificate, file);
        });
    }
    layout->addStretch();
}

void SqlServerPage::addMode(LogOnMode mode, const QString &label, const QString &hint)
{
    m_modes.append(std::move(mode));
    m_authentication->addItem(label);
    m_authentication->setItemData(m_authentication->count() - 1, hint, Qt::ToolTipRole);
}

qsizetype SqlServerPage::modeInEffect()
{
    const auto find = [this](LogOnMode::Kind kind, const QString &value = QString()) {
        for (qsizetype i = 0; i < m_modes.size(); ++i) {
            if (m_modes.at(i).kind == kind
                && m_modes.at(i).authentication.compare(value, Qt::CaseInsensitive) == 0)
                return i;
        }
        return qsizetype(-1);
    };
    if (m_accessToken && m_draft.value(AccessToken))
        return find(LogOnMode::AccessToken);
    const QString mode = m_draft.definition(Authentication)
        ? m_draft.value(Authentication).value_or(QString()).trimmed()
        : QString();
    if (!mode.isEmpty()) {
        if (const qsizetype known = find(LogOnMode::Authentication, mode); known >= 0)
            return known;
        // Said as written, with the fields of a log-on: the page claims nothing about it.
        addMode({LogOnMode::Authentication, mode, LogOnMode::Fields::UserAndPassword}, mode,
                tr("Authentication=%1, a mode this provider does not document").arg(mode));
        return m_modes.size() - 1;
    }
    if (!m_draft.value(IntegratedSecurity).value_or(QString()).isEmpty())
        return find(LogOnMode::Integrated);
    return find(LogOnMode::SqlLogOn);
}

void SqlServerPage::useMode(qsizetype index)
{
    if (index < 0 || index >= m_modes.size())
        return;
    const LogOnMode mode = m_modes.at(index);
    // One answer to how to log on: every other way leaves the string.
    if (mode.kind == LogOnMode::Integrated)
        m_draft.setValue(IntegratedSecurity, QStringLiteral("SSPI"));
    else
        m_draft.remove(IntegratedSecurity);
    if (m_draft.definition(Authentication)) {
        if (mode.kind == LogOnMode::Authentication)
            m_draft.setValue(Authentication, mode.authentication);
        else
            m_draft.remove(Authentication);
    }
    if (m_accessToken) {
        if (mode.kind != LogOnMode::AccessToken) {
            if (const std::optional<QString> token = m_draft.value(AccessToken))
                m_keptToken = token;
            m_draft.remove(AccessToken);
        } else if (m_keptToken && !m_draft.value(AccessToken)) {
            m_draft.setValue(AccessToken, *std::exchange(m_keptToken, std::nullopt));
        }
    }
    m_logOn->setFieldsInUse(mode.usesUser(), mode.usesPassword());
    refresh();
}

void SqlServerPage::showFieldsOf(const LogOnMode &mode)
{
    using Fields = LogOnMode::Fields;
    if (mode.fields == Fields::ApplicationAndSecret)
        m_logOn->setLabels(tr("Application (client) &ID:"), tr("&Client secret:"));
    else
        m_logOn->setLabels(tr("&User name:"), tr("&Password:"));
    m_logOn->showFields(mode.usesUser(), mode.usesPassword());
    if (m_accessToken)
        m_logOnForm->setRowVisible(m_accessToken, mode.fields == Fields::Token);
}

void SqlServerPage::refresh()
{
    ConnectionPage::refresh();
    const qsizetype mode = modeInEffect();
    m_authentication->setCurrentIndex(int(mode));
    showFieldsOf(m_modes.at(mode));

    const bool attach = m_attachFile && (m_attachChosen || m_draft.value(InitialFileName));
    m_catalog->setChecked(!attach);
    m_attach->setChecked(attach);
    if (m_attachFile) {
        m_attachFile->setEnabled(attach);
        m_attachBrowse->setEnabled(attach);
    }
    if (m_encrypt)
        m_encrypt->setChecked(
            isTrue(m_draft.value(UseEncryptionForData), *m_draft.definition(UseEncryptionForData)));
    if (m_encryption) {
        m_encryption->showValue(m_draft.value(UseEncryptionForData));
    }
    if (m_trustCertificate) {
        m_trustCertificate->setChecked(isTrue(m_draft.value(TrustServerCertificate),
                                              *m_draft.definition(TrustServerCertificate)));
    }
    if (m_serverCertificateRow) {
        // The certificate file counts only under strict encryption; a file the string names
        // stays in view, so that it can be seen and taken out.
        const QString encryption
            = m_draft.value(UseEncryptionForData)
                  .value_or(m_draft.definition(UseEncryptionForData)
                                ? m_draft.definition(UseEncryptionForData)->defaultValue
                                : QString());
        m_serverForm->setRowVisible(m_serverCertificateRow,
                                    encryption.compare(u"Strict", Qt::CaseInsensitive) == 0
                                        || m_draft.value(ServerCertificate));
    }
}

void SqlServerPage::attachFile(bool attach)
{
    m_attachChosen = attach;
    if (!attach)
        m_draft.remove(InitialFileName);
    refresh();
    // The choice names a field; the user types there next.
    if (attach)
        m_attachFile->setFocus(Qt::ShortcutFocusReason);
    else
        m_database->comboBox()->setFocus(Qt::ShortcutFocusReason);
}

} // namespace datalink
