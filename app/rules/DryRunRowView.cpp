#include "DryRunRowView.h"

#include "Chip.h"
#include "DryRunView.h"
#include "FileIcon.h"
#include "FileNameLabel.h"
#include "LineLimitedLabel.h"
#include "RecognitionLine.h"
#include "Roles.h"
#include "Symbols.h"
#include "ThemeStore.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int iconSize = 28;
constexpr int arrowSize = 14;
} // namespace

DryRunRowView::DryRunRowView(const DryRunRow &row, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(12);
    layout->addWidget(new FileIcon(row.file, iconSize, this), 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(4);
    auto *name = new FileNameLabel(QFileInfo(row.file).fileName(), this);
    name->setObjectName(QStringLiteral("name"));
    column->addWidget(name);

    auto *state = new QHBoxLayout;
    state->setSpacing(4);
    m_arrow = new QLabel(this);
    state->addWidget(m_arrow, 0, Qt::AlignTop);
    m_state = new LineLimitedLabel(2, this);
    m_state->setObjectName(QStringLiteral("state"));
    state->addWidget(m_state, 1);
    column->addLayout(state);

    m_review = new Chip(tr("would wait for you to check"), QStringLiteral("hand.raised"), this);
    m_review->setObjectName(QStringLiteral("review"));
    column->addWidget(m_review, 0, Qt::AlignLeft);
    m_recognition = new RecognitionLine(Recognition(), this);
    column->addWidget(m_recognition);
    layout->addLayout(column, 1);
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, &DryRunRowView::refreshColours);
    setRow(row);
}

void DryRunRowView::setRow(const DryRunRow &row)
{
    m_row = row;
    const bool matched = !row.reading && row.plan;
    m_arrow->setVisible(matched);
    m_state->setText(stateText());
    // A plan or a refusal is told in at most two lines; the tooltip has all of it.
    m_state->setToolTip(matched || row.failure ? m_state->text() : QString());
    m_review->setVisible(matched && row.waitsForReview());
    m_recognition->setVisible(row.recognition.has_value());
    if (row.recognition)
        m_recognition->setRecognition(*row.recognition);
    refreshColours();
}

QString DryRunRowView::stateText() const
{
    if (m_row.reading)
        return tr("Reading…");
    if (m_row.failure)
        return *m_row.failure;
    if (m_row.plan)
        return DryRunView::describe(*m_row.plan);
    return tr("No match, stays as it is");
}

void DryRunRowView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refreshColours();
}

void DryRunRowView::refreshColours()
{
    const bool matched = !m_row.reading && m_row.plan;
    const QColor text = matched ? ThemeStore::instance().theme().accentText(palette()) : Roles::secondary(palette());
    QPalette colours = m_state->palette();
    colours.setColor(QPalette::WindowText, text);
    m_state->setPalette(colours);
    if (matched)
        m_arrow->setPixmap(Symbols::tinted(QStringLiteral("arrow.turn.down.right"), arrowSize,
                                           Roles::secondary(palette()), devicePixelRatioF()));
}
