// One file of a dry run: its icon and name, then "Reading…", what the rule
// would do with it, that it does not match, or why the filing would refuse
// it; and its reading, when the rule needed one.
#pragma once

#include "DryRun.h"

#include <QWidget>

class Chip;
class LineLimitedLabel;
class QLabel;
class RecognitionLine;

class DryRunRowView : public QWidget
{
    Q_OBJECT

public:
    explicit DryRunRowView(const DryRunRow &row, QWidget *parent = nullptr);

    // Shows the row's new state; the file stays the same.
    void setRow(const DryRunRow &row);
    const DryRunRow &row() const { return m_row; }
    // The line under the name, as it reads now.
    QString stateText() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void refreshColours();

    DryRunRow m_row;
    QLabel *m_arrow = nullptr;
    LineLimitedLabel *m_state = nullptr;
    Chip *m_review = nullptr;
    RecognitionLine *m_recognition = nullptr;
};
