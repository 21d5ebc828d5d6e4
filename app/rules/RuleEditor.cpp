#include "RuleEditor.h"

#include "ActionRow.h"
#include "ApplicationCatalog.h"
#include "Autopilot.h"
#include "CharacterRoom.h"
#include "ConditionRow.h"
#include "DryRunView.h"
#include "FileNameText.h"
#include "FollowsFocusArea.h"
#include "FormSection.h"
#include "Labels.h"
#include "ProminentButton.h"
#include "Roles.h"
#include "ModelStatusText.h"
#include "RealHome.h"
#include "Store.h"
#include "Symbols.h"
#include "ThemeStore.h"
#include "WheelAfterFocus.h"
#include "Whitespace.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *menuButton(const QString &text, QMenu *menu, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(Symbols::icon(QStringLiteral("plus")));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
    return button;
}

template<typename Row>
QList<Row *> rowsOf(QVBoxLayout *layout)
{
    QList<Row *> rows;
    for (int i = 0; i < layout->count(); ++i) {
        if (auto *row = qobject_cast<Row *>(layout->itemAt(i)->widget()))
            rows.append(row);
    }
    return rows;
}

template<typename Item>
qsizetype indexOf(const QList<Item> &items, const QUuid &id)
{
    const auto it = std::find_if(items.begin(), items.end(), [&](const Item &item) { return item.id == id; });
    return it == items.end() ? -1 : it - items.begin();
}

} // namespace

RuleEditor::RuleEditor(AppModel &model, AppModel::Editing editing, QWidget *parent)
    : Sheet(parent)
    , m_model(model)
    , m_editing(std::move(editing))
    , m_applications(new ApplicationCatalog(this))
{
    setFixedSize(fixedSize);
    setWindowTitle(m_editing.isNew ? tr("New Rule") : tr("Edit Rule"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildForm(), 1);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    layout->addWidget(buildBottomBar());

    connect(&m_model.autopilot(), &Autopilot::modelStatusChanged, this, &RuleEditor::refreshModelStatus);
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, &RuleEditor::refreshTint);
    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed) {
        if (changed == Store::Model::watchedFolder) {
            fillFolders();
            refresh();
        }
    });
    refreshModelStatus();
    orderTabs();
}

RuleEditor::~RuleEditor() = default;

