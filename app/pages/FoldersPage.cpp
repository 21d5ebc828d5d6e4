#include "FoldersPage.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "FolderRow.h"
#include "FormSection.h"
#include "ModelStatusText.h"
#include "PageTitle.h"
#include "StandardFolders.h"
#include "RealHome.h"
#include "Store.h"
#include "Symbols.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

FoldersPage::FoldersPage(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("foldersPage"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    // The window's tool bar shows the page's own actions.
    auto *add = new QAction(Symbols::icon(QStringLiteral("folder.badge.plus")), tr("Add Folder"), this);
    add->setObjectName(QStringLiteral("addFolderTool"));
    add->setToolTip(tr("Watch another folder (Ctrl+O)"));
    connect(add, &QAction::triggered, this, [this] { m_model.chooseFolder(true); });
    addAction(add);

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget(scroll);
    auto *page = new QVBoxLayout(content);
    page->setContentsMargins(20, 16, 20, 20);
    page->setSpacing(20);
    page->addWidget(new PageTitle(tr("Folders"), content));
    m_watchedRows = addSection(page, QStringLiteral("watchedFolders"), tr("Watched folders"),
                               tr("Filewright looks at new files here. Downloads and Desktop are the usual ones."),
                               tr("Add Folder…"), [this] { m_model.chooseFolder(true); });
    m_placeRows = addSection(page, QStringLiteral("places"), tr("Places"),
                             tr("Rules may move and copy files into these folders and their subfolders. "
                                "Filewright asks you once per folder."),
                             tr("Allow a Place…"),
                             [this] {
                                 m_model.chooseFolder(
                                     false, StandardFolders::path(StandardFolders::Folder::documents, RealHome::path()));
                             });
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
    auto *section = new FormSection(title, page->parentWidget());
    section->setFooter(footer);
    auto *rows = new QWidget(section);
    rows->setObjectName(name);
    auto *rowsLayout = new QVBoxLayout(rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    section->addRow(rows);
    if (!button.isEmpty()) {
        auto *push = new QPushButton(Symbols::icon(QStringLiteral("plus")), button, section);
        connect(push, &QPushButton::clicked, this, action);
        auto *line = new QHBoxLayout;
        line->addWidget(push);
        line->addStretch(1);
        section->form()->addRow(line);
    }
    page->addWidget(section);
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
