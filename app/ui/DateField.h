// A date field for forms: typed digits and separators, or the arrow keys,
// move between its day, month and year; Tab and Shift+Tab leave it, as they
// leave every other field.
#pragma once

#include <QDateEdit>

class DateField : public QDateEdit
{
    Q_OBJECT

public:
    explicit DateField(QWidget *parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override;
};