QWidget *RuleEditor::buildForm()
{
    auto *scroll = new FollowsFocusArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(scroll);
    auto *form = new QVBoxLayout(content);
    form->setContentsMargins(20, 16, 20, 16);
    form->setSpacing(16);
    const auto addSection = [&](const QString &header, const QString &footer = QString()) {
        auto *section = new FormSection(header, content);
        if (!footer.isEmpty())
            section->setFooter(footer);
        form->addWidget(section);
        return section;
    };
    const auto rowList = [&](FormSection *section) {
        auto *rows = new QWidget(section);
        auto *layout = new QVBoxLayout(rows);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        section->addRow(rows);
        return layout;
    };

    if (isDrafted()) {
        FormSection *banner = addSection(QString());
        auto *row = new QWidget(banner);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        m_bannerIcon = new QLabel(row);
        layout->addWidget(m_bannerIcon, 0, Qt::AlignTop);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(4);
        auto *note = new QLabel(tr("Draft from your sentence. Check every line, then accept it."), row);
        note->setWordWrap(true);
        texts->addWidget(note);
        auto *prompt = new QLabel(QStringLiteral("\u201C%1\u201D").arg(*m_editing.rule.createdFromPrompt), row);
        prompt->setObjectName(QStringLiteral("prompt"));
        prompt->setTextFormat(Qt::PlainText);
        prompt->setWordWrap(true);
        Roles::setSecondary(prompt);
        texts->addWidget(prompt);
        layout->addLayout(texts, 1);
        banner->addRow(row);
    }

    FormSection *nameSection = addSection(QString());
    m_name = new QLineEdit(m_editing.rule.name, nameSection);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setAccessibleName(tr("Rule name"));
    CharacterRoom::keep(m_name, RuleRow::valueCharacters);
    // A name too long for the field shows its start, not its end.
    m_name->setCursorPosition(0);
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_editing.rule.name = text;
        refresh();
    });
    nameSection->addRow(tr("Rule name"), m_name);

    FormSection *when = addSection(tr("When"));
    m_folder = new QComboBox(when);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setAccessibleName(tr("A new file arrives in"));
    WheelAfterFocus::keep(m_folder);
    connect(m_folder, &QComboBox::currentIndexChanged, this, [this](int index) {
        const QVariant data = m_folder->itemData(index);
        chooseFolder(data.isNull() ? std::nullopt : std::optional<QUuid>(data.toUuid()));
    });
    when->addRow(tr("A new file arrives in"), m_folder);
    fillFolders();

    FormSection *conditions = addSection(tr("And"), tr("Every condition must be true."));
    m_conditions = rowList(conditions);
    for (const Condition &condition : std::as_const(m_editing.rule.conditions))
        insertConditionRow(condition, m_conditions->count());
    m_addCondition = new QMenu(content);
    for (const Condition::Field field : Condition::allFields) {
        QAction *entry = m_addCondition->addAction(Labels::title(field), this, [this, field] { addCondition(field); });
        entry->setData(static_cast<int>(field));
    }
    m_addConditionButton = menuButton(tr("Add Condition"), m_addCondition, conditions);
    m_addConditionButton->setObjectName(QStringLiteral("addCondition"));
    conditions->addRow(m_addConditionButton);
    m_status = new QLabel(conditions);
    m_status->setObjectName(QStringLiteral("modelStatus"));
    m_status->setWordWrap(true);
    Roles::setFont(m_status, Roles::Font::callout);
    Roles::setSecondary(m_status);
    conditions->addRow(m_status);

    FormSection *actions = addSection(
        tr("Then"),
        tr("Placeholders: {datum} {jahr} {monat} {absender} {betrag} {waehrung} {art} {titel} {original} {zaehler}. "
           "\u201C~\u201D is your home folder."));
    m_actions = rowList(actions);
    for (const RuleAction &action : std::as_const(m_editing.rule.actions))
        insertActionRow(action, m_actions->count());
    m_addAction = new QMenu(content);
    for (const RuleAction::Kind kind : RuleAction::allKinds) {
        QAction *entry = m_addAction->addAction(Symbols::icon(ActionRow::symbol(kind)), ActionRow::title(kind), this,
                                                [this, kind] { addAction(kind); });
        entry->setData(static_cast<int>(kind));
    }
    m_addActionButton = menuButton(tr("Add Action"), m_addAction, actions);
    m_addActionButton->setObjectName(QStringLiteral("addAction"));
    actions->addRow(m_addActionButton);

    FormSection *sentence = addSection(tr("In one sentence"));
    m_sentence = new QLabel(sentence);
    m_sentence->setObjectName(QStringLiteral("sentence"));
    m_sentence->setTextFormat(Qt::PlainText);
    m_sentence->setWordWrap(true);
    m_sentence->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Selected and copied from the keyboard too: a stop for Tab, which a
    // label that selects by keyboard is not by itself.
    m_sentence->setFocusPolicy(Qt::StrongFocus);
    sentence->addRow(m_sentence);
    form->addStretch();
    scroll->setWidget(content);
    return scroll;
}

QWidget *RuleEditor::buildBottomBar()
{
    auto *bar = new QWidget(this);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(16, 16, 16, 16);
    m_dryRunButton = new QPushButton(tr("Dry Run…"), bar);
    m_dryRunButton->setObjectName(QStringLiteral("dryRun"));
    m_dryRunButton->setAutoDefault(false);
    m_dryRunButton->setToolTip(tr("See what this rule would do with the newest 50 files, without changing anything"));
    connect(m_dryRunButton, &QPushButton::clicked, this, &RuleEditor::openDryRun);
    layout->addWidget(m_dryRunButton);
    layout->addStretch();
    m_cancel = new QPushButton(tr("Cancel"), bar);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(m_cancel);
    m_primary = new ProminentButton(isDrafted() ? tr("Accept Rule") : tr("Save"), bar);
    m_primary->setObjectName(QStringLiteral("save"));
    m_primary->setDefault(true);
    connect(m_primary, &QPushButton::clicked, this, &RuleEditor::save);
    layout->addWidget(m_primary);
    return bar;
}

