// The rule editor and its dry run keep their fixed sizes at the desktop's
// style and font: every control of the sheet lies inside it, nothing scrolls
// sideways, every text has the room it needs, and a text field shows at
// least twenty characters (a row goes on over a further line first). In
// English, and in German in the run with LANGUAGE=de.
#include "DesktopLook.h"
#include "DryRunView.h"
#include "RuleEditor.h"
#include "RuleEditorFixture.h"

#include <QApplication>
#include <QFocusFrame>
#include <QTest>

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
QStringList faults(QWidget &editor)
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
        const auto *field = qobject_cast<const QLineEdit *>(widget);
        if (field && field->width() < field->fontMetrics().horizontalAdvance(QString(20, u'x')))
            found.append(QStringLiteral("squeezed: ") + place(widget, shown));
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
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Adwaita-Dark")}) {
        for (const qreal points : {11.0, 13.0}) {
            const DesktopLook look(style, points);
            ASSERT_TRUE(look.isAvailable()) << style.toStdString() << " is not among the styles installed here: "
                                            << QStyleFactory::keys().join(u' ').toStdString();
            model->newRule();
            ASSERT_TRUE(model->editing());
            AppModel::Editing editing = *model->editing();
            editing.folderID = downloads.uuid;
            RuleEditor editor(*model, editing);
            if (qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de"))) {
                ASSERT_EQ(editor.windowTitle(), QStringLiteral("Neue Regel"));
            }
            // Every kind of row: a file type (the new rule's), a kind menu, a
            // text value; moving a file, trashing it (the longest kind in
            // German) and opening it with an application.
            editor.addCondition(Field::kind);
            editor.addCondition(Field::sender);
            editor.addAction(Kind::openWith);
            editor.addAction(Kind::trashAfter);
            editor.addAction(Kind::rename);
            editor.show();
            editor.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
            DesktopLook::settle();
            const std::string where = style.toStdString() + ", " + std::to_string(int(points)) + " pt";
            const QStringList found = faults(editor);
            EXPECT_TRUE(found.isEmpty()) << where << ":\n" << found.join(u'\n').toStdString();

            // The sentence is the stop after Add Action, shown whole with its
            // ring, though the form is taller than the sheet; the keyboard
            // selects it.
            auto *area = editor.findChild<QScrollArea *>();
            ASSERT_GT(area->verticalScrollBar()->maximum(), 0) << where;
            auto *sentence = editor.findChild<QLabel *>(QStringLiteral("sentence"));
            QWidget *addAction = editor.findChild<QWidget *>(QStringLiteral("addAction"));
            addAction->setFocus(Qt::TabFocusReason);
            QTest::keyClick(addAction, Qt::Key_Tab);
            DesktopLook::settle();
            EXPECT_EQ(QApplication::focusWidget(), sentence) << where;
            const QRect shown(sentence->mapTo(area->viewport(), QPoint(0, 0)), sentence->size());
            EXPECT_TRUE(area->viewport()->rect().contains(shown)) << where;
            const QList<QFocusFrame *> rings = editor.findChildren<QFocusFrame *>();
            EXPECT_TRUE(std::any_of(rings.begin(), rings.end(), [sentence](const QFocusFrame *ring) {
                return ring->widget() == sentence && ring->isVisible();
            })) << where;
            QTest::keyClick(sentence, Qt::Key_A, Qt::ControlModifier);
            EXPECT_EQ(sentence->selectedText(), sentence->text()) << where;

            // The dry run's lines wrap within its sheet.
            DryRunView dryRun(model->autopilot(), DryRunRequest{QUuid::createUuid(), editor.editing().rule, downloads.uuid});
            dryRun.show();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !dryRun.isRunning(); }, 20000)) << where;
            DesktopLook::settle();
            const QStringList cut = faults(dryRun);
            EXPECT_TRUE(cut.isEmpty()) << where << ", dry run:\n" << cut.join(u'\n').toStdString();
        }
    }
}
