#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

namespace datalink {

class DataLinkDraft;

// The properties a string carries that its provider does not declare, as rows of a table: a
// view draws only the rows in sight, so a string with thousands of them opens as fast as one
// with a few. Values are edited in place; the last column removes a property.
class OtherPropertiesModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, ValueColumn, RemoveColumn, ColumnCount };

    explicit OtherPropertiesModel(DataLinkDraft &draft, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    QString nameAt(int row) const { return m_names.at(row); }
    // -1 for a name no row shows; any spelling of the keyword finds it.
    int rowOf(QStringView name) const;
    // The click on a row's remove cell.
    void activate(const QModelIndex &index);

    // Rows for properties that came, none for those that went; rows already there stay.
    void sync();
    // The draft's provider changed: which keywords are declared may have too.
    void reset();
    // Every row drawn again, as after "Show password" changes.
    void refreshAll();

private:
    void refreshRow(const QString &name);

    DataLinkDraft &m_draft;
    QStringList m_names;
    QHash<QString, int> m_rows;
};

} // namespace datalink
