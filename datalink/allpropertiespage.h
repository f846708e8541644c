#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QGridLayout;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;

namespace datalink {

class DataLinkDraft;
class PropertyEditor;

// Every property of the provider and every property the string brought that the provider does
// not declare, each editable in place; the provider's can be reset to their defaults, the others
// removed, and new ones added by name.
class AllPropertiesPage final : public QWidget
{
    Q_OBJECT

public:
    explicit AllPropertiesPage(DataLinkDraft &draft, QWidget *parent = nullptr);

    void refresh();
    // nullptr when no row shows that property.
    PropertyEditor *editorFor(QStringView name) const;

private:
    struct Row
    {
        QString name;
        QLabel *label;
        PropertyEditor *editor;
        QToolButton *action;
    };

    QStringList customNames() const;
    void rebuildRows();
    void addRow(QGridLayout *grid, int row, const QString &name, bool custom);
    void addProperty();

    DataLinkDraft &m_draft;
    QScrollArea *m_scroll;
    QLineEdit *m_newName;
    QLineEdit *m_newValue;
    QLabel *m_addMessage;
    QList<Row> m_rows;
    // What the rows were built for; they are rebuilt only when it changes, so a row is never
    // replaced while the user is typing in it.
    QString m_builtFor;
};

} // namespace datalink
