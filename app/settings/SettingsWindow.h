// The settings window: one tab per settings page; the tab shown is the
// AppModel's, so it opens on the tab last used.
#pragma once

#include "SettingsTab.h"

#include <QWidget>

class AppModel;
class QTabWidget;

class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int pageWidth = 520;

    explicit SettingsWindow(AppModel &model, QWidget *parent = nullptr);

    // The page of a tab; pages of later features replace the placeholders.
    void setPage(SettingsTab tab, QWidget *page);
    QTabWidget *tabs() const { return m_tabs; }

private:
    void showModelTab();

    AppModel &m_model;
    QTabWidget *m_tabs = nullptr;
};
