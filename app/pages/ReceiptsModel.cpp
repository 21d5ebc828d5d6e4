#include "ReceiptsModel.h"

#include "AppModel.h"
#include "DateText.h"
#include "EditableText.h"
#include "FileNameText.h"
#include "Labels.h"
#include "NameTemplate.h"
#include "PatternReader.h"
#include "Prefs.h"
#include "Roles.h"
#include "Symbols.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QSet>

#include <algorithm>
#include <QPalette>

namespace {

// The pencil beside a name the user corrected, in the secondary colour;
// drawn again only when that colour changes.
QIcon editedMark()
{
    static QRgb drawnIn = 0;
    static QIcon mark;
    const QColor colour = Roles::secondary(QPalette());
    if (mark.isNull() || colour.rgba() != drawnIn) {
        drawnIn = colour.rgba();
        const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        mark = QIcon(Symbols::tinted(QStringLiteral("pencil"), 16, colour, ratio));
    }
    return mark;
}

// Spaces and tabs around a committed text go; line breaks stay.
QString trimmedOfBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

ReceiptsModel::ReceiptsModel(AppModel &model, QObject *parent)
    : QAbstractTableModel(parent)
    , m_model(model)
{
}

void ReceiptsModel::setMonth(int year, int month)
{
    // Another month builds the table anew.
    if (year != m_year || month != m_month)
        m_drafts.clear();
    m_year = year;
    m_month = month;
    refresh();
}

void ReceiptsModel::refresh()
{
    QList<RecognitionRecord> records = m_model.receipts(m_year, m_month);
    QList<Recognition> readings;
    readings.reserve(records.size());
    for (const RecognitionRecord &record : std::as_const(records))
        readings.append(record.recognition());
    // Rows that stay keep their selection, their typed text and an open
    // field: rows that went are removed, new ones inserted, and only the
    // cells whose content changed are told so.
    QSet<qint64> incoming;
    for (const RecognitionRecord &record : std::as_const(records))
        incoming.insert(record.id);
    for (int row = int(m_records.size()) - 1; row >= 0; --row) {
        if (incoming.contains(m_records.at(row).id))
            continue;
        int first = row;
        while (first > 0 && !incoming.contains(m_records.at(first - 1).id))
            --first;
        beginRemoveRows({}, first, row);
        m_records.remove(first, row - first + 1);
        m_readings.remove(first, row - first + 1);
        endRemoveRows();
        row = first;
    }
    QSet<qint64> kept;
    QList<qint64> keptOrder;
    for (const RecognitionRecord &record : std::as_const(m_records)) {
        kept.insert(record.id);
        keptOrder.append(record.id);
    }
    QList<qint64> newOrder;
    for (const RecognitionRecord &record : std::as_const(records)) {
        if (kept.contains(record.id))
            newOrder.append(record.id);
    }
    if (keptOrder != newOrder) {
        // A row changed places (its date changed): the table is built anew.
        beginResetModel();
        m_records = std::move(records);
        m_readings = std::move(readings);
        dropStaleDrafts();
        endResetModel();
        return;
    }
    for (int row = 0; row < records.size();) {
        if (kept.contains(records.at(row).id)) {
            ++row;
            continue;
        }
        int end = row;
        while (end < records.size() && !kept.contains(records.at(end).id))
            ++end;
        beginInsertRows({}, row, end - 1);
        for (int i = row; i < end; ++i) {
            m_records.insert(i, records.at(i));
            m_readings.insert(i, readings.at(i));
        }
        endInsertRows();
        row = end;
    }
    QList<QPair<int, int>> changed; // row and column
    for (int row = 0; row < records.size(); ++row) {
        for (const int column : changedColumns(row, records.at(row), readings.at(row)))
            changed.append({row, column});
    }
    m_records = std::move(records);
    m_readings = std::move(readings);
    dropStaleDrafts();
    for (const auto &[row, column] : std::as_const(changed))
        Q_EMIT dataChanged(index(row, column), index(row, column));
}

QList<int> ReceiptsModel::changedColumns(int row, const RecognitionRecord &record, const Recognition &reading) const
{
    const RecognitionRecord &was = m_records.at(row);
    const Recognition &read = m_readings.at(row);
    QList<int> changed;
    if (read.date != reading.date)
        changed.append(date);
    if (read.sender != reading.sender)
        changed.append(sender);
    if (read.amount != reading.amount)
        changed.append(amount);
    if (read.currency != reading.currency)
        changed.append(currency);
    if (read.kind != reading.kind)
        changed.append(kind);
    if (was.path != record.path || was.edited != record.edited)
        changed.append(file);
    return changed;
}

QString ReceiptsModel::storedText(int row, int column) const
{
    const Recognition &reading = m_readings.at(row);
    if (column == sender)
        return reading.sender.value_or(QString());
    if (column == amount)
        return reading.amount ? NameTemplate::format(*reading.amount, Prefs::sentenceLanguage()) : QString();
    return {};
}

void ReceiptsModel::keepDraft(const QModelIndex &index, const QVariant &typed)
{
    const CellKey key{m_records.at(index.row()).id, index.column()};
    const QString value = storedText(index.row(), index.column());
    if (typed.isValid() && typed.toString() != value)
        m_drafts.insert(key, Draft{typed.toString(), value});
    else
        m_drafts.remove(key);
    Q_EMIT dataChanged(index, index);
}

void ReceiptsModel::dropStaleDrafts()
{
    if (m_drafts.isEmpty())
        return;
    QHash<qint64, int> rows;
    for (int row = 0; row < m_records.size(); ++row)
        rows.insert(m_records.at(row).id, row);
    for (auto draft = m_drafts.begin(); draft != m_drafts.end();) {
        const auto row = rows.constFind(draft.key().first);
        if (row == rows.constEnd() || storedText(*row, draft.key().second) != draft->value)
            draft = m_drafts.erase(draft);
        else
            ++draft;
    }
}

int ReceiptsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int ReceiptsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant ReceiptsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const Recognition &reading = m_readings.at(index.row());
    const RecognitionRecord &record = m_records.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (Column(index.column())) {
        case date:
            return reading.date ? DateText::numeric(*reading.date) : QString();
        case sender:
        case amount: {
            const auto draft = m_drafts.constFind(CellKey{record.id, index.column()});
            return draft != m_drafts.constEnd() ? draft->typed : storedText(index.row(), index.column());
        }
        case currency:
            return reading.currency.value_or(QString());
        case kind:
            return Labels::title(reading.kind);
        case file:
            return FileNameText::oneLine(QFileInfo(record.path).fileName());
            break;
        }
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == amount)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case Qt::DecorationRole:
        if (index.column() == file && record.edited)
            return editedMark();
        break;
    case Qt::ToolTipRole:
        if (index.column() == file && record.edited)
            return tr("Changed by you");
        if (index.column() == sender)
            return reading.sender.value_or(QString());
        break;
    default:
        break;
    }
    return {};
}

QVariant ReceiptsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (Column(section)) {
    case date: return tr("Date");
    case sender: return tr("Sender");
    case amount: return tr("Amount");
    case currency: return tr("Currency");
    case kind: return tr("Kind");
    case file: return tr("File");
    }
    return {};
}

Qt::ItemFlags ReceiptsModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == sender || index.column() == amount)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool ReceiptsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= m_records.size() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (role == EditableText::draftRole) {
        keepDraft(index, value);
        return true;
    }
    if (role != Qt::EditRole)
        return false;
    m_drafts.remove(CellKey{m_records.at(index.row()).id, index.column()});
    const QString text = trimmedOfBlanks(value.toString());
    Recognition reading = m_readings.at(index.row());
    if (index.column() == sender)
        reading.sender = text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    else if (index.column() == amount)
        reading.amount = PatternReader::parseTypedAmount(text);
    else
        return false;
    // The store's change signal brings the row back as stored.
    m_model.correct(m_records.at(index.row()), reading);
    return true;
}
