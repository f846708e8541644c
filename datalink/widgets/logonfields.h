#pragma once

#include <QWidget>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace datalink {

class DataLinkDraft;

// User name and password, with "Blank password" (an empty password that is written) kept apart
// from a password that is simply not saved, and "Allow saving password" bound to
// Persist Security Info.
class LogOnFields final : public QWidget
{
    Q_OBJECT

public:
    explicit LogOnFields(DataLinkDraft &draft, QWidget *parent = nullptr);

    void refresh();
    // A way of logging on that uses only some of the fields takes over: what was typed in the
    // others leaves the string, and comes back when they are in use again.
    void setFieldsInUse(bool user, bool password);
    // Shows only the fields in use, for a string read as it stands: nothing leaves it.
    void showFields(bool user, bool password);
    // What the way of logging on calls the two values (an application's ID and secret are
    // typed where a user name and password are).
    void setLabels(const QString &user, const QString &password);

private:
    DataLinkDraft &m_draft;
    QLineEdit *m_userName;
    QLineEdit *m_password;
    QCheckBox *m_blankPassword;
    QCheckBox *m_allowSaving;
    QLabel *m_plainTextNote;
    // What was typed before another way of logging on took over.
    std::optional<QString> m_keptUser;
    std::optional<QString> m_keptPassword;
    QLabel *m_heldNote;
    QLabel *m_userLabel;
    QLabel *m_passwordLabel;
    QWidget *m_checks;
    bool m_showsPassword = true;
};

} // namespace datalink
