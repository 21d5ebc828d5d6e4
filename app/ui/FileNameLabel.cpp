#include "FileNameLabel.h"

#include "FileNameText.h"

#include <QPainter>
#include <QStyle>

namespace {

// The room a usual name takes, in average characters.
constexpr int usualCharacters = 40;

} // namespace

FileNameLabel::FileNameLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setName(name);
}

void FileNameLabel::setName(const QString &name)
{
    m_name = name;
    const QString line = FileNameText::oneLine(name);
    setText(line);
    setToolTip(line);
    updateGeometry();
}

QString FileNameLabel::shownText() const
{
    return FileNameText::elided(m_name, fontMetrics(), contentsRect().width());
}

QSize FileNameLabel::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const QMargins margins = contentsMargins();
    const int full = metrics.horizontalAdvance(text());
    return {std::min(full, metrics.averageCharWidth() * usualCharacters) + margins.left() + margins.right(),
            QLabel::sizeHint().height()};
}

QSize FileNameLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(QStringLiteral("M\u2026M")) + margins.left() + margins.right(),
            QLabel::minimumSizeHint().height()};
}

void FileNameLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}
