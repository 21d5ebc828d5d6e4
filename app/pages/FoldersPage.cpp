#include "FoldersPage.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "FolderRow.h"
#include "ModelStatusText.h"
#include "RealHome.h"
#include "Store.h"
#include "Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

FoldersPage::FoldersPage(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("foldersPage"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(20, 12, 12, 0);
    auto *title = new QLabel(tr("Folders"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    header->addWidget(title);
    header->addStretch(1);
    auto *add = new QToolButton(this);
    add->setObjectName(QStringLiteral("addFolderTool"));
    add->setText(tr("Add Folder"));
    add->setIcon(Symbols::icon(QStringLiteral("folder.badge.plus")));
    add->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    add->setToolTip(tr("Watch another folder (Ctrl+O)"));
    connect(add, &QToolButton::clicked, this, [this] { m_model.chooseFolder(true); });
    header->addWidget(add);
    outer->addLayout(header);

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget(scroll);
    auto *page = new QVBoxLayout(content);
    page->setContentsMargins(20, 12, 20, 20);
    page->setSpacing(18);
    m_watchedRows = addSection(page, QStringLiteral("watchedFolders"), tr("Watched folders"),
                               tr("Filewright looks at new files here. Downloads and Desktop are the usual ones."),
                               tr("Add Folder…"), [this] { m_model.chooseFolder(true); });
    m_placeRows = addSection(page, QStringLiteral("places"), tr("Places"),
                             tr("Rules may move and copy files into these folders and their subfolders. "
                                "Filewright asks you once per folder."),
                             tr("Allow a Place…"),
                             [this] { m_model.chooseFolder(false, RealHome::path() + QStringLiteral("/Documents")); });
    QWidget *reading = addSection(page, QStringLiteral("readingFileContent"), tr("Reading file content"), {});
    auto *status = new QHBoxLayout;
    status->setSpacing(8);
    m_statusIcon = new QLabel(reading);
    m_statusText = new QLabel(reading);
    m_statusText->setObjectName(QStringLiteral("modelStatus"));
    m_statusText->setWordWrap(true);
    status->addWidget(m_statusIcon, 0, Qt::AlignTop);
    status->addWidget(m_statusText, 1);
    static_cast<QVBoxLayout *>(reading->layout())->addLayout(status);
    page->addStretch(1);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed) {
        if (changed == Store::Model::watchedFolder)
            refreshFolders();
    });
    connect(&m_model.autopilot(), &Autopilot::modelStatusChanged, this, &FoldersPage::refreshModelStatus);
    refreshFolders();
    refreshModelStatus();
}

QWidget *FoldersPage::addSection(QVBoxLayout *page, const QString &name, const QString &title,
                                 const QString &footer, const QString &button, const std::function<void()> &action)
{
    QWidget *content = page->parentWidget();
    auto *header = new QLabel(title, content);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    page->addWidget(header);
    auto *section = new QVBoxLayout;
    section->setSpacing(4);
    auto *rows = new QWidget(content);
    rows->setObjectName(name);
    auto *rowsLayout = new QVBoxLayout(rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    section->addWidget(rows);
    if (!button.isEmpty()) {
        auto *push = new QPushButton(Symbols::icon(QStringLiteral("plus")), button, content);
        connect(push, &QPushButton::clicked, this, action);
        section->addWidget(push, 0, Qt::AlignLeft);
    }
    if (!footer.isEmpty()) {
        auto *note = new QLabel(footer, content);
        note->setWordWrap(true);
        note->setForegroundRole(QPalette::PlaceholderText);
        section->addWidget(note);
    }
    page->addLayout(section);
    return rows;
}

void FoldersPage::refreshFolders()
{
    for (QWidget *rows : {m_watchedRows, m_placeRows}) {
        while (QLayoutItem *item = rows->layout()->takeAt(0)) {
            // A row may be the sender of the change being shown: it goes later.
            if (QWidget *row = item->widget()) {
                row->hide();
                row->setParent(nullptr);
                row->deleteLater();
            }
            delete item;
        }
    }
    for (const WatchedFolder &folder : m_model.folders()) {
        QWidget *rows = folder.isWatched ? m_watchedRows : m_placeRows;
        rows->layout()->addWidget(new FolderRow(m_model, folder, folder.isWatched, rows));
    }
}

void FoldersPage::refreshModelStatus()
{
    const ModelStatus status = m_model.autopilot().modelStatus();
    m_statusIcon->setPixmap(Symbols::icon(ModelStatusText::symbol(status)).pixmap(18, 18));
    m_statusText->setText(ModelStatusText::text(status));
}
