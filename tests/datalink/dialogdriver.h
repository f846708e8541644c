#pragma once

#include "datalink/datalinkdialog.h"
#include "datalink/widgets/propertyeditor.h"
#include "drivers/discovery/odbcdatasources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace testing {

// Plays the user on a Data Link dialog through the object names of its widgets.
class DialogDriver
{
public:
    explicit DialogDriver(datalink::DataLinkDialog &dialog)
        : m_dialog(dialog)
    { }

    template<typename Widget> Widget *find(QAnyStringView name) const
    {
        return m_dialog.findChild<Widget *>(name.toString());
    }

    // Picks by ProgID; a ProgID the list does not show goes through the "other" entry.
    bool chooseProvider(QAnyStringView progId)
    {
        auto *list = find<QListWidget>(QStringLiteral("providerList"));
        if (!list)
            return false;
        const QString wanted = progId.toString();
        QListWidgetItem *chosen = list->item(list->count() - 1);
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->data(Qt::UserRole).toString() == wanted)
                chosen = list->item(i);
        }
        list->setCurrentItem(chosen);
        Q_EMIT list->itemClicked(chosen);
        if (chosen->data(Qt::UserRole).toString().isEmpty())
            return type("otherProgIdEdit", wanted);
        return true;
    }

    // Replaces the field's text the way typing does, so only user edits are reported.
    bool type(QAnyStringView name, QAnyStringView text)
    {
        QLineEdit *edit = lineEditOf(name);
        if (!edit)
            return false;
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text.toString());
        return true;
    }

    bool click(QAnyStringView name)
    {
        auto *button = find<QAbstractButton>(name);
        if (!button || !button->isEnabled())
            return false;
        button->click();
        return true;
    }

    bool pick(QAnyStringView name, int index)
    {
        QComboBox *combo = find<QComboBox>(name);
        if (auto *editor = find<datalink::PropertyEditor>(name))
            combo = editor->comboBox();
        if (!combo)
            return false;
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
        return true;
    }

    // Toggles one flag of a flag-set editor.
    bool tick(QAnyStringView name, QAnyStringView flag)
    {
        auto *editor = find<datalink::PropertyEditor>(name);
        if (!editor || !editor->flagList())
            return false;
        const auto items = editor->flagList()->findItems(flag.toString(), Qt::MatchFixedString);
        if (items.size() != 1)
            return false;
        QListWidgetItem *item = items.first();
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        return true;
    }

    QString shownString() const
    {
        auto *view = m_dialog.findChild<QWidget *>(QStringLiteral("connectionStringView"));
        return view ? view->property("plainText").toString() : QString();
    }

private:
    QLineEdit *lineEditOf(QAnyStringView name) const
    {
        QWidget *widget = find<QWidget>(name);
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            return edit;
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            return combo->lineEdit();
        if (auto *editor = qobject_cast<datalink::PropertyEditor *>(widget))
            return editor->lineEdit() ? editor->lineEdit() : editor->comboBox()->lineEdit();
        return nullptr;
    }

    datalink::DataLinkDialog &m_dialog;
};

// Data sources named by the test, the user's first and the system's after them, and the
// drivers Debian registers.
class FixedDataSources final : public drivers::IOdbcDataSources
{
public:
    explicit FixedDataSources(QStringList user = {}, QStringList system = {})
        : m_user(std::move(user))
        , m_system(std::move(system))
    { }
    QList<drivers::odbc::DataSource> dataSources() override
    {
        using Scope = drivers::odbc::DataSource::Scope;
        QList<drivers::odbc::DataSource> sources;
        for (const QString &name : std::as_const(m_user))
            sources.append({name, Scope::User, QStringLiteral("/home/me/.odbc.ini")});
        for (const QString &name : std::as_const(m_system))
            sources.append({name, Scope::System, QStringLiteral("/etc/odbc.ini")});
        return sources;
    }
    QList<drivers::odbc::Driver> drivers() override
    {
        return {{QStringLiteral("PostgreSQL Unicode"), QStringLiteral("psqlodbcw.so")},
                {QStringLiteral("FreeTDS"), QStringLiteral("libtdsodbc.so")},
                {QStringLiteral("SQLite3"), QStringLiteral("libsqlite3odbc.so")},
                {QStringLiteral("Acme ODBC"), QStringLiteral("/opt/acme/libacmeodbc.so")}};
    }

private:
    QStringList m_user;
    QStringList m_system;
};

} // namespace testing
