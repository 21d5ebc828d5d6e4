#include "AppearanceSettings.h"

#include "AccentPreview.h"
#include "AccentSwatch.h"
#include "FormSection.h"
#include "Roles.h"
#include "ThemeStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AppearanceSettings::AppearanceSettings(ThemeStore &store, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("appearanceSettings"));
    auto *layout = new QVBoxLayout(this);
    auto *section = new FormSection(QString(), this);
    auto *preview = new AccentPreview(section);
    auto *previewBox = new QWidget(section);
    auto *previewLayout = new QVBoxLayout(previewBox);
    previewLayout->setContentsMargins(0, 4, 0, 4);
    previewLayout->addWidget(preview);
    section->addRow(previewBox);

    auto *choices = new QWidget(section);
    auto *column = new QVBoxLayout(choices);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto *row = new QHBoxLayout;
    // The circles stand 8 apart; each swatch keeps room around its circle
    // for the focus ring.
    row->setSpacing(8 - 2 * AccentSwatch::ringRoom);
    row->addStretch();
    for (const Theme &theme : Theme::all()) {
        auto *swatch = new AccentSwatch(theme, choices);
        const QString id = theme.id;
        connect(swatch, &AccentSwatch::clicked, this, [this, id] { m_store.setThemeID(id); });
        row->addWidget(swatch);
        m_swatches.append(swatch);
    }
    column->addLayout(row);
    m_caption = new QLabel(choices);
    m_caption->setObjectName(QStringLiteral("themeName"));
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setAlignment(Qt::AlignRight);
    // Flush with the last circle, not with its swatch's ring room.
    m_caption->setContentsMargins(0, 0, AccentSwatch::ringRoom, 0);
    Roles::setFont(m_caption, Roles::Font::caption);
    Roles::setSecondary(m_caption);
    column->addWidget(m_caption);
    section->addRow(tr("Accent color"), choices);
    layout->addWidget(section);
    layout->addStretch();

    connect(&m_store, &ThemeStore::changed, this, &AppearanceSettings::refresh);
    refresh();
}

void AppearanceSettings::refresh()
{
    // The stored id marks a swatch; an id that names no theme marks none.
    for (AccentSwatch *swatch : m_swatches)
        swatch->setSelected(swatch->theme().id == m_store.themeID());
    m_caption->setText(m_store.theme().name);
}
