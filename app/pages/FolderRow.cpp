#include "FolderRow.h"

#include "AppModel.h"
#include "FileIcon.h"
#include "FileManager.h"
#include "FileNameLabel.h"
#include "FocusRing.h"
#include "RealHome.h"
#include "Roles.h"
#include "ToggleSwitch.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Where a menu opened from the keyboard on the row itself stands: under the start of its name.
constexpr int menuIndent = 36;
constexpr qreal focusRadius = 6;
} // namespace

FolderRow::FolderRow(AppModel &model, const WatchedFolder &folder, bool watched, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_folder(folder)
    , m_watched(watched)
{
    setObjectName(QStringLiteral("folderRow"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(focusRoom, 4, focusRoom, 4);
    row->setSpacing(12);

    row->addWidget(new FileIcon(folder.displayPath, 24, this));

    auto *text = new QVBoxLayout;
    text->setSpacing(2);
    auto *name = new FileNameLabel(folder.name(), this);
    name->setObjectName(QStringLiteral("name"));
    auto *path = new FileNameLabel(RealHome::abbreviate(folder.displayPath), this);
    path->setObjectName(QStringLiteral("path"));
    Roles::setFont(path, Roles::Font::callout);
    Roles::setSecondary(path);
    for (QLabel *label : {name, path}) {
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(0);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    text->addWidget(name);
    text->addWidget(path);
    row->addLayout(text, 1);

    addControls();
    // Without controls, the row is the keyboard's stop, named as it reads.
    if (m_controls.isEmpty()) {
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(folder.name());
        setAccessibleDescription(RealHome::abbreviate(folder.displayPath));
    }

    // The context menu's entries.
    auto *show = new QAction(tr("Show in File Manager"), this);
    show->setObjectName(QStringLiteral("showInFileManager"));
    connect(show, &QAction::triggered, this, [this] { FileManager::showItems({m_folder.displayPath}); });
    auto *remove = new QAction(tr("Remove"), this);
    remove->setObjectName(QStringLiteral("remove"));
    connect(remove, &QAction::triggered, this, [this] { m_model.removeFolder(m_folder); });
    addActions({show, remove});
}

void FolderRow::addControls()
{
    auto *row = static_cast<QHBoxLayout *>(layout());
    if (m_folder.needsReselect) {
        auto *again = new QPushButton(tr("Choose Again…"), this);
        again->setObjectName(QStringLiteral("chooseAgain"));
        again->setToolTip(tr("Filewright can no longer open this folder. Pick it once more."));
        connect(again, &QPushButton::clicked, this, [this] {
            m_model.chooseFolder(m_watched, m_folder.displayPath);
        });
        row->addWidget(again);
        m_controls = {again};
        return;
    }
    if (!m_watched)
        return;
    auto *subfolders = new QCheckBox(tr("Subfolders"), this);
    subfolders->setObjectName(QStringLiteral("subfolders"));
    subfolders->setToolTip(tr("Also look at new files in subfolders"));
    subfolders->setChecked(m_folder.includeSubfolders);
    auto *watch = new ToggleSwitch(this);
    watch->setObjectName(QStringLiteral("watch"));
    watch->setAccessibleName(tr("Watch"));
    watch->setToolTip(tr("Watch"));
    watch->setChecked(m_folder.isEnabled);
    const auto write = [this, subfolders, watch] {
        m_model.setWatching(m_folder, watch->isChecked(), subfolders->isChecked());
    };
    connect(subfolders, &QCheckBox::toggled, this, write);
    connect(watch, &ToggleSwitch::toggled, this, write);
    row->addWidget(subfolders);
    row->addWidget(watch, 0, Qt::AlignVCenter);
    m_controls = {subfolders, watch};
}

QList<QWidget *> FolderRow::tabStops() const
{
    if (m_controls.isEmpty())
        return {const_cast<FolderRow *>(this)};
    return m_controls;
}

bool FolderRow::event(QEvent *event)
{
    // Key presses the row's controls leave come here too.
    if (m_menuKeys.take(event, [this](QPoint globalPosition) { showContextMenu(globalPosition); }))
        return true;
    return QWidget::event(event);
}

void FolderRow::showContextMenu(QPoint globalPosition)
{
    if (globalPosition.isNull())
        globalPosition = ContextMenuKeys::atFocus(this, QPoint(menuIndent, height() / 2));
    // The row may be removed by its own menu: it is deleted only once this returns.
    QMenu::exec(actions(), globalPosition, nullptr, this);
}

void FolderRow::paintEvent(QPaintEvent *)
{
    if (!hasFocus())
        return;
    QPainter painter(this);
    FocusRing::paint(painter, rect(), FocusRing::colour(palette()), focusRadius);
}
