#include "CommandPalette.h"

#include "AppModel.h"
#include "Diagnostics.h"
#include "FileNameText.h"
#include "RealHome.h"
#include "Roles.h"
#include "SidebarItem.h"
#include "Store.h"
#include "Symbols.h"
#include "ThemeStore.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int searchPadding = 16;
constexpr int searchSpacing = 8;
constexpr int rowPadding = 4;
constexpr int rowSpacing = 12;
constexpr int symbolWidth = 20;
constexpr int symbolSize = 16;
constexpr int lineSpacing = 2;
constexpr int highlightInset = 8;
constexpr qreal highlightRadius = 8;
constexpr qreal detailOpacityOnAccent = 0.8;

enum Role { detailRole = Qt::UserRole, symbolRole };

QString uuidText(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QString symbolOf(SidebarItem item)
{
    switch (item) {
    case SidebarItem::rules:
        return QStringLiteral("list.bullet.rectangle");
    case SidebarItem::journal:
        return QStringLiteral("clock.arrow.circlepath");
    case SidebarItem::folders:
        return QStringLiteral("folder");
    case SidebarItem::receipts:
        return QStringLiteral("doc.text.magnifyingglass");
    }
    return {};
}

} // namespace

// The matches as list rows; the palette tells it when they change.
class PaletteListModel : public QAbstractListModel
{
public:
    explicit PaletteListModel(const CommandPalette &palette, QObject *parent)
        : QAbstractListModel(parent)
        , m_palette(palette)
    {
    }

    void reset()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_palette.matches().size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_palette.matches().size())
            return {};
        const CommandPalette::Command &command = m_palette.commands().at(m_palette.matches().at(index.row()));
        switch (role) {
        case Qt::DisplayRole:
            return command.title;
        case detailRole:
            return command.detail;
        case symbolRole:
            return command.symbol;
        default:
            return {};
        }
    }

private:
    const CommandPalette &m_palette;
};

namespace {

// A row: the symbol in a narrow column, the title and, where there is one,
// the detail on one line beneath it; the highlighted row on an accent fill.
class PaletteRowDelegate : public QStyledItemDelegate
{
public:
    PaletteRowDelegate(const CommandPalette &palette, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_palette(palette)
        , m_detailFont(Roles::font(Roles::Font::callout))
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        int height = option.fontMetrics.height();
        if (!index.data(detailRole).toString().isEmpty())
            height += lineSpacing + QFontMetrics(m_detailFont).height();
        return {option.rect.width(), std::max(height, symbolSize) + 2 * rowPadding};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const Theme theme = ThemeStore::instance().theme();
        const bool highlighted = index.row() == m_palette.selected();
        const QPalette &palette = option.palette;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QColor titleColour = palette.color(QPalette::Text);
        QColor symbolColour = theme.accentText(palette);
        QColor detailColour = Roles::secondary(palette);
        if (highlighted) {
            const QRectF fill = QRectF(option.rect).adjusted(highlightInset, 0, -highlightInset, 0);
            painter->setPen(Qt::NoPen);
            painter->setBrush(theme.accent());
            painter->drawRoundedRect(fill, highlightRadius, highlightRadius);
            titleColour = symbolColour = theme.onAccent();
            detailColour = theme.onAccent();
            detailColour.setAlphaF(float(detailOpacityOnAccent));
        }
        const QRect inner = option.rect.adjusted(highlightInset * 2, rowPadding, -highlightInset * 2, -rowPadding);
        const QString symbol = index.data(symbolRole).toString();
        const QPixmap icon = this->icon(symbol, symbolColour, painter->device()->devicePixelRatioF());
        const QRect symbolRect(inner.left(), inner.top(), symbolWidth, inner.height());
        painter->drawPixmap(QRect(symbolRect.left() + (symbolWidth - symbolSize) / 2,
                                  symbolRect.top() + (symbolRect.height() - symbolSize) / 2, symbolSize, symbolSize),
                            icon);

        const int textLeft = symbolRect.right() + 1 + rowSpacing;
        const int textWidth = inner.right() - textLeft;
        const QString detail = index.data(detailRole).toString();
        const QFontMetrics titleMetrics(option.font);
        painter->setFont(option.font);
        painter->setPen(titleColour);
        QRect line(textLeft, inner.top(), textWidth, titleMetrics.height());
        painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                          titleMetrics.elidedText(index.data().toString(), Qt::ElideRight, textWidth));
        if (!detail.isEmpty()) {
            const QFontMetrics detailMetrics(m_detailFont);
            painter->setFont(m_detailFont);
            painter->setPen(detailColour);
            line = QRect(textLeft, line.bottom() + 1 + lineSpacing, textWidth, detailMetrics.height());
            painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                              detailMetrics.elidedText(detail, Qt::ElideRight, textWidth));
        }
        painter->restore();
    }

