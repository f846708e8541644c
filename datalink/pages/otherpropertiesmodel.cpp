#include "datalink/pages/otherpropertiesmodel.h"

#include "oledb/datalinkdraft.h"
#include "oledb/secrets.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QSet>
#include <QStyle>

namespace datalink {

OtherPropertiesModel::OtherPropertiesModel(DataLinkDraft &draft, QObject *parent)
    : QAbstractTableModel(parent)
    , m_draft(draft)
{
    connect(&m_draft, &DataLinkDraft::shapeChanged, this, &OtherPropertiesModel::sync);
    connect(&m_draft, &DataLinkDraft::propertyChanged, this, &OtherPropertiesModel::refreshRow);
    reset();
}

int OtherPropertiesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

int OtherPropertiesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OtherPropertiesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const QString &name = m_names.at(index.row());
    switch (index.column()) {
    case NameColumn:
        if (role == Qt::DisplayRole)
            return name;
        if (role == Qt::FontRole) {
            // Bold says "in the string", as on the rows above.
            QFont font;
            font.setBold(m_draft.isInString(name));
            return font;
        }
        break;
    case ValueColumn: {
        const QString value = m_draft.value(name).value_or(QString());
        if (role == Qt::EditRole)
            return value;
        if (role == Qt::DisplayRole) {
            return m_draft.revealsSecrets() && !m_draft.isSecret(name)
                ? value
                : oledb::maskValue(name, value, m_draft.catalogue());
        }
        if (role == Qt::ToolTipRole && m_draft.isHeldOut(name)) {
            return tr("Not in the connection string: saving passwords is off. Tick \u201cAllow "
                      "saving password\u201d to include it.");
        }
        break;
    }
    case RemoveColumn:
        if (role == Qt::DecorationRole) {
            static const QIcon discard
                = QApplication::style()->standardIcon(QStyle::SP_DialogDiscardButton);
            return discard;
        }
        if (role == Qt::ToolTipRole)
            return tr("Remove %1 from the connection string").arg(name);
        break;
    default:
        break;
    }
    return {};
}

QVariant OtherPropertiesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return tr("Name");
    case ValueColumn:
        return tr("Value");
    default:
        return QString();
    }
}

Qt::ItemFlags OtherPropertiesModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == ValueColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool OtherPropertiesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != ValueColumn || role != Qt::EditRole)
        return false;
    // Emptying a value keeps the property, empty; only its remove cell takes it out.
    m_draft.setValue(m_names.at(index.row()), value.toString());
    return true;
}

int OtherPropertiesModel::rowOf(QStringView name) const
{
    return m_rows.value(m_draft.propertyKey(name), -1);
}

void OtherPropertiesModel::activate(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QString name = m_names.at(index.row());
    if (index.column() == RemoveColumn)
        m_draft.remove(name);
}

void OtherPropertiesModel::sync()
{
    QSet<QString> present;
    QStringList added;
    for (const oledb::KeywordValue &pair : m_draft.properties()) {
        if (m_draft.definition(pair.keyword))
            continue;
        const QString key = m_draft.propertyKey(pair.keyword);
        present.insert(key);
        if (!m_rows.contains(key))
            added.append(pair.keyword);
    }
    // From the end, so that the rows before keep their numbers while they go.
    for (int row = int(m_names.size()) - 1; row >= 0; --row) {
        const QString &name = m_names.at(row);
        // A password typed into a property the string no longer carries keeps its row.
        if (present.contains(m_draft.propertyKey(name)) || m_draft.value(name))
            continue;
        beginRemoveRows({}, row, row);
        m_names.removeAt(row);
        endRemoveRows();
    }
    if (m_rows.size() != m_names.size()) {
        m_rows.clear();
        for (int row = 0; row < m_names.size(); ++row)
            m_rows.insert(m_draft.propertyKey(m_names.at(row)), row);
    }
    if (added.isEmpty())
        return;
    beginInsertRows({}, int(m_names.size()), int(m_names.size() + added.size() - 1));
    for (const QString &name : std::as_const(added)) {
        m_rows.insert(m_draft.propertyKey(name), int(m_names.size()));
        m_names.append(name);
    }
    endInsertRows();
}

void OtherPropertiesModel::reset()
{
    beginResetModel();
    m_names.clear();
    m_rows.clear();
    for (const oledb::KeywordValue &pair : m_draft.properties()) {
        if (m_draft.definition(pair.keyword))
            continue;
        m_rows.insert(m_draft.propertyKey(pair.keyword), int(m_names.size()));
        m_names.append(pair.keyword);
    }
    endResetModel();
}

void OtherPropertiesModel::refreshAll()
{
    if (!m_names.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_names.size()) - 1, ColumnCount - 1));
}

void OtherPropertiesModel::refreshRow(const QString &name)
{
    const int row = rowOf(name);
    if (row >= 0)
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

} // namespace datalink
