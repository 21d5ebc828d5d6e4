// Follows one widget's frame in its window and keeps its probe in a
// GridProbes store up to date: reported when the widget is shown and
// whenever it or one of its parents moves or changes size, withdrawn when it
// is hidden or destroyed. It only watches events; the widget is unchanged.
#pragma once

#include "GridProbes.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUuid>

class QWidget;

class GridProbeFilter : public QObject
{
    Q_OBJECT

public:
    // shape gives kind, name, area, edge and inset; its frame is the widget's.
    // The filter becomes a child of widget and lives as long as it does.
    GridProbeFilter(QWidget *widget, const GridProbes::Probe &shape, GridProbes &store);
    ~GridProbeFilter() override;

    const QUuid &owner() const { return m_owner; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void report();
    void withdraw();
    void watchParents();

    QWidget *m_widget;
    GridProbes::Probe m_shape;
    QPointer<GridProbes> m_store;
    const QUuid m_owner = QUuid::createUuid();
    QList<QPointer<QWidget>> m_parents;
};
