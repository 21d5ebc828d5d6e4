#include "JournalModel.h"

#include <algorithm>
#include <vector>

JournalModel::JournalModel(Store &store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
{
    connect(&m_store, &Store::changed, this, &JournalModel::changed);
}

void JournalModel::setFilter(AppModel::JournalFilter filter)
{
    beginResetModel();
    m_filter = filter;
    m_items.clear();
    m_dates.clear();
    m_entryCount = 0;
    m_last.reset();
    m_exhausted = false;
    endResetModel();
    // The first page at once, so that the list never shows empty in between.
    fetchMore({});
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (const std::optional<QDate> heading = day(index.row())) {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return JournalRow::dayTitle(*heading, QDate::currentDate());
        return {};
    }
    const JournalRow &row = *entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.title;
    case Qt::AccessibleTextRole:
        return row.title + QLatin1String(", ") + row.detail;
    case EntryIdRole:
        return row.id;
    default:
        return {};
    }
}

Qt::ItemFlags JournalModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || day(index.row()))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QModelIndexList JournalModel::match(const QModelIndex &start, int role, const QVariant &value, int hits,
                                    Qt::MatchFlags flags) const
{
    QModelIndexList found = QAbstractListModel::match(start, role, value, -1, flags);
    found.removeIf([this](const QModelIndex &index) { return day(index.row()).has_value(); });
    if (hits >= 0 && found.size() > hits)
        found.resize(hits);
    return found;
}

bool JournalModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_exhausted;
}

void JournalModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_exhausted)
        return;
    const std::optional<JournalEntry::Status> status = m_filter == AppModel::JournalFilter::review
        ? std::optional(JournalEntry::Status::review)
        : std::nullopt;
    const QList<JournalEntry> page = m_store.journalPage(status, m_last, pageSize);
    m_exhausted = page.size() < pageSize;
    if (page.isEmpty())
        return;

    std::vector<Item> added;
    added.reserve(std::size_t(page.size()) + 8);
    std::optional<QDate> lastDay;
    if (m_entryCount > 0)
        lastDay = dayOf(std::get<JournalRow>(m_items.back()).date);
    for (const JournalEntry &entry : page) {
        const QDate entryDay = dayOf(entry.date);
        if (entryDay != lastDay)
            added.emplace_back(entryDay);
        lastDay = entryDay;
        added.emplace_back(rowFor(entry));
        m_dates.insert(entry.id, entry.date);
    }
    const int first = int(m_items.size());
    beginInsertRows({}, first, first + int(added.size()) - 1);
    m_items.insert(m_items.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    m_entryCount += int(page.size());
    endInsertRows();
    m_last = Store::JournalPosition{page.constLast().date, page.constLast().id};
}

std::optional<QDate> JournalModel::day(int row) const
{
    if (row < 0 || row >= int(m_items.size()))
        return std::nullopt;
    if (const QDate *heading = std::get_if<QDate>(&m_items[std::size_t(row)]))
        return *heading;
    return std::nullopt;
}

const JournalRow *JournalModel::entry(int row) const
{
    if (row < 0 || row >= int(m_items.size()))
        return nullptr;
    return std::get_if<JournalRow>(&m_items[std::size_t(row)]);
}

int JournalModel::rowOf(qint64 id) const
{
    const auto date = m_dates.constFind(id);
    if (date == m_dates.cend())
        return -1;
    const std::size_t row = positionOf(*date, id);
    const JournalRow *shown = row < m_items.size() ? std::get_if<JournalRow>(&m_items[row]) : nullptr;
    return shown && shown->id == id ? int(row) : -1;
}

std::size_t JournalModel::positionOf(const QDateTime &date, qint64 id) const
{
    const QDate day = dayOf(date);
    // The rows are in the store's order: a day row heads the entries of its
    // day; later days and later entries come first, and of two entries of
    // the same moment the one with the higher id.
    const auto comesFirst = [&](const Item &item) {
        if (const QDate *heading = std::get_if<QDate>(&item))
            return *heading >= day;
        const JournalRow &row = std::get<JournalRow>(item);
        return row.date > date || (row.date == date && row.id > id);
    };
    return std::size_t(std::partition_point(m_items.begin(), m_items.end(), comesFirst) - m_items.begin());
}

