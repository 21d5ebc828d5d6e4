#include "PageTitle.h"

namespace {
constexpr qreal titleScale = 1.4; // of the font the page's text has
} // namespace

PageTitle::PageTitle(const QString &title, QWidget *parent)
    : QLabel(title, parent)
{
    setObjectName(QStringLiteral("pageTitle"));
    setTextFormat(Qt::PlainText);
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * titleScale);
    titleFont.setBold(true);
    setFont(titleFont);
}
