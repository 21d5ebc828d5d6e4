#include "MenuBarPanel.h"

#include "Autopilot.h"
#include "ControlEdge.h"
#include "FileIcon.h"
#include "FileNameText.h"
#include "FocusPlace.h"
#include "ProminentButton.h"
#include "RealHome.h"
#include "Roles.h"
#include "Store.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 24;
// The journal entry an "Undo" button undoes.
constexpr char entryIdProperty[] = "entryId";

QLabel *elidedLabel(const QString &text, Qt::TextElideMode mode, int width, QWidget *parent,
                    Roles::Font font = Roles::Font::body)
{
    auto *label = new QLabel(parent);
    Roles::setFont(label, font);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(1);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const QString line = FileNameText::oneLine(text);
    label->setText(QFontMetrics(label->font()).elidedText(line, mode, width));
    label->setToolTip(line);
    return label;
}

} // namespace

MenuBarPanel::MenuBarPanel(AppModel &model, std::function<void()> openMainWindow, QWidget *parent)
    : QFrame(parent, Qt::Popup)
    , m_model(model)
    , m_openMainWindow(std::move(openMainWindow))
{
    setObjectName(QStringLiteral("menuBarPanel"));
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(panelWidth);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);

    auto *header = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("Filewright"), this);
    Roles::setFont(title, Roles::Font::headline);
    header->addWidget(title);
    header->addStretch();
    m_busy = new QProgressBar(this);
    m_busy->setObjectName(QStringLiteral("busy"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setFixedSize(48, 8);
    header->addWidget(m_busy);
    layout->addLayout(header);

    m_empty = new QLabel(tr("Nothing filed yet. New files in your watched folders show up here."), this);
    m_empty->setObjectName(QStringLiteral("emptyText"));
    m_empty->setWordWrap(true);
    Roles::setSecondary(m_empty);
    layout->addWidget(m_empty);

    m_rows = new QVBoxLayout;
    m_rows->setSpacing(12);
    layout->addLayout(m_rows);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);

    auto *footer = new QHBoxLayout;
    m_toCheck = new ProminentButton(QString(), this);
    m_toCheck->setObjectName(QStringLiteral("toCheck"));
    // Return and Enter press the focused button, as nothing here is the default.
    m_toCheck->setAutoDefault(true);
    connect(m_toCheck, &QPushButton::clicked, this, [this] { open(AppModel::JournalFilter::review); });
    footer->addWidget(m_toCheck);
    footer->addStretch();
    m_openButton = new QPushButton(tr("Open Filewright"), this);
    m_openButton->setObjectName(QStringLiteral("openMainWindow"));
    m_openButton->setAutoDefault(true);
    connect(m_openButton, &QPushButton::clicked, this, [this] { open(AppModel::JournalFilter::all); });
    footer->addWidget(m_openButton);
    layout->addLayout(footer);

    m_place = new FocusPlace(this);

    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed, qint64, Store::Change) {
        // A hidden panel is brought up to date when it pops up.
        if (changed != Store::Model::journalEntry || m_refreshQueued || !isVisible())
            return;
        // A burst of changes (a clean-up, a sweep) redraws the panel once.
        m_refreshQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_refreshQueued = false;
            refresh();
        });
    });
    connect(&m_model.autopilot(), &Autopilot::busyFilesChanged, this, &MenuBarPanel::refreshBusy);
    refresh();
    refreshBusy();
}

QString MenuBarPanel::line(const JournalEntry &entry)
{
    switch (entry.status()) {
    case JournalEntry::Status::done:
        if (const std::optional<Recognition> recognition = entry.recognition())
            return Autopilot::summary(*recognition);
        return RealHome::abbreviate(QFileInfo(entry.newPath).path());
    case JournalEntry::Status::review:
        return tr("Please check");
    case JournalEntry::Status::undone:
        return tr("Undone");
    case JournalEntry::Status::failed:
        return tr("Not done");
    case JournalEntry::Status::trashed:
        return tr("In the Trash");
    case JournalEntry::Status::skipped:
        return tr("Skipped");
    }
    return {};
}

