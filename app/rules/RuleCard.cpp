#include "RuleCard.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "Chip.h"
#include "FileNameText.h"
#include "FocusPlace.h"
#include "GridProbes.h"
#include "RealHome.h"
#include "Roles.h"
#include "Store.h"
#include "SymbolLabel.h"
#include "Symbols.h"
#include "ToggleSwitch.h"
#include "WrappedLabel.h"
#include "WrappedTextRow.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int padding = 16;
constexpr int spacing = 12;
constexpr int rowSpacing = 8;
constexpr qreal cornerRadius = 12;
constexpr int noteSymbolSize = 14;

QPushButton *smallButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    Roles::setFont(button, Roles::Font::callout);
    return button;
}
} // namespace

RuleCard::RuleCard(AppModel &model, const StoredRule &stored, QWidget *parent)
    : QFrame(parent)
    , m_model(model)
{
    Roles::setCard(this);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(spacing);

    // A long name wraps; the chip follows its widest line and the switch
    // stays at the end, both level with its first line.
    auto *title = new WrappedTextRow(rowSpacing, WrappedTextRow::Level::firstLine);
    m_name = new WrappedLabel(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setPrefersTextWidth(true);
    Roles::setFont(m_name, Roles::Font::headline);
    m_folder = new Chip(QString(), QString(), this);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_switch = new ToggleSwitch(this);
    m_switch->setObjectName(QStringLiteral("enabled"));
    m_switch->setAccessibleName(tr("Active"));
    connect(m_switch, &ToggleSwitch::clicked, this, [this](bool on) { m_model.setEnabled(current(), on); });
    title->addText(m_name);
    title->addWidget(m_folder, 0, Qt::AlignVCenter);
    title->addStretch(0);
    title->addWidget(m_switch, 0, Qt::AlignVCenter);
    layout->addLayout(title);

    m_sentence = new WrappedLabel(this);
    m_sentence->setObjectName(QStringLiteral("sentence"));
    layout->addWidget(m_sentence);

    auto *actions = new QHBoxLayout;
    actions->setSpacing(rowSpacing);
    m_edit = smallButton(tr("Edit…"), this);
    m_edit->setObjectName(QStringLiteral("edit"));
    connect(m_edit, &QPushButton::clicked, this, &RuleCard::edit);
    m_dryRun = smallButton(tr("Dry Run…"), this);
    m_dryRun->setObjectName(QStringLiteral("dryRun"));
    connect(m_dryRun, &QPushButton::clicked, this, &RuleCard::dryRunRequested);
    actions->addWidget(m_edit);
    actions->addWidget(m_dryRun);
    actions->addStretch(1);
    layout->addLayout(actions);

    // A button the store's changes take away (its folder gone, access
    // granted) leaves the focus in the card, not on the next card's switch.
    m_place = new FocusPlace(this);
    m_place->keep(m_dryRun);

    gridProbe(this, QStringLiteral("card"), QStringLiteral("rules"), QStringLiteral("lead"));
    setStored(stored);
}

void RuleCard::setStored(const StoredRule &stored)
{
    m_stored = stored;
    const Rule rule = stored.rule();
    const std::optional<WatchedFolder> folder = m_model.autopilot().folder(stored.folderID);
    m_missing = m_model.missingAccess(rule);

    m_name->setText(rule.name);
    m_folder->setText(folder ? FileNameText::shortened(folder->name(), 32) : tr("No folder"));
    m_folder->setSymbol(folder ? QStringLiteral("folder") : QStringLiteral("folder.badge.questionmark"));
    m_switch->setChecked(rule.isEnabled);
    m_switch->setToolTip(rule.isEnabled ? tr("Turn this rule off") : tr("Turn this rule on"));
    m_sentence->setText(FileNameText::oneLine(m_model.sentence(rule, stored.folderID)));
    if (rule.isEnabled)
        m_sentence->setForegroundRole(QPalette::WindowText);
    else
        Roles::setSecondary(m_sentence);
    m_place->enable(m_dryRun, folder.has_value());

    const bool paused = rule.usesRecognition() && !m_model.autopilot().modelStatus().isAvailable();
    if (paused && !m_paused) {
        m_paused = addNote(QStringLiteral("pause.circle"), m_pausedText);
        m_pausedText->setText(tr("Paused: this rule reads file content and needs the local language model."));
    }
    if (m_paused)
        m_paused->setVisible(paused);

    if (!m_missing.isEmpty() && !m_access) {
        m_access = addNote(QStringLiteral("lock"), m_accessText);
        m_allow = smallButton(tr("Allow…"), m_access);
        m_allow->setObjectName(QStringLiteral("allow"));
        connect(m_allow, &QPushButton::clicked, this, [this] {
            if (!m_missing.isEmpty())
                m_model.chooseFolder(false, AppModel::nearestExisting(m_missing.constFirst()));
        });
        // The button stands right after the note's text, not at the card's
        // edge, also where the note wraps.
        m_accessText->setPrefersTextWidth(true);
        static_cast<WrappedTextRow *>(m_access->layout())->addWidget(m_allow, 0, Qt::AlignVCenter);
        m_place->keep(m_allow, this);
        // The note stands above the card's buttons: the keyboard reaches it first.
        QWidget::setTabOrder(m_switch, m_allow);
    }
    if (m_access) {
        QStringList paths;
        for (const QString &path : std::as_const(m_missing))
            paths.append(FileNameText::path(RealHome::abbreviate(path)));
        m_accessText->setText(tr("Needs access to %1.").arg(paths.join(QStringLiteral(", "))));
        m_access->setVisible(!m_missing.isEmpty());
    }
}

QWidget *RuleCard::addNote(const QString &symbol, WrappedLabel *&text)
{
    auto *row = new QWidget(this);
    auto *layout = new WrappedTextRow(rowSpacing);
    row->setLayout(layout);
    // Drawn again with the palette, as the note's text is: a look chosen
    // after the card was made keeps the symbol beside its text readable.
    auto *icon = new SymbolLabel(symbol, noteSymbolSize, SymbolLabel::Tint::secondary, row);
    text = new WrappedLabel(row);
    Roles::setFont(text, Roles::Font::callout);
    Roles::setSecondary(text);
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    layout->addText(text);
    // Notes stand between the sentence and the actions, paused first.
    auto *card = static_cast<QVBoxLayout *>(this->layout());
    const int before = (m_paused && text != m_pausedText) ? card->indexOf(m_paused) + 1 : card->indexOf(m_sentence) + 1;
    card->insertWidget(before, row);
    return row;
}

QList<QWidget *> RuleCard::tabStops() const
{
    if (m_allow)
        return {m_switch, m_allow, m_edit, m_dryRun};
    return {m_switch, m_edit, m_dryRun};
}

QString RuleCard::sentence() const
{
    return m_sentence->text();
}

QStringList RuleCard::notes() const
{
    QStringList shown;
    if (m_paused && !m_paused->isHidden())
        shown.append(m_pausedText->text());
    if (m_access && !m_access->isHidden())
        shown.append(m_accessText->text());
    return shown;
}

QMenu *RuleCard::makeMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->addAction(tr("Edit…"), this, &RuleCard::edit);
    menu->addAction(tr("Dry Run…"), this, &RuleCard::dryRunRequested);
    menu->addSeparator();
    menu->addAction(tr("Move Up"), this, [this] { move(-1); });
    menu->addAction(tr("Move Down"), this, [this] { move(1); });
    menu->addSeparator();
    menu->addAction(Symbols::icon(QStringLiteral("trash")), tr("Delete Rule"), this, &RuleCard::deleteRule);
    return menu;
}

void RuleCard::deleteRule()
{
    m_model.store().remove(current());
}

void RuleCard::edit()
{
    m_model.edit(current());
}

void RuleCard::move(int delta)
{
    m_model.move(current(), delta);
}

StoredRule RuleCard::current() const
{
    return m_model.store().rule(m_stored.uuid).value_or(m_stored);
}

void RuleCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Roles::secondaryBackground(palette()));
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}

void RuleCard::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        edit();
}

bool RuleCard::event(QEvent *event)
{
    // Key presses the card's controls leave come here too.
    if (m_menuKeys.take(event, [this](QPoint globalPosition) { showContextMenu(globalPosition); }))
        return true;
    return QFrame::event(event);
}

void RuleCard::showContextMenu(QPoint globalPosition)
{
    if (globalPosition.isNull())
        globalPosition = ContextMenuKeys::atFocus(this, QPoint(padding, padding));
    QMenu *menu = makeMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}
