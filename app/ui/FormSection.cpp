#include "FormSection.h"

#include "Roles.h"

#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// The card behind the rows: the secondary background in a rounded rectangle.
class Card : public QWidget
{
public:
    explicit Card(QWidget *parent)
        : QWidget(parent)
    {
        Roles::setCard(this);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        painter.fillPath(path, Roles::secondaryBackground(palette()));
        painter.setPen(Roles::quaternary(palette()));
        painter.drawPath(path);
    }

private:
    static constexpr qreal radius = 10;
};

} // namespace

FormSection::FormSection(const QString &header, QWidget *parent)
    : QWidget(parent)
    , m_header(new QLabel(header, this))
    , m_card(new Card(this))
    , m_form(new QFormLayout(m_card))
    , m_footer(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_header);
    layout->addWidget(m_card);
    layout->addWidget(m_footer);
    Roles::setFont(m_header, Roles::Font::headline);
    m_header->setVisible(!header.isEmpty());
    Roles::setFont(m_footer, Roles::Font::callout);
    Roles::setSecondary(m_footer);
    m_footer->setWordWrap(true);
    m_footer->hide();
    m_form->setContentsMargins(14, 10, 14, 10);
    m_form->setHorizontalSpacing(12);
    m_form->setVerticalSpacing(8);
    m_form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    // A field too wide beside its label goes below it, rather than pushing
    // the card past the page's edge at a larger font.
    m_form->setRowWrapPolicy(QFormLayout::WrapLongRows);
}

void FormSection::addRow(const QString &label, QWidget *field)
{
    m_form->addRow(label, field);
}

void FormSection::addRow(QWidget *wide)
{
    m_form->addRow(wide);
}

void FormSection::setHeader(const QString &header)
{
    m_header->setText(header);
    m_header->setVisible(!header.isEmpty());
}

void FormSection::setFooter(const QString &footer)
{
    m_footer->setText(footer);
    m_footer->setVisible(!footer.isEmpty());
}
