// The journal as a flat list for the journal page: a day row heads the
// entries of each local calendar day, newest day and newest entry first.
// Entries are read from the store a page at a time as the view scrolls
// (canFetchMore/fetchMore), and each change the store reports is applied to
// the rows already read, so a journal of any length opens and follows at once.
#pragma once

#include "AppModel.h"
#include "JournalRow.h"
#include "Store.h"

#include <QAbstractListModel>
#include <QDate>
#include <QHash>
#include <QSet>

#include <optional>
#include <variant>
#include <deque>

class JournalModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int pageSize = 100;
    enum Role { EntryIdRole = Qt::UserRole + 1 };

    explicit JournalModel(Store &store, QObject *parent = nullptr);

    AppModel::JournalFilter filter() const { return m_filter; }
    // Reads the journal again from the top under the filter.
    void setFilter(AppModel::JournalFilter filter);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Finds entries only: a day row heads its entries and is no row to go
    // to when the user types the start of a name.
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits,
                          Qt::MatchFlags flags) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // A day row's day, or none for an entry row.
    std::optional<QDate> day(int row) const;
    // An entry row's entry, or null for a day row or a row out of range.
    const JournalRow *entry(int row) const;
    // The row that shows the entry stored under id, or -1. Found by halving,
    // so that following a store that changes quickly costs the same however
    // many rows were read.
    int rowOf(qint64 id) const;
    // Entries read so far; rows include the day rows.
    int entryCount() const { return m_entryCount; }
    // Marks the entry's row busy while a decision on it is under way.
    void setBusy(qint64 id, bool busy);
    bool isBusy(qint64 id) const { return m_busy.contains(id); }

private:
    using Item = std::variant<QDate, JournalRow>;

    void changed(Store::Model model, qint64 id, Store::Change change);
    bool accepts(const JournalEntry &entry) const;
    void insertEntry(const JournalEntry &entry);
    void removeRowOf(qint64 id);
    JournalRow rowFor(const JournalEntry &entry) const;
    // The first row that an entry of that date and id comes before: an
    // entry row after it, or the day row of an earlier day; the row count
    // when none does.
    std::size_t positionOf(const QDateTime &date, qint64 id) const;
    // The local calendar day of a moment.
    QDate dayOf(const QDateTime &date) const;

    Store &m_store;
    AppModel::JournalFilter m_filter = AppModel::JournalFilter::all;
    // A deque: reading on never moves the rows already read.
    std::deque<Item> m_items;
    // The date of each entry read, by id: where its row lies.
    QHash<qint64, QDateTime> m_dates;
    int m_entryCount = 0;
    std::optional<Store::JournalPosition> m_last;
    bool m_exhausted = false;
    QSet<qint64> m_busy;
    // The last day found, with its bounds in milliseconds since the epoch:
    // entries come in date order, so most need no time zone conversion,
    // which costs more than the rest of reading a row.
    struct KnownDay
    {
        QDate day;
        qint64 from = 0;
        qint64 to = 0;
    };
    mutable KnownDay m_knownDay;
};
