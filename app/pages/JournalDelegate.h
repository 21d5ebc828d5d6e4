// Paints the journal's rows (a day heading, or one entry with its icon,
// title, status chip, journal line, reading, message, time and action
// button) and turns clicks on the painted button into actions. No widget per
// row: the journal may hold any number of entries.
#pragma once

#include "JournalRow.h"

#include <QHash>
#include <QStyledItemDelegate>

#include <memory>

class Chip;
class FileIconCache;
class JournalModel;
class ProminentButton;
class QPushButton;
class RecognitionLine;

class JournalDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit JournalDelegate(QObject *parent = nullptr);
    ~JournalDelegate() override;

    // The height of a row at a width; an entry's journal line wraps to two
    // lines when one is too short for it, its message to as many as it needs.
    int rowHeight(const JournalModel &model, int row, int width, const QFont &font) const;
    // The height of the plainest entry (one line, an Undo button): what a
    // row not yet measured is given.
    int usualRowHeight(const QFont &font) const;
    // Where a row's action button lies, in the row's rectangle; empty when it has none.
    QRect actionRect(const JournalRow &row, const QRect &rect, const QFont &font) const;
    // Where a row's file icon lies.
    QRect iconRect(const JournalRow &row, const QRect &rect, const QFont &font) const;
    // Where a row's status chip lies; empty when it has none.
    QRect chipRect(const JournalRow &row, const QRect &rect, const QFont &font) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

Q_SIGNALS:
    // The row's button was clicked.
    void triggered(qint64 entryId, JournalRow::Action action);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    struct Fonts;
    struct Measures;
    struct Layout;
    const Fonts &fonts(const QFont &font) const;
    // The widths of a row's texts, measured once and kept while its texts stay the same.
    const Measures &measure(const JournalRow &row, const Fonts &fonts) const;
    Layout layout(const JournalRow &row, const QRect &rect, const QFont &font) const;
    void paintDay(QPainter *painter, const QStyleOptionViewItem &option, const QString &title) const;
    void paintEntry(QPainter *painter, const QStyleOptionViewItem &option, const JournalRow &row) const;

    // The button being pressed: its entry, until the mouse is released.
    qint64 m_pressed = 0;
    mutable std::unique_ptr<Fonts> m_fonts;
    mutable QHash<qint64, Measures> m_measures;
    mutable QHash<QString, QSize> m_chipSizes;
    // Each row's icon, asked again of the file system on every paint.
    std::unique_ptr<FileIconCache> m_icons;
    // The shared widgets, never shown: each row is drawn with them in turn.
    std::unique_ptr<Chip> m_chip;
    std::unique_ptr<RecognitionLine> m_recognition;
    std::unique_ptr<ProminentButton> m_check;
    std::unique_ptr<QPushButton> m_undo;
};
