// The settings window: one tab per settings page (General, Names,
// Appearance). The tab shown is the AppModel's, so the window opens on the
// tab last used and follows a tab chosen elsewhere. The window is as wide as
// a page and as tall as the shown page's content, up to a maximum; a taller
// page scrolls.
#pragma once

#include "SettingsTab.h"

#include <QList>
#include <QWidget>

class AppModel;
class FitsContentArea;
class QTabBar;

class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int pageWidth = 520;
    static constexpr int maximumPageHeight = 640;

    explicit SettingsWindow(AppModel &model, QWidget *parent = nullptr);

    QTabBar *tabs() const { return m_tabs; }

protected:
    // Escape closes the window, as a dialog's does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *page(SettingsTab tab);
    void showModelTab();
    // Shows the page of the current tab; the window takes its size.
    void showCurrentPage();

    AppModel &m_model;
    QTabBar *m_tabs = nullptr;
    QList<FitsContentArea *> m_pages;
};
