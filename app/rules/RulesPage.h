// The rules page: the field to describe a new rule, then one card per stored
// rule in the order the automation tries them, or a note that there is none.
// Cards are kept per rule and only the changed ones are shown again; of a
// long list the first cards show at once and the rest join in the next turn
// of the event loop. The page keeps nothing else but the dry run open.
#pragma once

#include "Models.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class AppModel;
class DescribeRuleField;
class DryRunView;
class EmptyStateView;
class QVBoxLayout;
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
    // Shows the store as it is now (changes are otherwise gathered and
    // shown once the event loop runs).
    void refresh();

private:
    void scheduleRefresh(bool everyCard);

    AppModel &m_model;
    DescribeRuleField *m_describe = nullptr;
    EmptyStateView *m_empty = nullptr;
    QWidget *m_cards = nullptr;
    QVBoxLayout *m_cardLayout = nullptr;
    QHash<QUuid, RuleCard *> m_byUuid;
    QList<RuleCard *> m_order;
    QPointer<DryRunView> m_dryRun;
    bool m_scheduled = false;
    bool m_everyCard = false;
};
