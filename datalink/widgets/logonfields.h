#pragma once

#include <QObject>

#include <optional>

class QCheckBox;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace datalink {

class DataLinkDraft;

// User name and password, with "Blank password" (an empty password that is written) kept apart
// from a password that is simply not saved, and "Allow saving password" bound to
// Persist Security Info. The controls are laid out by layout(), not held in a widget of their
// own: placed in a group, they are the group's own children, which is how a screen reader learns
// the group's caption.
class LogOnFields final : public QObject
{
    Q_OBJECT

public:
    // The controls are parent's until layout() is placed in a layout of another widget.
    LogOnFields(DataLinkDraft &draft, QWidget *parent);

    QFormLayout *layout() const { return m_layout; }
    void setEnabled(bool enabled);

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
    QHBoxLayout *m_checks;
    QFormLayout *m_layout;
    bool m_showsPassword = true;
    bool m_enabled = true;
};

} // namespace datalink