bool RuleEditor::isDrafted() const
{
    return m_editing.rule.createdFromPrompt.has_value() && m_editing.isNew;
}

bool RuleEditor::canSave() const
{
    return !Whitespace::trimmed(m_editing.rule.name).isEmpty() && !m_editing.rule.conditions.isEmpty()
        && !m_editing.rule.actions.isEmpty();
}

bool RuleEditor::canDryRun() const
{
    return m_editing.folderID.has_value() && !m_editing.rule.conditions.isEmpty();
}

QString RuleEditor::sentence() const
{
    return m_sentence->text();
}

DryRunView *RuleEditor::dryRunView() const
{
    return m_dryRun.data();
}

QList<ConditionRow *> RuleEditor::conditionRows() const
{
    return rowsOf<ConditionRow>(m_conditions);
}

QList<ActionRow *> RuleEditor::actionRows() const
{
    return rowsOf<ActionRow>(m_actions);
}

void RuleEditor::addCondition(Condition::Field field)
{
    const Condition condition{QUuid::createUuid(), field, Condition::operators(field).constFirst(),
                              ConditionRow::sample(field)};
    m_editing.rule.conditions.append(condition);
    insertConditionRow(condition, m_conditions->count());
    orderTabs();
    refresh();
}

void RuleEditor::addAction(RuleAction::Kind kind)
{
    const RuleAction action{QUuid::createUuid(), kind, ActionRow::sample(kind)};
    m_editing.rule.actions.append(action);
    insertActionRow(action, m_actions->count());
    orderTabs();
    refresh();
}

void RuleEditor::removeItem(const QUuid &id)
{
    m_editing.rule.conditions.removeIf([&](const Condition &condition) { return condition.id == id; });
    m_editing.rule.actions.removeIf([&](const RuleAction &action) { return action.id == id; });
    for (QVBoxLayout *rows : {m_conditions, m_actions}) {
        for (int i = rows->count() - 1; i >= 0; --i) {
            auto *row = qobject_cast<RuleRow *>(rows->itemAt(i)->widget());
            if (!row || row->itemID() != id)
                continue;
            // The row may be inside its own button's click: it goes once that returns.
            rows->removeWidget(row);
            row->hide();
            row->deleteLater();
        }
    }
    orderTabs();
    refresh();
}

void RuleEditor::moveItem(const QUuid &id, int delta)
{
    const auto move = [&](auto &items, QVBoxLayout *rows) {
        const qsizetype from = indexOf(items, id);
        const qsizetype to = from + delta;
        if (from < 0 || to < 0 || to >= items.size())
            return;
        items.move(from, to);
        auto *row = qobject_cast<RuleRow *>(rows->itemAt(int(from))->widget());
        rows->removeWidget(row);
        rows->insertWidget(int(to), row);
        // The control the user moved the row from keeps the focus; moved
        // from elsewhere (its context menu), the row's first control takes it.
        if (!row->isAncestorOf(QApplication::focusWidget())) {
            const QList<QWidget *> stops = row->tabStops();
            const auto first = std::find_if(stops.begin(), stops.end(), [](const QWidget *stop) {
                return stop->isVisibleTo(stop->window()) && stop->isEnabled();
            });
            if (first != stops.end())
                (*first)->setFocus(Qt::OtherFocusReason);
        }
    };
    move(m_editing.rule.conditions, m_conditions);
    move(m_editing.rule.actions, m_actions);
    orderTabs();
    refresh();
}

void RuleEditor::chooseFolder(const std::optional<QUuid> &folderID)
{
    m_editing.folderID = folderID;
    refresh();
}

void RuleEditor::openDryRun()
{
    if (!canDryRun() || m_dryRun)
        return;
    m_dryRun = new DryRunView(m_model.autopilot(), DryRunRequest{QUuid::createUuid(), m_editing.rule, m_editing.folderID},
                              this);
    // Closing the sheet ends its run; the next request opens a fresh one.
    connect(m_dryRun, &QDialog::finished, this, [this, view = m_dryRun.data()] {
        if (m_dryRun == view)
            m_dryRun = nullptr;
        view->deleteLater();
    });
    m_dryRun->open();
}

