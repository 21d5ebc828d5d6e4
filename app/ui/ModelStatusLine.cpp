#include "ModelStatusLine.h"

#include "ModelStatusText.h"
#include "Roles.h"
#include "SymbolLabel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int symbolSize = 16;

SymbolLabel::Tint tintFor(ModelStatusLine::Look look)
{
    return look == ModelStatusLine::Look::dimmed ? SymbolLabel::Tint::secondary : SymbolLabel::Tint::text;
}

} // namespace

ModelStatusLine::ModelStatusLine(ModelStatus status, Look look, QWidget *parent)
    : QWidget(parent)
    , m_look(look)
{
    setObjectName(QStringLiteral("modelStatusLine"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_symbol = new SymbolLabel(ModelStatusText::symbol(status), symbolSize, tintFor(look), this);
    m_symbol->setObjectName(QStringLiteral("modelStatusSymbol"));
    m_symbol->setFixedSize(symbolSize, symbolSize);
    layout->addWidget(m_symbol, 0, Qt::AlignTop);
    m_text = new QLabel(ModelStatusText::text(status), this);
    m_text->setObjectName(QStringLiteral("modelStatus"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    if (look == Look::dimmed) {
        Roles::setSecondary(m_text);
        Roles::setSecondary(m_symbol);
    }
    layout->addWidget(m_text, 1);
}

void ModelStatusLine::setStatus(ModelStatus status)
{
    m_symbol->setSymbol(ModelStatusText::symbol(status), tintFor(m_look));
    m_text->setText(ModelStatusText::text(status));
}
