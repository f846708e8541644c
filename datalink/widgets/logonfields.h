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
    // Another way of logging on takes over: what was typed leaves the string, and comes back
    // when the fields are in use again.
    void setInUse(bool inUse);

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
};

} // namespace datalink