void RuleEditor::save()
{
    if (!canSave())
        return;
    AppModel::Editing copy = m_editing;
    if (isDrafted())
        copy.rule.isEnabled = true;
    m_model.save(copy);
    accept();
}

void RuleEditor::fillFolders()
{
    const QSignalBlocker block(m_folder);
    m_folder->clear();
    m_folder->addItem(tr("Choose a folder"));
    for (const WatchedFolder &folder : m_model.watchedFolders())
        m_folder->addItem(FileNameText::path(RealHome::abbreviate(folder.displayPath)), folder.uuid);
    // A folder that is gone (or is no longer watched) shows as no choice; the
    // rule keeps it until another one is picked.
    const int index = m_editing.folderID ? m_folder->findData(*m_editing.folderID) : 0;
    m_folder->setCurrentIndex(std::max(index, 0));
}

void RuleEditor::insertConditionRow(const Condition &condition, int index)
{
    auto *row = new ConditionRow(condition, m_model.autopilot().modelStatus().isAvailable(), m_conditions->parentWidget());
    connect(row, &ConditionRow::conditionChanged, this, [this](const Condition &changed) {
        const qsizetype at = indexOf(m_editing.rule.conditions, changed.id);
        if (at >= 0)
            m_editing.rule.conditions[at] = changed;
        refresh();
    });
    connectRow(row);
    m_conditions->insertWidget(index, row);
}

void RuleEditor::insertActionRow(const RuleAction &action, int index)
{
    auto *row = new ActionRow(action, m_applications, m_actions->parentWidget());
    connect(row, &ActionRow::actionChanged, this, [this](const RuleAction &changed) {
        const qsizetype at = indexOf(m_editing.rule.actions, changed.id);
        if (at >= 0)
            m_editing.rule.actions[at] = changed;
        refresh();
    });
    connectRow(row);
    m_actions->insertWidget(index, row);
}

void RuleEditor::connectRow(RuleRow *row)
{
    connect(row, &RuleRow::removeRequested, this, &RuleEditor::removeItem);
    connect(row, &RuleRow::moveRequested, this, &RuleEditor::moveItem);
}

void RuleEditor::orderTabs()
{
    QList<QWidget *> stops{m_name, m_folder};
    for (ConditionRow *row : conditionRows())
        stops.append(row->tabStops());
    stops.append(m_addConditionButton);
    for (ActionRow *row : actionRows())
        stops.append(row->tabStops());
    stops.append(m_addActionButton);
    stops.append(m_sentence);
    for (QPushButton *button : {m_dryRunButton, m_cancel, m_primary})
        stops.append(button);
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops.at(i - 1), stops.at(i));
}

void RuleEditor::refreshModelStatus()
{
    const ModelStatus status = m_model.autopilot().modelStatus();
    const bool available = status.isAvailable();
    for (QAction *entry : m_addCondition->actions())
        entry->setEnabled(available || !Condition::needsRecognition(static_cast<Condition::Field>(entry->data().toInt())));
    for (ConditionRow *row : conditionRows())
        row->setAiAvailable(available);
    m_status->setVisible(!available);
    m_status->setText(available ? QString() : ModelStatusText::text(status));
    refreshTint();
    refresh();
}

void RuleEditor::refreshTint()
{
    if (m_bannerIcon)
        m_bannerIcon->setPixmap(Symbols::tinted(QStringLiteral("apple.intelligence"), bannerIconSize,
                                                ThemeStore::instance().theme().accentText(palette()), devicePixelRatioF()));
}

void RuleEditor::changeEvent(QEvent *event)
{
    Sheet::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refreshTint();
}

void RuleEditor::refresh()
{
    m_sentence->setText(FileNameText::oneLine(m_model.sentence(m_editing.rule, m_editing.folderID)));
    m_primary->setEnabled(canSave());
    m_dryRunButton->setEnabled(canDryRun());
}
