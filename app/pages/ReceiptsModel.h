// The rows of the receipts page: one month's invoices and receipts in the
// order of their document date (of equal dates the one read last first),
// fetched anew from the store whenever it changes. Sender and amount are
// edited in place; a commit goes to the AppModel. Text typed in a cell and
// left without a commit stays shown there, unwritten and out of the sums,
// until the cell's value changes or another month is shown.
#pragma once

#include "Models.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QPair>

class AppModel;

class ReceiptsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { date, sender, amount, currency, kind, file };
    static constexpr int columns = file + 1;

    explicit ReceiptsModel(AppModel &model, QObject *parent = nullptr);

    // Shows that month (of the UTC calendar) and fetches its rows.
    void setMonth(int year, int month);
    // Fetches the rows again. Rows that stay keep their place in the
    // table (with its selection and an open field); only cells whose
    // content changed are redrawn.
    void refresh();

    const QList<RecognitionRecord> &records() const { return m_records; }
    const Recognition &reading(int row) const { return m_readings.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Every commit of a sender or amount is kept and marks the record as
    // edited, even when the text is the same. Under EditableText::draftRole
    // the text is only shown, not written.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
    // Text typed over a cell's value and not committed.
    struct Draft
    {
        QString typed;
        QString value;
    };
    using CellKey = QPair<qint64, int>; // the record's id and the column

    // The columns of row whose content differs in record and its reading.
    QList<int> changedColumns(int row, const RecognitionRecord &record, const Recognition &reading) const;
    // The cell's text from the stored reading, drafts aside.
    QString storedText(int row, int column) const;
    void keepDraft(const QModelIndex &index, const QVariant &typed);
    // Drops the drafts of records no longer shown and of cells whose value changed.
    void dropStaleDrafts();

    AppModel &m_model;
    int m_year = 0;
    int m_month = 0;
    QList<RecognitionRecord> m_records;
    QList<Recognition> m_readings;
    QHash<CellKey, Draft> m_drafts;
};