private:
    QPixmap icon(const QString &symbol, const QColor &colour, qreal ratio) const
    {
        const QString key = symbol + colour.name(QColor::HexArgb) + QString::number(ratio);
        auto found = m_icons.constFind(key);
        if (found != m_icons.constEnd())
            return *found;
        // Every symbol is drawn in the row's colour.
        return *m_icons.insert(key, Symbols::tinted(symbol, symbolSize, colour, ratio));
    }

    const CommandPalette &m_palette;
    const QFont m_detailFont;
    mutable QHash<QString, QPixmap> m_icons;
};

} // namespace

CommandPalette::CommandPalette(AppModel &model, std::function<void()> openSettings, QWidget *parent)
    : Sheet(parent)
    , m_model(model)
    , m_openSettings(std::move(openSettings))
{
    setObjectName(QStringLiteral("commandPalette"));
    setWindowTitle(tr("Command Palette"));
    setFixedSize(fixedSize);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(searchPadding, searchPadding, searchPadding, searchPadding);
    bar->setSpacing(searchSpacing);
    auto *glass = new QLabel(this);
    glass->setObjectName(QStringLiteral("glass"));
    glass->setPixmap(Symbols::tinted(QStringLiteral("magnifyingglass"), symbolSize, Roles::secondary(palette()),
                                     devicePixelRatioF()));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setFrame(false);
    QPalette field = m_search->palette();
    field.setColor(QPalette::Base, Qt::transparent);
    m_search->setPalette(field);
    m_search->setPlaceholderText(tr("Rules, folders, pages"));
    Roles::setFont(m_search, Roles::Font::title3);
    m_search->installEventFilter(this);
    // A sheet gives the focus to itself when it shows, so that no field
    // takes it; the palette is there to be typed into, so its search does.
    setFocusProxy(m_search);
    bar->addWidget(glass);
    bar->addWidget(m_search, 1);
    layout->addLayout(bar);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);

    auto *area = new QGridLayout;
    area->setContentsMargins(0, 4, 0, 4);
    m_listModel = new PaletteListModel(*this, this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("commands"));
    m_list->setModel(m_listModel);
    m_list->setItemDelegate(new PaletteRowDelegate(*this, m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    m_noMatches = new QLabel(tr("No matches"), this);
    m_noMatches->setObjectName(QStringLiteral("noMatches"));
    Roles::setSecondary(m_noMatches);
    area->addWidget(m_list, 0, 0);
    area->addWidget(m_noMatches, 0, 0, Qt::AlignCenter);
    layout->addLayout(area, 1);

    connect(m_search, &QLineEdit::textChanged, this, [this] {
        rematch();
        setSelected(0);
    });
    connect(m_search, &QLineEdit::returnPressed, this, &CommandPalette::runSelected);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) {
        setSelected(index.row());
        runSelected();
    });
    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed) {
        if (changed != Store::Model::storedRule && changed != Store::Model::watchedFolder)
            return;
        if (m_rebuildScheduled)
            return;
        m_rebuildScheduled = true;
        QTimer::singleShot(0, this, &CommandPalette::rebuild);
    });
    connect(&ThemeStore::instance(), &ThemeStore::changed, m_list->viewport(), qOverload<>(&QWidget::update));
    rebuild();
}

CommandPalette::~CommandPalette() = default;

