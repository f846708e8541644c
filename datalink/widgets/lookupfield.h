#pragma once

#include "drivers/discovery/lookuprunner.h"

#include <QComboBox>
#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>

class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace datalink {

class DataLinkDraft;

// A drop-down whose list opens by asking it (the combo box calls back instead of opening an
// empty list).
class LookupComboBox final : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override;
    // Opens the list as it is, without asking for a search.
    void showListedPopup() { QComboBox::showPopup(); }

Q_SIGNALS:
    void popupRequested();
};

// A text field for one property with a list of names found on demand beside it: opening the
// list or pressing Refresh searches in the background, the dialog stays usable meanwhile, the
// search can be stopped, what the user typed stays, and a failure shows in one line under the
// field. Nothing is searched for before the user asks.
// Its controls are laid out by layout(), not held in a widget of their own: placed in a group,
// they are the group's own children, which is how a screen reader learns the group's caption.
class LookupField final : public QObject
{
    Q_OBJECT

public:
    struct Search
    {
        // What the results depend on: opening the list again with the same key shows the last
        // results instead of searching again.
        QString key;
        drivers::LookupRunner::Job job;
        std::chrono::milliseconds limit {0};
        QString progress;
    };
    // Called on opening the list (refresh false) and on Refresh (true); no search means that
    // nothing is to be sent for this request.
    using Planner = std::function<std::optional<Search>(bool refresh)>;

    // Takes over the bound line edit, which keeps its name, binding and text. The controls are
    // parent's until layout() is placed in a layout of another widget.
    LookupField(DataLinkDraft &draft, QLineEdit *edit, const QString &property, Planner planner,
                const QString &refreshText, QWidget *parent);

    // The field and its button in a row, the status line under them.
    QLayout *layout() const;

    LookupComboBox *comboBox() const { return m_combo; }
    QPushButton *refreshButton() const { return m_refresh; }
    QLabel *statusLabel() const { return m_status; }
    bool isSearching() const { return m_runner->isRunning(); }

    // What a screen reader calls the button while it would search and while it would stop; a
    // second field's "Refresh" must not sound like the first's.
    void setRefreshNames(const QString &refresh, const QString &stop);

    void search(bool refresh);
    void stop();

private:
    void showResult(const drivers::LookupResult &result);
    void setSearching(bool searching);
    void setStatus(const QString &text);

    DataLinkDraft &m_draft;
    QString m_property;
    Planner m_planner;
    QString m_refreshText;
    QString m_refreshName;
    QString m_stopName;
    LookupComboBox *m_combo;
    QVBoxLayout *m_layout;
    QPushButton *m_refresh;
    QLabel *m_status;
    drivers::LookupRunner *m_runner;
    QString m_runningKey;
    QString m_listedKey;
    bool m_openWhenFound = false;
};

} // namespace datalink
