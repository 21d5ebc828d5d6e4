#include "CharacterRoom.h"

#include <QEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// Sets the field's least width again whenever what it depends on changes.
class Keeper : public QObject
{
public:
    Keeper(QLineEdit *field, int characters)
        : QObject(field)
        , m_field(field)
        , m_characters(characters)
    {
        field->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_field
            && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange
                || event->type() == QEvent::Polish))
            apply();
        return false;
    }

private:
    void apply() { m_field->setMinimumWidth(CharacterRoom::width(*m_field, m_characters)); }

    QLineEdit *m_field;
    int m_characters;
};

} // namespace

namespace CharacterRoom {

void keep(QLineEdit *field, int characters)
{
    new Keeper(field, characters);
}

int width(const QLineEdit &field, int characters)
{
    const QFontMetrics metrics(field.font());
    // The text, the field's own margins round it and the two pixels a line
    // edit keeps on each side for its cursor, in the frame the style draws.
    const QMargins margins = field.textMargins();
    const int text = metrics.horizontalAdvance(QString(characters, u'x')) + margins.left() + margins.right() + 4;
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth = field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field) : 0;
    option.midLineWidth = 0;
    option.features = QStyleOptionFrame::None;
    const QSize contents(text, metrics.height());
    return field.style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, &field).width();
}

} // namespace CharacterRoom
