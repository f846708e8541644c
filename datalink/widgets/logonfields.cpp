#include "datalink/widgets/logonfields.h"

#include "oledb/datalinkdraft.h"
#include "oledb/propertynames.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace datalink {

using namespace oledb::property;

LogOnFields::LogOnFields(DataLinkDraft &draft, QWidget *parent)
    : QWidget(parent)
    , m_draft(draft)
    , m_userName(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_blankPassword(new QCheckBox(tr("&Blank password"), this))
    , m_allowSaving(new QCheckBox(tr("Allow &saving password"), this))
    , m_plainTextNote(new QLabel(this))
    , m_heldNote(new QLabel(this))
{
    m_userName->setObjectName(QStringLiteral("userNameEdit"));
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_blankPassword->setObjectName(QStringLiteral("blankPasswordCheck"));
    m_allowSaving->setObjectName(QStringLiteral("allowSavingPasswordCheck"));
    m_plainTextNote->setObjectName(QStringLiteral("plainTextNote"));
    m_plainTextNote->setWordWrap(true);
    m_plainTextNote->setText(
        tr("Saved as plain text: whoever reads the string reads the password."));
    m_heldNote->setObjectName(QStringLiteral("passwordHeldOutNote"));
    m_heldNote->setWordWrap(true);
    m_heldNote->setText(tr("The password is not in the connection string. Tick Allow saving "
                           "password to include it."));
    if (const oledb::PropertyDefinition *user = draft.definition(UserId))
        m_userName->setPlaceholderText(user->defaultValue);

    // Focus given to the fields, as when the user picks this way of logging on, goes where the
    // user types first.
    setFocusProxy(m_userName);

    auto *layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(tr("&User name:"), m_userName);
    layout->addRow(tr("&Password:"), m_password);
    auto *checks = new QHBoxLayout;
    checks->addWidget(m_blankPassword);
    checks->addWidget(m_allowSaving);
    checks->addStretch();
    layout->addRow(QString(), checks);
    layout->addRow(m_plainTextNote);
    layout->addRow(m_heldNote);

    connect(m_userName, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.isEmpty())
            m_draft.remove(UserId);
        else
            m_draft.setValue(UserId, text);
    });
    connect(m_password, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.isEmpty())
            m_draft.remove(Password);
        else
            m_draft.setValue(Password, text);
    });
    connect(m_blankPassword, &QCheckBox::clicked, this, [this](bool blank) {
        if (blank)
            m_draft.setValue(Password, QString());
        else
            m_draft.remove(Password);
    });
    connect(m_allowSaving, &QCheckBox::clicked, this,
            [this](bool save) { m_draft.setSavesPasswords(save); });
}

void LogOnFields::setInUse(bool inUse)
{
    if (!inUse) {
        if (m_draft.value(UserId) || m_draft.value(Password)) {
            m_keptUser = m_draft.value(UserId);
            m_keptPassword = m_draft.value(Password);
        }
        m_draft.remove(UserId);
        m_draft.remove(Password);
    } else {
        if (m_keptUser && !m_draft.value(UserId))
            m_draft.setValue(UserId, *m_keptUser);
        if (m_keptPassword && !m_draft.value(Password))
            m_draft.setValue(Password, *m_keptPassword);
        m_keptUser.reset();
        m_keptPassword.reset();
    }
    setEnabled(inUse);
}

void LogOnFields::refresh()
{
    const QString user = m_draft.value(UserId).value_or(QString());
    if (m_userName->text() != user)
        m_userName->setText(user);
    const std::optional<QString> password = m_draft.value(Password);
    const bool blank = password && password->isEmpty();
    if (m_password->text() != password.value_or(QString()))
        m_password->setText(password.value_or(QString()));
    m_password->setEnabled(!blank);
    m_blankPassword->setChecked(blank);
    const bool saves = m_draft.savesPasswords();
    m_allowSaving->setChecked(saves);
    m_plainTextNote->setVisible(saves && password && !password->isEmpty());
    m_heldNote->setVisible(m_draft.isHeldOut(Password));
}

} // namespace datalink