void MenuBarPanel::refresh()
{
    // The entry whose "Undo" has the focus keeps it in its new row.
    const QWidget *focused = focusWidget();
    const QVariant focusedEntry = focused && focused->objectName() == QLatin1String("undo")
        ? focused->property(entryIdProperty) : QVariant();
    while (QLayoutItem *item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<JournalEntry> recent = m_model.store().journal(recentCount);
    // Tab goes down the rows' "Undo" buttons, then on to the footer.
    QWidget *previous = nullptr;
    QPushButton *focusedUndo = nullptr;
    QWidget *focusedRow = nullptr;
    QWidget *undoAbove = nullptr;
    for (const JournalEntry &entry : recent) {
        QWidget *widget = row(entry);
        m_rows->addWidget(widget);
        widget->show(); // now, so that its Undo can take the focus
        if (focusedEntry.isValid() && focusedEntry.toLongLong() == entry.id) {
            focusedRow = widget;
            undoAbove = previous;
        }
        if (auto *undo = widget->findChild<QPushButton *>(QStringLiteral("undo"))) {
            if (previous)
                setTabOrder(previous, undo);
            previous = undo;
            if (focusedEntry.isValid() && focusedEntry.toLongLong() == entry.id)
                focusedUndo = undo;
        }
    }
    if (previous)
        setTabOrder(previous, m_toCheck);
    setTabOrder(m_toCheck, m_openButton);
    m_empty->setVisible(recent.isEmpty());

    const qint64 waiting = m_model.store().journalCount(JournalEntry::Status::review);
    m_toCheck->setText(tr("%n to Check", nullptr, int(waiting)));
    m_toCheck->setVisible(waiting > 0);
    if (focusedUndo)
        focusedUndo->setFocus(Qt::OtherFocusReason);
    else if (focusedRow)
        // Its Undo went (it was undone): the focus stays on its row, not on
        // a button a Space would press.
        m_place->hold(focusedRow, undoAbove);
    else if (focusedEntry.isValid() || !focusWidget() || !focusWidget()->isVisibleTo(this))
        focusFirst();
    if (isVisible()) {
        // New rows grow the panel downwards: it moves up as far as it must
        // to stay on the screen.
        adjustSize();
        place();
    }
}

void MenuBarPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    // Square and whole to its corners, as the window is.
    QPainter painter(this);
    painter.setPen(ControlEdge::colour(palette()));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MenuBarPanel::focusFirst()
{
    // Never an "Undo": a Space pressed at once must not undo a filing.
    (m_toCheck->isVisibleTo(this) ? m_toCheck : m_openButton)->setFocus(Qt::PopupFocusReason);
}

void MenuBarPanel::refreshBusy()
{
    m_busy->setVisible(!m_model.autopilot().busyFiles().isEmpty());
}

QWidget *MenuBarPanel::row(const JournalEntry &entry)
{
    const bool done = entry.status() == JournalEntry::Status::done;
    auto *widget = new QWidget(this);
    widget->setObjectName(QStringLiteral("entryRow"));
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    layout->addWidget(new FileIcon(done ? entry.newPath : entry.originalPath, iconSize, widget), 0, Qt::AlignTop);

    QPushButton *undo = nullptr;
    if (done && entry.performed()) {
        undo = new QPushButton(tr("Undo"), widget);
        undo->setObjectName(QStringLiteral("undo"));
        undo->setAutoDefault(true);
        undo->setProperty(entryIdProperty, entry.id);
        const qint64 id = entry.id;
        connect(undo, &QPushButton::clicked, this, [this, id] {
            // The entry as stored now, not as it was when the row was drawn;
            // the file moves back off the main thread.
            m_model.autopilot().startUndo(id);
        });
    }
    // The texts get what the panel's frame and padding, the icon and the button leave.
    const int textWidth =
        panelWidth - 2 * frameWidth() - 2 * 16 - iconSize - 8 - (undo ? 8 + undo->sizeHint().width() : 0);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    QLabel *name = elidedLabel(done ? entry.fileName() : entry.originalName(), Qt::ElideMiddle, textWidth, widget);
    name->setObjectName(QStringLiteral("name"));
    texts->addWidget(name);
    QLabel *detail = elidedLabel(line(entry), Qt::ElideRight, textWidth, widget, Roles::Font::callout);
    detail->setObjectName(QStringLiteral("detail"));
    Roles::setSecondary(detail);
    texts->addWidget(detail);
    layout->addLayout(texts, 1);
    if (undo)
        layout->addWidget(undo, 0, Qt::AlignTop);
    return widget;
}

void MenuBarPanel::open(AppModel::JournalFilter filter)
{
    m_model.setSidebar(SidebarItem::journal);
    m_model.setJournalFilter(filter);
    hide();
    if (m_openMainWindow)
        m_openMainWindow();
}

void MenuBarPanel::popUp(const QPoint &position)
{
    m_anchor = position;
    refresh();
    adjustSize();
    place();
    focusFirst();
    show();
    raise();
    activateWindow();
    focusFirst();
}

void MenuBarPanel::place()
{
    if (!m_anchor)
        return;
    QPoint topLeft(m_anchor->x() - width() / 2, m_anchor->y());
    const QScreen *screen = QGuiApplication::screenAt(*m_anchor);
    if (!screen)
        screen = QWidget::screen();
    if (screen) {
        // A panel taller than the free area shows its top.
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - width())));
        topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - height())));
    }
    move(topLeft);
}
