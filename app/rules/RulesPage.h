// The rules page: the field to describe a new rule, then one card per stored
// rule in the order the automation tries them, or a note that there is none.
// Cards are kept per rule and only the changed ones are shown again. Work on
// the cards is done a slice at a time: the first cards show at once and the
// rest join, or show their change, in the following turns of the event loop,
// so a long list never holds the window. The page keeps nothing else but the
// dry run open.
#pragma once

#include "Models.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QUuid>
#include <QWidget>

class AppModel;
class CardColumn;
class DescribeRuleField;
class DryRunView;
class EmptyStateView;
class RuleCard;

class RulesPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int maximumColumnWidth = 760;

    explicit RulesPage(AppModel &model, QWidget *parent = nullptr);

    // The cards made so far, in the order shown.
    QList<RuleCard *> cards() const;
    DescribeRuleField *describeField() const { return m_describe; }
    EmptyStateView *emptyState() const { return m_empty; }
    // The dry-run sheet open now, or null.
    DryRunView *dryRun() const;

    // Opens a fresh dry run of the stored rule on its folder.
    void openDryRun(const StoredRule &stored);
    // Shows the store as it is now, one slice of the cards at a time (the
    // rest follows in the next turns); changes are otherwise gathered and
    // shown once the event loop runs.
    void refresh();
    // Whether cards are still to be made or shown again in a later turn;
    // settled() tells when the page has caught up with the store.
    bool isSettling() const { return m_scheduled; }

Q_SIGNALS:
    void settled();

private:
    void scheduleRefresh(bool everyCard);
    // Tab follows the cards in their order on screen, after the describe field.
    void orderTabs();

    AppModel &m_model;
    DescribeRuleField *m_describe = nullptr;
    EmptyStateView *m_empty = nullptr;
    CardColumn *m_cards = nullptr;
    QHash<QUuid, RuleCard *> m_byUuid;
    QList<RuleCard *> m_order;
    // Cards to show again although their record is unchanged (a folder or the
    // model's state changed), not yet reached.
    QSet<QUuid> m_stale;
    QPointer<DryRunView> m_dryRun;
    bool m_scheduled = false;
    bool m_everyCard = false;
};
