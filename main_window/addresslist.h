#pragma once

#include "addressbook.h"

#include <QAbstractListModel>

// The combo box's list: the address book's entries in order, with Qt::UserRole holding the
// bytes an entry was read from where the system encoding cannot give them back. A
// QStandardItemModel makes an object per entry, which at 32,767 entries took most of the
// start-up; this keeps one list and takes a whole book at once.
class AddressList : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void append(QList<addressbook::Entry> entries);
    const QList<addressbook::Entry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

private:
    QList<addressbook::Entry> m_entries;
};
