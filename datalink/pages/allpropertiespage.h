#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QGridLayout;
class QLabel;
class QLineEdit;
class QScrollArea;
class QTableView;
class QToolButton;

namespace datalink {

class DataLinkDraft;
class OtherPropertiesModel;
class PropertyEditor;

// Every property of the provider and every property the string brought that the provider does
// not declare, each editable in place; the provider's can be reset to their defaults, the others
// removed, and new ones added by name.
class AllPropertiesPage final : public QWidget
{
    Q_OBJECT

public:
    explicit AllPropertiesPage(DataLinkDraft &draft, QWidget *parent = nullptr);

    // Every row from the draft; the page keeps itself up to date one row at a time otherwise.
    void refresh();
    // For the provider's own properties; nullptr for others. Any name of the property finds it.
    PropertyEditor *editorFor(QStringView name) const;
    // The properties the provider does not declare, however many.
    QTableView *otherProperties() const;

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row
    {
        QString name;
        QLabel *label = nullptr;
        PropertyEditor *editor = nullptr;
        QToolButton *action = nullptr;
        // Says that a value typed is not in the string; only for the log-on password.
        QLabel *heldNote = nullptr;
        int gridRow = 0;
    };

    void rebuildRows();
    void addRow(const QString &name);
    bool matchesFilter(const QString &name) const;
    void applyFilter();
    void describe(QWidget *focused);
    // The whole text where a field or cell shows only part of it; false where nothing is cut.
    bool showCutText(QWidget *field, const QPoint &at);
    void refreshRow(Row &row);
    void addProperty();
    void fitOtherProperties();

    DataLinkDraft &m_draft;
    QLineEdit *m_filter;
    QScrollArea *m_scroll;
    // What the property in focus does, in the catalogue's words.
    QLabel *m_description;
    OtherPropertiesModel *m_model;
    QTableView *m_others;
    QLabel *m_othersCaption = nullptr;
    QGridLayout *m_grid = nullptr;
    int m_nextGridRow = 0;
    QLineEdit *m_newName;
    QLineEdit *m_newValue;
    QLabel *m_addMessage;
    // The provider's own properties, by the draft's property key.
    QHash<QString, Row> m_rows;
    // The provider the rows were built for (DataLinkDraft::pagesKey).
    QString m_builtFor;
};

} // namespace datalink
