#include "FoldersPage.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "FolderRow.h"
#include "FollowsFocusArea.h"
#include "FormSection.h"
#include "ModelStatusLine.h"
#include "PageTitle.h"
#include "StandardFolders.h"
#include "RealHome.h"
#include "Store.h"
#include "Symbols.h"
#include "TabOrder.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

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

    auto *scroll = new FollowsFocusArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget(scroll);
    auto *page = new QVBoxLayout(content);
    page->setContentsMargins(20, 16, 20, 20);
    page->setSpacing(20);
    page->addWidget(new PageTitle(tr("Folders"), content));
    m_watched = addSection(page, QStringLiteral("watchedFolders"), tr("Watched folders"),
                           tr("Filewright looks at new files here. Downloads and Desktop are the usual ones."),
                           tr("Add Folder…"), [this] { m_model.chooseFolder(true); });
    m_places = addSection(page, QStringLiteral("places"), tr("Places"),
                          tr("Rules may move and copy files into these folders and their subfolders. "
                             "Filewright asks you once per folder."),
                          tr("Allow a Place…"),
                          [this] {
                              m_model.chooseFolder(
                                  false, StandardFolders::path(StandardFolders::Folder::documents, RealHome::path()));
                          });
    QWidget *reading = addSection(page, QStringLiteral("readingFileContent"), tr("Reading file content"), {}).rows;
    m_status = new ModelStatusLine(m_model.autopilot().modelStatus(), ModelStatusLine::Look::plain, reading);
    m_status->setContentsMargins(FolderRow::focusRoom, 0, FolderRow::focusRoom, 0);
    reading->layout()->addWidget(m_status);
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

FoldersPage::Section FoldersPage::addSection(QVBoxLayout *page, const QString &name, const QString &title,
                                             const QString &footer, const QString &button,
                                             const std::function<void()> &action)
{
    auto *section = new FormSection(title, page->parentWidget());
    section->setFooter(footer);
    // The rows take the room for their focus ring from the section's margin;
    // what stands below them keeps its place.
    const QMargins margins = section->form()->contentsMargins();
    section->form()->setContentsMargins(margins.left() - FolderRow::focusRoom, margins.top(),
                                        margins.right() - FolderRow::focusRoom, margins.bottom());
    auto *rows = new QWidget(section);
    rows->setObjectName(name);
    auto *rowsLayout = new QVBoxLayout(rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    section->addRow(rows);
    QPushButton *push = nullptr;
    if (!button.isEmpty()) {
        push = new QPushButton(Symbols::icon(QStringLiteral("plus")), button, section);
        connect(push, &QPushButton::clicked, this, action);
        auto *line = new QHBoxLayout;
        line->setContentsMargins(FolderRow::focusRoom, 0, FolderRow::focusRoom, 0);
        line->addWidget(push);
        line->addStretch(1);
        section->form()->addRow(line);
    }
    page->addWidget(section);
    return {rows, push};
}

void FoldersPage::refreshFolders()
{
    // Which control had the focus, before the rows go.
    struct Focus
    {
        const Section *section = nullptr;
        QUuid folder;
        QString control; // its object name; empty for the row itself
        int row = 0;
    };
    std::optional<Focus> focus;
    // The window's own: while a row's menu is open, the menu has the application's focus.
    QWidget *focused = window()->focusWidget();
    for (const Section *section : {&m_watched, &m_places}) {
        const QList<FolderRow *> rows = rowsOf(*section);
        for (int i = 0; i < rows.size(); ++i) {
            const FolderRow *row = rows.at(i);
            if (focused && (row == focused || row->isAncestorOf(focused)))
                focus = Focus{section, row->folder().uuid, row == focused ? QString() : focused->objectName(), i};
        }
    }

    for (const Section *section : {&m_watched, &m_places}) {
        while (QLayoutItem *item = section->rows->layout()->takeAt(0)) {
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
        const Section &section = folder.isWatched ? m_watched : m_places;
        auto *row = new FolderRow(m_model, folder, folder.isWatched, section.rows);
        section.rows->layout()->addWidget(row);
        // Shown now, not once the event loop runs, so that it can take the focus at once.
        row->show();
    }
    orderTabs();

    if (!focus)
        return;
    const QList<FolderRow *> rows = rowsOf(m_watched) + rowsOf(m_places);
    const QList<FolderRow *> inSection = rowsOf(*focus->section);
    QWidget *target = focus->section->button;
    const auto same = std::find_if(rows.begin(), rows.end(),
                                   [&](const FolderRow *row) { return row->folder().uuid == focus->folder; });
    if (same != rows.end()) {
        const QList<QWidget *> stops = (*same)->tabStops();
        const auto control = std::find_if(stops.begin(), stops.end(),
                                          [&](const QWidget *stop) { return stop->objectName() == focus->control; });
        target = control != stops.end() ? *control : stops.constFirst();
    } else if (focus->row < inSection.size()) {
        target = inSection.at(focus->row)->tabStops().constFirst();
    }
    target->setFocus(Qt::OtherFocusReason);
}

QList<FolderRow *> FoldersPage::rowsOf(const Section &section)
{
    QList<FolderRow *> rows;
    for (int i = 0; i < section.rows->layout()->count(); ++i)
        rows.append(static_cast<FolderRow *>(section.rows->layout()->itemAt(i)->widget()));
    return rows;
}

void FoldersPage::orderTabs()
{
    QList<QWidget *> stops;
    for (const Section *section : {&m_watched, &m_places}) {
        for (const FolderRow *row : rowsOf(*section))
            stops.append(row->tabStops());
        stops.append(section->button);
    }
    TabOrder::chain(stops);
}

void FoldersPage::refreshModelStatus()
{
    m_status->setStatus(m_model.autopilot().modelStatus());
}