void CommandPalette::rebuild()
{
    m_rebuildScheduled = false;
    AppModel &model = m_model;
    QList<Command> commands;
    for (const SidebarItem item : SidebarItems::allCases) {
        commands.append({QStringLiteral("page-") + SidebarItems::rawValue(item),
                         tr("Go to %1").arg(SidebarItems::title(item)), QString(), symbolOf(item),
                         [&model, item] { model.setSidebar(item); }});
    }
    commands.append({QStringLiteral("new"), tr("New Rule"), QString(), QStringLiteral("plus"),
                     [&model] { model.newRule(); }});
    commands.append({QStringLiteral("describe"), tr("Describe a Rule…"), QString(), QStringLiteral("apple.intelligence"),
                     [&model] { model.focusDescribeField(); }});
    commands.append({QStringLiteral("review"), tr("Show Items to Check"), QString(),
                     QStringLiteral("exclamationmark.circle"), [&model] {
                         model.setSidebar(SidebarItem::journal);
                         model.setJournalFilter(AppModel::JournalFilter::review);
                     }});
    for (const WatchedFolder &folder : model.watchedFolders()) {
        const QUuid uuid = folder.uuid;
        commands.append({QStringLiteral("clean-") + uuidText(uuid), tr("Clean Up %1 Now").arg(FileNameText::shortened(folder.name())),
                         FileNameText::path(RealHome::abbreviate(folder.displayPath)), QStringLiteral("sparkles"), [&model, uuid] {
                             // The folder as it is stored when the command runs.
                             if (const std::optional<WatchedFolder> now = model.store().folder(uuid))
                                 model.cleanUp(*now);
                         }});
    }
    for (const StoredRule &stored : model.store().rules()) {
        const Rule rule = stored.rule();
        const QUuid uuid = stored.uuid;
        commands.append({QStringLiteral("rule-") + uuidText(rule.id), tr("Edit Rule “%1”").arg(rule.name),
                         model.sentence(rule, stored.folderID), QStringLiteral("list.bullet.rectangle"),
                         [&model, uuid] {
                             model.setSidebar(SidebarItem::rules);
                             if (const std::optional<StoredRule> now = model.store().rule(uuid))
                                 model.edit(*now);
                         }});
    }
    commands.append({QStringLiteral("folder"), tr("Add Folder…"), QString(), QStringLiteral("folder.badge.plus"),
                     [&model] { model.chooseFolder(true); }});
    commands.append({QStringLiteral("settings"), tr("Settings…"), QString(), QStringLiteral("gearshape"),
                     m_openSettings ? m_openSettings : std::function<void()>([] {})});
    commands.append({QStringLiteral("diagnostics"), tr("Copy Diagnostics"), QString(), QStringLiteral("stethoscope"),
                     [&model] {
                         QClipboard *clipboard = QGuiApplication::clipboard();
                         clipboard->clear();
                         clipboard->setText(Diagnostics::text(model));
                     }});

    m_commands = std::move(commands);
    m_searchTexts.clear();
    m_searchTexts.reserve(m_commands.size());
    for (const Command &command : std::as_const(m_commands))
        m_searchTexts.append((command.title + u' ' + command.detail).toLower());
    rematch();
}

QList<int> CommandPalette::match(const QStringList &searchTexts, const QString &query)
{
    const QStringList words = query.toLower().split(u' ', Qt::SkipEmptyParts);
    QList<int> result;
    result.reserve(searchTexts.size());
    for (int i = 0; i < searchTexts.size(); ++i) {
        const QString &text = searchTexts.at(i);
        if (std::all_of(words.begin(), words.end(), [&](const QString &word) { return text.contains(word); }))
            result.append(i);
    }
    return result;
}

void CommandPalette::rematch()
{
    m_matches = match(m_searchTexts, m_search->text());
    m_listModel->reset();
    m_noMatches->setVisible(m_matches.isEmpty());
    // The highlighted row keeps its number (typing sets it afresh).
    setSelected(m_selected);
}

bool CommandPalette::showsNoMatches() const
{
    return !m_noMatches->isHidden();
}

void CommandPalette::setSelected(int selected)
{
    m_selected = selected;
    if (m_selected >= 0 && m_selected < m_matches.size())
        m_list->scrollTo(m_listModel->index(m_selected), QAbstractItemView::EnsureVisible);
    m_list->viewport()->update();
}

void CommandPalette::runSelected()
{
    if (m_selected < 0 || m_selected >= m_matches.size())
        return;
    const Command command = m_commands.at(m_matches.at(m_selected));
    reject();
    // Runs on the AppModel, which outlives the closed palette.
    QTimer::singleShot(runDelayMs, &m_model, command.run);
}

bool CommandPalette::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Down:
            setSelected(std::min(m_selected + 1, int(m_matches.size()) - 1));
            return true;
        case Qt::Key_Up:
            setSelected(std::max(m_selected - 1, 0));
            return true;
        case Qt::Key_Escape:
            reject();
            return true;
        default:
            break;
        }
    }
    return Sheet::eventFilter(watched, event);
}

void CommandPalette::showEvent(QShowEvent *event)
{
    Sheet::showEvent(event);
    m_search->setFocus(Qt::OtherFocusReason);
}
