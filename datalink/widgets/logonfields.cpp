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
    , m_userLabel(new QLabel(tr("&User name:"), this))
    , m_passwordLabel(new QLabel(tr("&Password:"), this))
    , m_checks(new QWidget(this))
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
    m_userLabel->setBuddy(m_userName);
    m_passwordLabel->setBuddy(m_password);
    layout->addRow(m_userLabel, m_userName);
    layout->addRow(m_passwordLabel, m_password);
    auto *checks = new QHBoxLayout(m_checks);
    checks->setContentsMargins(0, 0, 0, 0);
    m_blankPassword->setParent(m_checks);
    m_allowSaving->setParent(m_checks);
    checks->addWidget(m_blankPassword);
    checks->addWidget(m_allowSaving);
    checks->addStretch();
    layout->addRow(QString(), m_checks);
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
    auto *layout = static_cast<QFormLayout *>(this->layout());
    layout->setRowVisible(m_userName, user);
    layout->setRowVisible(m_password, password);
    layout->setRowVisible(m_checks, password);
    m_showsPassword = password;
    setFocusProxy(user ? m_userName : m_password);
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
    m_plainTextNote->setVisible(m_showsPassword && saves && password && !password->isEmpty());
    m_heldNote->setVisible(m_showsPassword && m_draft.isHeldOut(Password));
}

} // namespace datalink
