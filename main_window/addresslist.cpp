#include "addresslist.h"

void AddressList::append(QList<addressbook::Entry> entries)
{
    if (entries.isEmpty())
        return;
    const int first = int(m_entries.size());
    beginInsertRows({}, first, first + int(entries.size()) - 1);
    m_entries.append(std::move(entries));
    endInsertRows();
}

int AddressList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant AddressList::data(const QModelIndex& index, int role) const
{
    // The combo box asks for the invalid index whenever no entry is picked.
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const addressbook::Entry& entry = m_entries.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return entry.text;
    if (role == Qt::UserRole && !entry.bytes.isNull())
        return entry.bytes;
    return {};
}

bool AddressList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return false;
    addressbook::Entry& entry = m_entries[index.row()];
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        // New text: bytes read for the old one no longer stand for it.
        entry = { value.toString(), {} };
    } else if (role == Qt::UserRole) {
        entry.bytes = value.toByteArray();
    } else {
        return false;
    }
    emit dataChanged(index, index, { role });
    return true;
}

bool AddressList::insertRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || count <= 0 || row < 0 || row > m_entries.size())
        return false;
    beginInsertRows({}, row, row + count - 1);
    m_entries.insert(row, count, addressbook::Entry {});
    endInsertRows();
    return true;
}

bool AddressList::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || count <= 0 || row < 0 || row + count > m_entries.size())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_entries.remove(row, count);
    endRemoveRows();
    return true;
}
