#include "StarterRuleToggle.h"

#include "FocusRing.h"
#include "Roles.h"

#include <QLabel>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QVBoxLayout>

namespace {

constexpr int spacing = 8;
// Room for the focus ring round the box and the texts, with a gap to the
// box, whose frame would merge with it.
constexpr int focusRoom = FocusRing::room;
constexpr qreal focusRadius = 4;

QLabel *labelText(const QString &text, QWidget *parent, Roles::Font font)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    Roles::setFont(label, font);
    // A click on the text is the toggle's.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

StarterRuleToggle::StarterRuleToggle(const QString &name, QWidget *parent)
    : QCheckBox(parent)
{
    FocusRing::drawnByItself(this);
    setAccessibleName(name);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto *texts = new QVBoxLayout(this);
    texts->setSpacing(2);
    texts->setContentsMargins(focusRoom + indicatorRect().width() + spacing, focusRoom, focusRoom, focusRoom);
    m_name = labelText(name, this, Roles::Font::headline);
    m_name->setObjectName(QStringLiteral("name"));
    texts->addWidget(m_name);
    m_sentence = labelText(QString(), this, Roles::Font::callout);
    m_sentence->setObjectName(QStringLiteral("sentence"));
    Roles::setSecondary(m_sentence);
    texts->addWidget(m_sentence);
}

void StarterRuleToggle::setSentence(const QString &sentence)
{
    m_sentence->setText(sentence);
    setAccessibleDescription(sentence);
}

QString StarterRuleToggle::sentence() const
{
    return m_sentence->text();
}

QSize StarterRuleToggle::sizeHint() const
{
    // The texts' layout, not a check box's own text.
    return QWidget::sizeHint();
}

QSize StarterRuleToggle::minimumSizeHint() const
{
    return QWidget::minimumSizeHint();
}

QRect StarterRuleToggle::indicatorRect() const
{
    const QSize size(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this),
                     style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this));
    // Beside the name's first line.
    const int line = m_name ? m_name->fontMetrics().height() : size.height();
    const int top = (m_name ? m_name->y() : focusRoom) + (line - size.height()) / 2;
    return QRect(QPoint(focusRoom, std::max(0, top)), size);
}

void StarterRuleToggle::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton box;
    initStyleOption(&box);
    box.rect = indicatorRect();
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, box);
    if (hasFocus()) {
        // Round the box and the texts: the whole of what a click switches.
        FocusRing::paint(painter, rect(), FocusRing::colour(palette()), focusRadius);
    }
}

bool StarterRuleToggle::hitButton(const QPoint &position) const
{
    return rect().contains(position);
}
