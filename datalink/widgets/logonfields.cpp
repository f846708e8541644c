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
    : QObject(parent)
    , m_draft(draft)
    , m_userName(new QLineEdit(parent))
    , m_password(new QLineEdit(parent))
    , m_blankPassword(new QCheckBox(tr("&Blank password"), parent))
    , m_allowSaving(new QCheckBox(tr("Allow &saving password"), parent))
    , m_plainTextNote(new QLabel(parent))
    , m_heldNote(new QLabel(parent))
    , m_userLabel(new QLabel(tr("&User name:"), parent))
    , m_passwordLabel(new QLabel(tr("&Password:"), parent))
    , m_checks(new QHBoxLayout)
    , m_layout(new QFormLayout)
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

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_userLabel->setBuddy(m_userName);
    m_passwordLabel->setBuddy(m_password);
    m_layout->addRow(m_userLabel, m_userName);
    m_layout->addRow(m_passwordLabel, m_password);
    m_checks->addWidget(m_blankPassword);
    m_checks->addWidget(m_allowSaving);
    m_checks->addStretch();
    m_layout->addRow(QString(), m_checks);
    m_layout->addRow(m_plainTextNote);
    m_layout->addRow(m_heldNote);

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

namespace {

// Out of the string and kept, or back in it.
void holdOrRestore(DataLinkDraft &draft, const QString &property, bool inUse,
                   std::optional<QString> &kept)
{
    if (!inUse) {
        if (const std::optional<QString> value = draft.value(property))
            kept = value;
        draft.remove(property);
        return;
    }
    if (kept && !draft.value(property))
        draft.setValue(property, *kept);
    kept.reset();
}

} // namespace

void LogOnFields::setFieldsInUse(bool user, bool password)
{
    holdOrRestore(m_draft, UserId, user, m_keptUser);
    holdOrRestore(m_draft, Password, password, m_keptPassword);
    showFields(user, password);
}

void LogOnFields::showFields(bool user, bool password)
{
    m_layout->setRowVisible(m_userName, user);
    m_layout->setRowVisible(m_password, password);
    // A row that is a layout keeps its widgets shown unless they are hidden themselves.
    m_layout->setRowVisible(m_checks, password);
    m_blankPassword->setVisible(password);
    m_allowSaving->setVisible(password);
    m_showsPassword = password;
    refresh();
}

void LogOnFields::setLabels(const QString &user, const QString &password)
{
    m_userLabel->setText(user);
    m_passwordLabel->setText(password);
    // A screen reader says what the label says.
    for (auto [label, field] : {std::pair {m_userLabel, static_cast<QWidget *>(m_userName)},
                                std::pair {m_passwordLabel, static_cast<QWidget *>(m_password)}}) {
        QString spoken = label->text().remove(u'&');
        if (spoken.endsWith(u':'))
            spoken.chop(1);
        field->setAccessibleName(spoken);
    }
}

void LogOnFields::setEnabled(bool enabled)
{
    m_enabled = enabled;
    for (QWidget *widget :
         std::initializer_list<QWidget *> {m_userLabel, m_userName, m_passwordLabel, m_allowSaving,
                                           m_blankPassword, m_plainTextNote, m_heldNote})
        widget->setEnabled(enabled);
    refresh();
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
    m_password->setEnabled(m_enabled && !blank);
    m_blankPassword->setChecked(blank);
    const bool saves = m_draft.savesPasswords();
    m_allowSaving->setChecked(saves);
    m_plainTextNote->setVisible(m_showsPassword && saves && password && !password->isEmpty());
    m_heldNote->setVisible(m_showsPassword && m_draft.isHeldOut(Password));
}

} // namespace datalink
