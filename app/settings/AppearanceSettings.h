// The Appearance tab: the accent preview and one swatch per accent theme,
// with the current theme's name beneath. A click chooses at once; the
// choice lives in the ThemeStore.
#pragma once

#include <QList>
#include <QWidget>

class AccentSwatch;
class QLabel;
class ThemeStore;

class AppearanceSettings : public QWidget
{
    Q_OBJECT

public:
    explicit AppearanceSettings(ThemeStore &store, QWidget *parent = nullptr);

    const QList<AccentSwatch *> &swatches() const { return m_swatches; }

private:
    void refresh();

    ThemeStore &m_store;
    QList<AccentSwatch *> m_swatches;
    QLabel *m_caption = nullptr;
};
