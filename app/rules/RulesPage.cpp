#include "RulesPage.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "CardColumn.h"
#include "DescribeRuleField.h"
#include "DryRunView.h"
#include "EmptyStateView.h"
#include "FollowsFocusArea.h"
#include "GridProbes.h"
#include "PageTitle.h"
#include "RuleCard.h"
#include "Store.h"
#include "Symbols.h"
#include "TabOrder.h"

#include <QAction>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int inset = 20;
constexpr int spacing = 16;
constexpr int emptyStateInset = 32;
// Each turn makes or updates at least this many cards, then more while the
// turn is short.
constexpr int cardsPerTurn = 4;
constexpr qint64 turnBudgetNs = 6'000'000;
} // namespace

RulesPage::RulesPage(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto *newRule = new QAction(Symbols::icon(QStringLiteral("plus")), tr("New Rule"), this);
    newRule->setObjectName(QStringLiteral("newRule"));
    newRule->setToolTip(tr("Build a rule step by step (Ctrl+N)"));
    connect(newRule, &QAction::triggered, &m_model, &AppModel::newRule);
    addAction(newRule);

    auto *scroll = new FollowsFocusArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("rulesArea"));
    auto *centre = new QHBoxLayout(content);
    centre->setContentsMargins(0, 0, 0, 0);
    auto *column = new QWidget(content);
    column->setMaximumWidth(maximumColumnWidth);
    auto *stack = new QVBoxLayout(column);
    stack->setContentsMargins(inset, inset, inset, inset);
    stack->setSpacing(spacing);
    centre->addStretch(0);
    centre->addWidget(column, 1);
    centre->addStretch(0);

    stack->addWidget(new PageTitle(tr("Rules"), column));

    m_describe = new DescribeRuleField(m_model, column);
    stack->addWidget(m_describe);

    m_empty = new EmptyStateView(QStringLiteral("list.bullet.rectangle"), tr("No Rules"),
                                 tr("Describe a rule above, or press Ctrl+N to build one step by step."), column);
    m_empty->setObjectName(QStringLiteral("noRules"));
    m_empty->setContentsMargins(0, emptyStateInset, 0, 0);
    stack->addWidget(m_empty);

    m_cards = new CardColumn(spacing, scroll, column);
    m_cards->setObjectName(QStringLiteral("cards"));
    stack->addWidget(m_cards);
    stack->addStretch(1);

    scroll->setWidget(content);
    outer->addWidget(scroll);
    // The part of the page in view is the area the field and the cards line up in.
    gridArea(scroll->viewport(), QStringLiteral("rules"), inset);

    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed) {
        if (changed == Store::Model::storedRule)
            scheduleRefresh(false);
        else if (changed == Store::Model::watchedFolder)
            scheduleRefresh(true);
    });
    connect(&m_model.autopilot(), &Autopilot::modelStatusChanged, this, [this] { scheduleRefresh(true); });
    m_everyCard = true;
    refresh();
}

QList<RuleCard *> RulesPage::cards() const
{
    return m_order;
}

void RulesPage::scheduleRefresh(bool everyCard)
{
    // A move renumbers many rules at once: show them together.
    m_everyCard = m_everyCard || everyCard;
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &RulesPage::refresh);
}

void RulesPage::refresh()
{
    m_scheduled = false;
    if (std::exchange(m_everyCard, false)) {
        for (auto it = m_byUuid.cbegin(); it != m_byUuid.cend(); ++it)
            m_stale.insert(it.key());
    }
    const QList<StoredRule> rules = m_model.store().rules();

    QSet<QUuid> kept;
    kept.reserve(rules.size());
    for (const StoredRule &stored : rules)
        kept.insert(stored.uuid);
    for (auto it = m_byUuid.begin(); it != m_byUuid.end();) {
        if (kept.contains(it.key())) {
            ++it;
            continue;
        }
        // The card may be the sender of the change being shown: it goes later.
        RuleCard *card = it.value();
        card->hide();
        card->deleteLater();
        m_stale.remove(it.key());
        it = m_byUuid.erase(it);
    }

    QList<RuleCard *> order;
    order.reserve(rules.size());
    QElapsedTimer turn;
    turn.start();
    int done = 0;
    const auto mayWork = [&] { return done < cardsPerTurn || turn.nsecsElapsed() < turnBudgetNs; };
    bool more = false;
    for (const StoredRule &stored : rules) {
        RuleCard *card = m_byUuid.value(stored.uuid);
        if (!card) {
            // Not yet made: it joins in a later turn, below the cards before it.
            if (!mayWork()) {
                more = true;
                continue;
            }
            ++done;
            card = new RuleCard(m_model, stored, m_cards);
            connect(card, &RuleCard::dryRunRequested, this, [this, card] { openDryRun(card->stored()); });
            m_byUuid.insert(stored.uuid, card);
        } else if (m_stale.contains(stored.uuid) || !(card->stored() == stored)) {
            if (mayWork()) {
                ++done;
                card->setStored(stored);
                m_stale.remove(stored.uuid);
            } else {
                more = true;
            }
        }
        order.append(card);
    }
    if (order != m_order) {
        m_cards->setCards({order.cbegin(), order.cend()});
        m_order = order;
        orderTabs();
    }
    m_empty->setVisible(rules.isEmpty());
    m_cards->setVisible(!rules.isEmpty());
    if (more && !m_scheduled) {
        // A timer, not a posted call: what was made is painted before more.
        m_scheduled = true;
        QTimer::singleShot(1, this, &RulesPage::refresh);
    }
    if (!m_scheduled)
        Q_EMIT settled();
}

void RulesPage::orderTabs()
{
    // The cards follow the describe field's last stop, in their order on screen.
    QList<QWidget *> stops;
    for (QWidget *widget = m_describe->nextInFocusChain(); m_describe->isAncestorOf(widget);
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            stops = {widget};
    }
    for (const RuleCard *card : std::as_const(m_order))
        stops.append(card->tabStops());
    TabOrder::chain(stops);
}

void RulesPage::openDryRun(const StoredRule &stored)
{
    const std::optional<StoredRule> now = m_model.store().rule(stored.uuid);
    const StoredRule &rule = now.value_or(stored);
    if (m_dryRun)
        m_dryRun->close();
    m_dryRun = new DryRunView(m_model.autopilot(), DryRunRequest{QUuid::createUuid(), rule.rule(), rule.folderID}, this);
    m_dryRun->setAttribute(Qt::WA_DeleteOnClose);
    m_dryRun->open();
}

DryRunView *RulesPage::dryRun() const
{
    return m_dryRun;
}
