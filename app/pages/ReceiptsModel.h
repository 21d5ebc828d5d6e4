// The rows of the receipts page: one month's invoices and receipts in the
// order of their document date (of equal dates the one read last first),
// fetched anew from the store whenever it changes. Sender and amount are
// edited in place; a commit goes to the AppModel.
#pragma once

#include "Models.h"

#include <QAbstractTableModel>
#include <QList>

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
    void refresh();

    const QList<RecognitionRecord> &records() const { return m_records; }
    const Recognition &reading(int row) const { return m_readings.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Every commit of a sender or amount is kept and marks the record as
    // edited, even when the text is the same.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
    AppModel &m_model;
    int m_year = 0;
    int m_month = 0;
    QList<RecognitionRecord> m_records;
    QList<Recognition> m_readings;
};
