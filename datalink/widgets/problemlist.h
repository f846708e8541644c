#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QPushButton;
class QScrollArea;

namespace datalink {

class DataLinkDraft;

// What in the string will not do what it says: per problem the pair and where it stands, what
// happens and why, where the provider documents it, and a button for the fix where one is safe.
// Hidden while there are none.
class ProblemList final : public QGroupBox
{
    Q_OBJECT

public:
    explicit ProblemList(DataLinkDraft &draft, QWidget *parent = nullptr);

    // Entries are made again only when the problems changed, so typing elsewhere leaves the
    // buttons alone. True when they were, and the dialog's tab order is out of date.
    bool refresh();

Q_SIGNALS:
    // After the edit and the new entries; the button clicked is gone.
    void fixApplied();

private:
    DataLinkDraft &m_draft;
    QScrollArea *m_scroll;
    QStringList m_signature;
    // The fix buttons, in the entries' order, for the focus to stay in place after a fix.
    QList<QPushButton *> m_buttons;
    qsizetype m_refocus = -1;
};

} // namespace datalink
