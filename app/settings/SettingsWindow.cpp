#include "SettingsWindow.h"

#include "AppModel.h"
#include "Symbols.h"

#include <QTabWidget>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(AppModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_model(model)
{
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(tr("Filewright Settings"));
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    for (const SettingsTab tab : SettingsTabs::allCases) {
        auto *page = new QWidget(m_tabs);
        page->setObjectName(SettingsTabs::rawValue(tab));
        page->setFixedWidth(pageWidth);
        m_tabs->addTab(page, Symbols::icon(SettingsTabs::symbol(tab)), SettingsTabs::title(tab));
    }
    layout->addWidget(m_tabs);
    showModelTab();
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0)
            m_model.setSettingsTab(SettingsTabs::allCases[std::size_t(index)]);
    });
    connect(&m_model, &AppModel::settingsTabChanged, this, &SettingsWindow::showModelTab);
}

void SettingsWindow::setPage(SettingsTab tab, QWidget *page)
{
    const int index = int(tab);
    const QSignalBlocker blocker(m_tabs);
    QWidget *old = m_tabs->widget(index);
    page->setFixedWidth(pageWidth);
    m_tabs->removeTab(index);
    m_tabs->insertTab(index, page, Symbols::icon(SettingsTabs::symbol(tab)), SettingsTabs::title(tab));
    old->deleteLater();
    showModelTab();
}

void SettingsWindow::showModelTab()
{
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(int(m_model.settingsTab()));
}
