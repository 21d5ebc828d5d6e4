#include "SettingsWindow.h"

#include "AppModel.h"
#include "AppearanceSettings.h"
#include "FitsContentArea.h"
#include "GeneralSettings.h"
#include "NameSettings.h"
#include "ReturnKey.h"
#include "Symbols.h"
#include "ThemeStore.h"
#include "WindowHook.h"

#include <QKeyEvent>
#include <QTabBar>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(AppModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_model(model)
{
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(tr("Filewright Settings"));
    // A hidden page takes no room, so the window is as tall as the shown one.
    // Exactly as wide as a page: no margin beside it.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, layout->contentsMargins().top(), 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_tabs = new QTabBar(this);
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    layout->addWidget(m_tabs, 0, Qt::AlignHCenter);
    for (const SettingsTab tab : SettingsTabs::allCases) {
        auto *area = new FitsContentArea(maximumPageHeight, this);
        area->setObjectName(SettingsTabs::rawValue(tab));
        area->setFixedWidth(pageWidth);
        area->setFrameShape(QFrame::NoFrame);
        area->setContent(page(tab));
        area->hide();
        layout->addWidget(area);
        m_pages.append(area);
        m_tabs->addTab(Symbols::icon(SettingsTabs::symbol(tab)), SettingsTabs::title(tab));
    }
    showModelTab();
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0)
            m_model.setSettingsTab(SettingsTabs::allCases[std::size_t(index)]);
        showCurrentPage();
    });
    connect(&m_model, &AppModel::settingsTabChanged, this, &SettingsWindow::showModelTab);
    WindowHook::install(this);
}

QWidget *SettingsWindow::page(SettingsTab tab)
{
    switch (tab) {
    case SettingsTab::general:
        return new GeneralSettings(m_model.autopilot());
    case SettingsTab::names:
        return new NameSettings;
    case SettingsTab::appearance:
        break;
    }
    return new AppearanceSettings(ThemeStore::instance());
}

void SettingsWindow::showModelTab()
{
    {
        const QSignalBlocker blocker(m_tabs);
        m_tabs->setCurrentIndex(int(m_model.settingsTab()));
    }
    showCurrentPage();
}

void SettingsWindow::showCurrentPage()
{
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == m_tabs->currentIndex());
}

void SettingsWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->keyCombination() == QKeyCombination(Qt::NoModifier, Qt::Key_Escape)) {
        close();
        return;
    }
    if (ReturnKey::pressFocusedButton(event, this))
        return;
    QWidget::keyPressEvent(event);
}
