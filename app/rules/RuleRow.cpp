#include "RuleRow.h"

#include "Symbols.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayoutItem>
#include <QMenu>
#include <QToolButton>

RuleRow::RuleRow(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_controls = new WrappingRow(8, 4);
    layout->addLayout(m_controls, 1);

    m_remove = new QToolButton(this);
    m_remove->setObjectName(QStringLiteral("remove"));
    // Rows come by the dozen; their symbol is made once.
    static const QIcon removeIcon = Symbols::icon(QStringLiteral("minus.circle"));
    m_remove->setIcon(removeIcon);
    m_remove->setAutoRaise(true);
    m_remove->setToolTip(tr("Remove"));
    m_remove->setAccessibleName(tr("Remove"));
    connect(m_remove, &QToolButton::clicked, this, [this] { Q_EMIT removeRequested(itemID()); });
    layout->addWidget(m_remove);

    auto addMove = [this](const QString &text, const QKeySequence &keys, int delta) {
        auto *move = new QAction(text, this);
        move->setObjectName(delta < 0 ? QStringLiteral("moveUp") : QStringLiteral("moveDown"));
        move->setShortcut(keys);
        move->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(move, &QAction::triggered, this, [this, delta] {
            // While a drop-down's list is open the focus stays on the
            // drop-down, so the row's keys still come here: they close the
            // list, and the row stays where it is under it.
            if (QComboBox *open = openDropDown()) {
                open->hidePopup();
                return;
            }
            Q_EMIT moveRequested(itemID(), delta);
        });
        addAction(move);
    };
    addMove(tr("Move Up"), QKeySequence(Qt::ALT | Qt::Key_Up), -1);
    addMove(tr("Move Down"), QKeySequence(Qt::ALT | Qt::Key_Down), 1);
}

QComboBox *RuleRow::openDropDown() const
{
    for (QComboBox *dropDown : findChildren<QComboBox *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (dropDown->view()->isVisible())
            return dropDown;
    }
    return nullptr;
}

QList<QWidget *> RuleRow::tabStops() const
{
    QList<QWidget *> stops;
    for (int i = 0; i < m_controls->count(); ++i) {
        QWidget *control = m_controls->itemAt(i)->widget();
        if (control && (control->focusPolicy() & Qt::TabFocus))
            stops.append(control);
    }
    stops.append(m_remove);
    return stops;
}

void RuleRow::orderTabs()
{
    const QList<QWidget *> stops = tabStops();
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops.at(i - 1), stops.at(i));
}

namespace {

// Alt+Down, which opens a drop-down's list.
bool opensList(const QKeyEvent &key)
{
    return key.key() == Qt::Key_Down && (key.modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
}

} // namespace

bool RuleRow::event(QEvent *event)
{
    // Asked first whether a focused control keeps a key: a drop-down keeps
    // Alt+Down to open its list, so that only its row's other controls move
    // the row down with it.
    if (event->type() == QEvent::ShortcutOverride && opensList(*static_cast<QKeyEvent *>(event))
        && qobject_cast<QComboBox *>(QApplication::focusWidget()) && isAncestorOf(QApplication::focusWidget())) {
        event->accept();
        return true;
    }
    // Key presses the row's controls leave come here too.
    if (m_menuKeys.take(event, [this](QPoint globalPosition) { showContextMenu(globalPosition); }))
        return true;
    return QWidget::event(event);
}

void RuleRow::showContextMenu(QPoint globalPosition)
{
    if (globalPosition.isNull())
        globalPosition = ContextMenuKeys::atFocus(this, QPoint(0, height() / 2));
    QMenu menu(this);
    menu.addActions(actions());
    menu.addSeparator();
    menu.addAction(tr("Remove"), this, [this] { Q_EMIT removeRequested(itemID()); })->setEnabled(m_remove->isEnabled());
    // The editor removes the row only once this returns.
    menu.exec(globalPosition);
}
