// The rule editor keeps its fixed size at the desktop's style and font: every
// control of the sheet lies inside it, nothing scrolls sideways, and every
// text has the room it needs. In English, and in German in the run with
// LANGUAGE=de.
#include "DesktopLook.h"
#include "RuleEditor.h"
#include "RuleEditorFixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

namespace {

QString place(const QWidget *widget, const QRect &shown)
{
    return QStringLiteral("%1 %2 \"%3\" at %4,%5 %6x%7")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
             widget->property("text").toString().left(40))
        .arg(shown.x())
        .arg(shown.y())
        .arg(shown.width())
        .arg(shown.height());
}

// What sticks out of the sheet or is cut, one line each; none when all fits.
QStringList faults(RuleEditor &editor)
{
    QStringList found;
    const auto *area = editor.findChild<QScrollArea *>();
    if (area && area->horizontalScrollBar()->maximum() > 0)
        found.append(QStringLiteral("the form is %1 pixels wider than the sheet").arg(area->horizontalScrollBar()->maximum()));
    // Inside the scrolled form, a control lies within the width of its view;
    // anywhere else within the sheet.
    for (QWidget *widget : editor.findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(&editor) || widget->isWindow() || widget->window() != &editor)
            continue;
        if (!qobject_cast<QLabel *>(widget) && !qobject_cast<QAbstractButton *>(widget)
            && !qobject_cast<QComboBox *>(widget) && !qobject_cast<QLineEdit *>(widget))
            continue;
        const bool scrolled = area && area->widget()->isAncestorOf(widget);
        const QWidget *frame = scrolled ? area->viewport() : static_cast<QWidget *>(&editor);
        const QRect shown(widget->mapTo(scrolled ? area->widget() : frame, QPoint(0, 0)), widget->size());
        const QRect room = scrolled ? QRect(0, shown.y(), frame->width(), shown.height()) : frame->rect();
        if (!room.contains(shown))
            found.append(QStringLiteral("outside: ") + place(widget, shown));
        // A text on one line has its whole width, one that wraps the height of its lines.
        const auto *label = qobject_cast<const QLabel *>(widget);
        const bool wraps = label && label->wordWrap();
        if (!widget->property("text").toString().isEmpty() && !qobject_cast<QLineEdit *>(widget)
            && (wraps ? widget->height() < widget->heightForWidth(widget->width())
                      : widget->width() < widget->sizeHint().width()))
            found.append(QStringLiteral("cut: ") + place(widget, shown));
    }
    return found;
}

using RuleEditorFitTest = RuleEditorFixture;

} // namespace

TEST_F(RuleEditorFitTest, everyControlLiesInsideTheSheetAtTheDesktopsStyleAndFont)
{
    folder(QStringLiteral("Downloads"));
    for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Adwaita-Dark")}) {
        for (const qreal points : {11.0, 13.0}) {
            const DesktopLook look(style, points);
            ASSERT_TRUE(look.isAvailable()) << style.toStdString() << " is not among the styles installed here: "
                                            << QStyleFactory::keys().join(u' ').toStdString();
            model->newRule();
            ASSERT_TRUE(model->editing());
            RuleEditor editor(*model, *model->editing());
            if (qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de"))) {
                ASSERT_EQ(editor.windowTitle(), QStringLiteral("Neue Regel"));
            }
            // Every kind of row: a file type (the new rule's), a kind menu, a
            // text value; moving a file and opening it with an application.
            editor.addCondition(Field::kind);
            editor.addCondition(Field::sender);
            editor.addAction(Kind::openWith);
            editor.show();
            DesktopLook::settle();
            const QStringList found = faults(editor);
            EXPECT_TRUE(found.isEmpty()) << style.toStdString() << ", " << points << " pt:\n"
                                         << found.join(u'\n').toStdString();
        }
    }
}