void JournalModel::changed(Store::Model model, qint64 id, Store::Change change)
{
    if (model != Store::Model::journalEntry)
        return;
    const std::optional<JournalEntry> stored = change == Store::Change::removed ? std::nullopt : m_store.journalEntry(id);
    const int row = rowOf(id);
    if (!stored || !accepts(*stored)) {
        removeRowOf(id);
        return;
    }
    if (row >= 0 && std::get<JournalRow>(m_items[std::size_t(row)]).date == stored->date) {
        m_items[std::size_t(row)] = rowFor(*stored);
        const QModelIndex changedIndex = index(row);
        Q_EMIT dataChanged(changedIndex, changedIndex);
        return;
    }
    removeRowOf(id);
    insertEntry(*stored);
}

bool JournalModel::accepts(const JournalEntry &entry) const
{
    return m_filter == AppModel::JournalFilter::all || entry.status() == JournalEntry::Status::review;
}

void JournalModel::insertEntry(const JournalEntry &entry)
{
    JournalRow shown = rowFor(entry);
    const QDate entryDay = dayOf(shown.date);
    // Before the first entry row that the new one comes before, or before
    // the day row of an earlier day.
    const std::size_t at = positionOf(shown.date, shown.id);
    // Older than every row read while more are to come: a later page brings it.
    if (at == m_items.size() && !m_exhausted)
        return;
    const JournalRow *previous = at > 0 ? std::get_if<JournalRow>(&m_items[at - 1]) : nullptr;
    const QDate *previousDay = at > 0 ? std::get_if<QDate>(&m_items[at - 1]) : nullptr;
    const bool headed = (previous && dayOf(previous->date) == entryDay) || (previousDay && *previousDay == entryDay);

    const int first = int(at);
    beginInsertRows({}, first, first + (headed ? 0 : 1));
    auto position = m_items.begin() + std::ptrdiff_t(at);
    if (!headed)
        position = m_items.emplace(position, entryDay) + 1;
    m_dates.insert(shown.id, shown.date);
    m_items.emplace(position, std::move(shown));
    ++m_entryCount;
    endInsertRows();
}

void JournalModel::removeRowOf(qint64 id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    // A day row goes with the last entry of its day.
    const bool headed = day(row - 1).has_value();
    const bool lastOfDay = row + 1 == int(m_items.size()) || day(row + 1).has_value();
    const int first = headed && lastOfDay ? row - 1 : row;
    beginRemoveRows({}, first, row);
    m_items.erase(m_items.begin() + first, m_items.begin() + row + 1);
    m_dates.remove(id);
    --m_entryCount;
    endRemoveRows();
}

void JournalModel::setBusy(qint64 id, bool busy)
{
    if (busy == m_busy.contains(id))
        return;
    if (busy)
        m_busy.insert(id);
    else
        m_busy.remove(id);
    const int row = rowOf(id);
    if (row < 0)
        return;
    std::get<JournalRow>(m_items[std::size_t(row)]).busy = busy;
    const QModelIndex changedIndex = index(row);
    Q_EMIT dataChanged(changedIndex, changedIndex);
}

JournalRow JournalModel::rowFor(const JournalEntry &entry) const
{
    JournalRow row = JournalRow::from(entry);
    row.busy = m_busy.contains(entry.id);
    return row;
}

QDate JournalModel::dayOf(const QDateTime &date) const
{
    const qint64 at = date.toMSecsSinceEpoch();
    if (m_knownDay.day.isValid() && at >= m_knownDay.from && at < m_knownDay.to)
        return m_knownDay.day;
    const QDate day = date.toLocalTime().date();
    m_knownDay = {day, day.startOfDay().toMSecsSinceEpoch(), day.addDays(1).startOfDay().toMSecsSinceEpoch()};
    return day;
}
