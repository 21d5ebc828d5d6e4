// What a list shows while it has nothing to show: a large symbol, a bold
// title and a secondary description, centred. Lay it over a list's viewport
// with attachTo(), or place it like any widget.
#pragma once

#include <QWidget>

class QLabel;

class EmptyStateView : public QWidget
{
    Q_OBJECT

public:
    EmptyStateView(const QString &symbol, const QString &title, const QString &description = {},
                   QWidget *parent = nullptr);

    void setSymbol(const QString &symbol);
    void setTitle(const QString &title);
    void setDescription(const QString &description);
    QString title() const;
    QString description() const;

    // Covers the area (a list's viewport) and follows its size; show() and
    // hide() as the list empties and fills.
    void attachTo(QWidget *area);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void drawSymbol();

    QString m_symbol;
    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_description;
};
