// A scrolling area for a column of rows that hold no controls, such as the
// dry run's files: one Tab stop, scrolled with the arrow and page keys, that
// shows its focus as a ring inside its edge.
#pragma once

#include <QScrollArea>

class RowListArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit RowListArea(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
