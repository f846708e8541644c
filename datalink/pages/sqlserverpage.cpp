#include "datalink/pages/sqlserverpage.h"

#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/logonfields.h"
#include "datalink/widgets/lookupfield.h"
#include "datalink/widgets/propertyeditor.h"
#include "oledb/datalinkdraft.h"
#include "oledb/propertydefinition.h"
#include "oledb/propertynames.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

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
    , m_integrated(new QRadioButton(tr("Use Windows NT &Integrated security"), this))
    , m_specificUser(new QRadioButton(tr("Use a specific user &name and password"), this))
    , m_logOn(new LogOnFields(draft, this))
    , m_catalog(new QRadioButton(tr("Select the &database on the server:"), this))
    , m_attach(new QRadioButton(tr("&Attach a database file as a database name:"), this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *server = new QGroupBox(tr("1. Server"), this);
    auto *serverForm = new QFormLayout(server);
    LookupField *serverName = addServerField(QStringLiteral("dataSourceEdit"), DataSource);
    serverName->comboBox()->lineEdit()->setPlaceholderText(tr("(local)"));
    serverForm->addRow(tr("Ser&ver name:"), serverName);
    layout->addWidget(server);

    auto *logOn = new QGroupBox(tr("2. Log on to the server"), this);
    auto *logOnLayout = new QVBoxLayout(logOn);
    m_integrated->setObjectName(QStringLiteral("integratedSecurityRadio"));
    m_specificUser->setObjectName(QStringLiteral("specificUserRadio"));
    logOnLayout->addWidget(m_integrated);
    logOnLayout->addWidget(m_specificUser);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(m_logOn);
    logOnLayout->addLayout(indented);
    layout->addWidget(logOn);
    connect(m_integrated, &QRadioButton::clicked, this, [this] { useIntegratedSecurity(true); });
    connect(m_specificUser, &QRadioButton::clicked, this, [this] {
        useIntegratedSecurity(false);
        m_logOn->setFocus(Qt::ShortcutFocusReason);
    });

    auto *database = new QGroupBox(tr("3. Database"), this);
    auto *databaseLayout = new QGridLayout(database);
    m_catalog->setObjectName(QStringLiteral("catalogRadio"));
    m_attach->setObjectName(QStringLiteral("attachFileRadio"));
    databaseLayout->addWidget(m_catalog, 0, 0, 1, 2);
    m_database = addDatabaseField(QStringLiteral("initialCatalogEdit"), InitialCatalog);
    nameControl(m_database->comboBox(), tr("Database on the server"));
    databaseLayout->addWidget(m_database, 1, 1);
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
            securityLayout->addWidget(m_encryption, 1);
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
    layout->addStretch();
}

void SqlServerPage::refresh()
{
    ConnectionPage::refresh();
    const bool integrated = !m_draft.value(IntegratedSecurity).value_or(QString()).isEmpty();
    m_integrated->setChecked(integrated);
    m_specificUser->setChecked(!integrated);
    m_logOn->refresh();
    m_logOn->setEnabled(!integrated);

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
}

void SqlServerPage::useIntegratedSecurity(bool integrated)
{
    if (integrated)
        m_draft.setValue(IntegratedSecurity, QStringLiteral("SSPI"));
    else
        m_draft.remove(IntegratedSecurity);
    m_logOn->setInUse(!integrated);
    refresh();
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
        m_database->setFocus(Qt::ShortcutFocusReason);
}

} // namespace datalink
