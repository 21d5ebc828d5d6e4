#include "DryRunRowView.h"

#include "Autopilot.h"
#include "DryRunView.h"
#include "Symbols.h"

#include <QFileIconProvider>
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
    m_icon = new QLabel(this);
    m_icon->setPixmap(QFileIconProvider().icon(QFileInfo(row.file)).pixmap(iconSize, iconSize));
    m_icon->setFixedSize(iconSize, iconSize);
    layout->addWidget(m_icon, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(4);
    m_name = new QLabel(QFileInfo(row.file).fileName(), this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setTextFormat(Qt::PlainText);
    column->addWidget(m_name);

    auto *state = new QHBoxLayout;
    state->setSpacing(4);
    m_arrow = new QLabel(this);
    static const QIcon arrowIcon = Symbols::icon(QStringLiteral("arrow.turn.down.right"));
    m_arrow->setPixmap(arrowIcon.pixmap(arrowSize, arrowSize));
    state->addWidget(m_arrow, 0, Qt::AlignTop);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("state"));
    m_state->setTextFormat(Qt::PlainText);
    m_state->setWordWrap(true);
    state->addWidget(m_state, 1);
    column->addLayout(state);

    m_review = new QLabel(tr("would wait for you to check"), this);
    m_review->setObjectName(QStringLiteral("review"));
    column->addWidget(m_review, 0, Qt::AlignLeft);
    m_recognition = new QLabel(this);
    m_recognition->setObjectName(QStringLiteral("recognition"));
    m_recognition->setTextFormat(Qt::PlainText);
    column->addWidget(m_recognition);
    layout->addLayout(column, 1);
    setRow(row);
}

void DryRunRowView::setRow(const DryRunRow &row)
{
    m_row = row;
    const bool matched = !row.reading && row.plan;
    m_arrow->setVisible(matched);
    m_state->setText(stateText());
    m_state->setForegroundRole(matched ? QPalette::Highlight : QPalette::PlaceholderText);
    m_review->setVisible(matched && row.waitsForReview());
    m_recognition->setVisible(row.recognition.has_value());
    if (row.recognition)
        m_recognition->setText(Autopilot::summary(*row.recognition));
}

QString DryRunRowView::stateText() const
{
    if (m_row.reading)
        return tr("Reading…");
    if (m_row.plan)
        return DryRunView::describe(*m_row.plan);
    return tr("No match, stays as it is");
}
