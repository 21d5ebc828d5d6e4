// The condition and action rows: what each field and kind offers, what a
// change of field or kind writes, the kind and file-type pickers, and the
// rows of fields that need the model while it is unavailable.
#include "ActionRow.h"
#include "ApplicationCatalog.h"
#include "ConditionRow.h"
#include "Labels.h"
#include "RuleEditorFixture.h"
#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QtTest/QTest>

namespace {

template<typename T = QComboBox>
T *child(QWidget *row, const char *name)
{
    return row->findChild<T *>(QLatin1String(name));
}

QStringList texts(QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

// The shown controls of a row in the order Tab reaches them, by object name.
QStringList tabOrder(QWidget *row)
{
    QStringList names;
    QWidget *window = row->window();
    for (QWidget *at = window->nextInFocusChain(); at != window; at = at->nextInFocusChain()) {
        if (row->isAncestorOf(at) && (at->focusPolicy() & Qt::TabFocus) && at->isVisibleTo(row))
            names.append(at->objectName());
    }
    return names;
}

} // namespace

TEST(RuleRowTest, tabGoesThroughThePickersBeforeRemove)
{
    // The pickers made when the field first needs them come before Remove too.
    // Rows stand in the editor after its name field.
    QWidget editor;
    auto *name = new QLineEdit(&editor);
    name->setObjectName(QStringLiteral("name"));
    auto &row = *new ConditionRow(condition(Field::sender, Op::contains, QStringLiteral("Acme")), true, &editor);
    EXPECT_EQ(tabOrder(&row), (QStringList{QStringLiteral("field"), QStringLiteral("operator"), QStringLiteral("value"),
                                           QStringLiteral("remove")}));
    child(&row, "field")->setCurrentIndex(int(std::find(Condition::allFields.begin(), Condition::allFields.end(),
                                                        Field::fileType) - Condition::allFields.begin()));
    EXPECT_EQ(tabOrder(&row), (QStringList{QStringLiteral("field"), QStringLiteral("operator"),
                                           QStringLiteral("fileType"), QStringLiteral("remove")}));
    child(&row, "field")->setCurrentIndex(int(std::find(Condition::allFields.begin(), Condition::allFields.end(),
                                                        Field::kind) - Condition::allFields.begin()));
    EXPECT_EQ(tabOrder(&row), (QStringList{QStringLiteral("field"), QStringLiteral("operator"), QStringLiteral("kind"),
                                           QStringLiteral("remove")}));

    auto *action = new ActionRow(RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Documents")},
                                 nullptr, &editor);
    const QStringList order = tabOrder(action);
    ASSERT_FALSE(order.isEmpty());
    EXPECT_EQ(order.constFirst(), QStringLiteral("kind"));
    EXPECT_EQ(order.constLast(), QStringLiteral("remove"));
}

TEST(ConditionRowTest, offersEachFieldsOperatorsAndResetsOnAFieldChangeOnly)
{
    for (const Field field : Condition::allFields) {
        ConditionRow row(condition(field, Condition::operators(field).constFirst(), ConditionRow::sample(field)), true);
        QStringList expected;
        for (const Op op : Condition::operators(field))
            expected.append(Labels::title(op));
        EXPECT_EQ(texts(child(&row, "operator")), expected);
        // The value editor follows the field.
        const auto shown = [&row](const char *name) {
            auto *editor = child<QWidget>(&row, name);
            return editor && editor->isVisibleTo(&row);
        };
        EXPECT_EQ(shown("kind"), field == Field::kind);
        EXPECT_EQ(shown("fileType"), field == Field::fileType);
        EXPECT_EQ(shown("value"), field != Field::kind && field != Field::fileType);
    }

    struct Case { Field from; Op op; Field to; Op expectedOp; QString expectedValue; };
    const Case cases[] = {
        {Field::sender, Op::contains, Field::name, Op::contains, QString()},
        {Field::kind, Op::isNot, Field::fileType, Op::isNot, QStringLiteral("pdf")},
        {Field::kind, Op::isNot, Field::amount, Op::greaterThan, QStringLiteral("100")},
        {Field::name, Op::is, Field::date, Op::after, QStringLiteral("2026-01-01")},
        {Field::age, Op::lessThan, Field::size, Op::lessThan, QStringLiteral("10")},
    };
    for (const Case &c : cases) {
        ConditionRow row(condition(c.from, c.op, QStringLiteral("7")), true);
        QSignalSpy changed(&row, &ConditionRow::conditionChanged);
        EXPECT_EQ(row.condition().value, QStringLiteral("7")); // showing the row writes nothing
        auto *field = child(&row, "field");
        field->setCurrentIndex(field->findData(static_cast<int>(c.to)));
        EXPECT_EQ(row.condition().op, c.expectedOp);
        EXPECT_EQ(row.condition().value, c.expectedValue);
        EXPECT_EQ(changed.count(), 1);
    }

    // Typed values are kept as typed: an amount with a decimal comma, a date.
    ConditionRow amount(condition(Field::amount, Op::is, QStringLiteral("100")), true);
    QTest::keyClick(child<QLineEdit>(&amount, "value"), Qt::Key_End);
    QTest::keyClicks(child<QLineEdit>(&amount, "value"), QStringLiteral(",50"));
    EXPECT_EQ(amount.condition().value, QStringLiteral("100,50"));
    EXPECT_EQ(child<QLineEdit>(&amount, "value")->placeholderText(), QStringLiteral("100"));
}

TEST(ConditionRowTest, kindMenuAndFileTypePickerKeepWhatTheyDoNotKnow)
{
    struct Case { QString value; QString summary; DocumentKind kind; bool on; QString written; };
    const Case cases[] = {
        {QStringLiteral("invoice, receipt"), QStringLiteral("Invoice, Receipt"), DocumentKind::receipt, false, QStringLiteral("invoice")},
        {QStringLiteral("receipt,invoice"), QStringLiteral("Receipt, Invoice"), DocumentKind::letter, true, QStringLiteral("receipt,invoice,letter")},
        {QStringLiteral("invoice,foo"), QStringLiteral("Invoice"), DocumentKind::receipt, true, QStringLiteral("invoice,foo,receipt")},
        {QStringLiteral("invoice,invoice"), QStringLiteral("Invoice, Invoice"), DocumentKind::invoice, false, QString()},
        {QStringLiteral("Invoice"), QStringLiteral("Choose"), DocumentKind::invoice, true, QStringLiteral("Invoice,invoice")},
    };
    for (const Case &c : cases) {
        ConditionRow row(condition(Field::kind, Op::is, c.value), true);
        auto *button = child<QPushButton>(&row, "kind");
        EXPECT_EQ(button->text(), c.summary);
        QAction *toggle = button->menu()->actions().at(int(std::find(DocumentKinds::allCases.begin(),
                                                                     DocumentKinds::allCases.end(), c.kind)
                                                           - DocumentKinds::allCases.begin()));
        toggle->trigger();
        EXPECT_EQ(row.condition().value, c.written) << c.value.toStdString();
        EXPECT_EQ(toggle->isChecked(), c.on);
    }

    // An extension, and several values: shown as they are, kept until another is picked.
    for (const auto &[value, label] : {std::pair{QStringLiteral("xlsx"), QStringLiteral(".xlsx")},
                                       std::pair{QStringLiteral("pdf,image"), QStringLiteral("PDF, Image")}}) {
        ConditionRow row(condition(Field::fileType, Op::is, value), true);
        auto *picker = child(&row, "fileType");
        ASSERT_EQ(picker->count(), 9);
        EXPECT_EQ(picker->currentText(), label);
        EXPECT_EQ(row.condition().value, value);
        picker->setCurrentIndex(0);
        EXPECT_EQ(row.condition().value, QStringLiteral("pdf"));
        EXPECT_EQ(picker->count(), 8);
    }
}

TEST(ConditionRowTest, kindMenuKeepsItsNaturalSizeWithItsMarkBesideItsText)
{
    ConditionRow row(condition(Field::kind, Op::is, QStringLiteral("invoice")), true);
    row.resize(900, row.sizeHint().height());
    row.show();
    auto *menu = child<QPushButton>(&row, "kind");
    ASSERT_NE(menu->menu(), nullptr);
    const auto expectNaturalSize = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QString text = menu->text();
        // Not stretched over the row's room, though there is plenty of it.
        EXPECT_EQ(menu->width(), menu->sizeHint().width()) << text.toStdString();
        EXPECT_LT(menu->width(), row.width() / 2) << text.toStdString();
        // The text's room, left of the mark, holds the whole text.
        QStyleOptionButton option;
        option.initFrom(menu);
        option.rect = menu->rect();
        option.text = text;
        option.features |= QStyleOptionButton::HasMenu;
        const QRect contents = menu->style()->subElementRect(QStyle::SE_PushButtonContents, &option, menu);
        const int mark = menu->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, menu);
        EXPECT_GE(contents.width() - mark, menu->fontMetrics().horizontalAdvance(text)) << text.toStdString();
        return menu->width();
    };
    const int one = expectNaturalSize();
    for (const DocumentKind kind : {DocumentKind::receipt, DocumentKind::letter})
        menu->menu()->actions().at(int(std::find(DocumentKinds::allCases.begin(), DocumentKinds::allCases.end(), kind)
                                       - DocumentKinds::allCases.begin()))->trigger();
    ASSERT_EQ(menu->text(), QStringLiteral("Invoice, Receipt, Letter"));
    // It grows with the names chosen.
    EXPECT_GT(expectNaturalSize(), one);
}

TEST(ConditionRowTest, fieldsThatNeedTheModelAreOutOfReachWhileItIsUnavailableButStayRemovable)
{
    ConditionRow sender(condition(Field::sender, Op::contains, QStringLiteral("ACME")), false);
    auto *items = qobject_cast<QStandardItemModel *>(child(&sender, "field")->model());
    for (int i = 0; i < items->rowCount(); ++i)
        EXPECT_EQ(items->item(i)->isEnabled(), !Condition::needsRecognition(Condition::allFields.at(i)));
    EXPECT_FALSE(child(&sender, "field")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(&sender, "value")->isEnabled());
    EXPECT_TRUE(sender.removeButton()->isEnabled());
    QSignalSpy removed(&sender, &RuleRow::removeRequested);
    sender.removeButton()->click();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(0).toUuid(), sender.condition().id);
    EXPECT_FALSE(child<QLabel>(&sender, "mark")->isHidden());

    sender.setAiAvailable(true);
    EXPECT_TRUE(child(&sender, "field")->isEnabled());

    ConditionRow name(condition(Field::name, Op::contains, QString()), false);
    EXPECT_TRUE(child(&name, "field")->isEnabled());
    EXPECT_TRUE(child<QLabel>(&name, "mark")->isHidden());
}

TEST(ActionRowTest, aKindChangeWritesItsSampleAndOpenWithOffersInstalledApplications)
{
    ActionRow row(RuleAction{QUuid::createUuid(), Kind::move, QStringLiteral("~/Elsewhere")}, nullptr);
    QSignalSpy changed(&row, &ActionRow::actionChanged);
    auto *kind = child(&row, "kind");
    auto *value = child<QLineEdit>(&row, "value");
    kind->setCurrentIndex(kind->findData(static_cast<int>(Kind::move))); // the same kind: nothing
    EXPECT_EQ(changed.count(), 0);
    for (const Kind to : {Kind::copy, Kind::tag, Kind::trashAfter, Kind::openWith, Kind::rename}) {
        kind->setCurrentIndex(kind->findData(static_cast<int>(to)));
        EXPECT_EQ(row.action().value, ActionRow::sample(to));
        EXPECT_EQ(value->text(), ActionRow::sample(to));
        // A written value shows its start, however narrow the field.
        EXPECT_EQ(value->cursorPosition(), 0);
    }
    value->selectAll();
    QTest::keyClick(value, Qt::Key_Delete);
    EXPECT_TRUE(row.action().value.isEmpty());
    EXPECT_EQ(value->placeholderText(), ActionRow::sample(Kind::rename));

    // Applications from the desktop entries (hidden ones left out), and one by path.
    QTemporaryDir data;
    TestSupport::writeFile(data.filePath(QStringLiteral("applications/viewer.desktop")),
                           "[Desktop Entry]\nType=Application\nName=Viewer\nIcon=image-x-generic\nExec=viewer %f\n");
    TestSupport::writeFile(data.filePath(QStringLiteral("applications/helper.desktop")),
                           "[Desktop Entry]\nType=Application\nName=Helper\nNoDisplay=true\nExec=helper\n");
    const ScopedEnv dataHome("XDG_DATA_HOME", data.path().toUtf8());
    const ScopedEnv dataDirs("XDG_DATA_DIRS", data.filePath(QStringLiteral("none")).toUtf8());
    ApplicationCatalog catalog;
    ASSERT_TRUE(QTest::qWaitFor([&] { return catalog.isLoaded(); }));
    ActionRow open(RuleAction{QUuid::createUuid(), Kind::openWith, QStringLiteral("NoSuchApp")}, &catalog);
    open.setPathChooser([](QWidget *) { return QStringLiteral("/usr/bin/true"); });
    EXPECT_EQ(child<QLineEdit>(&open, "value")->text(), QStringLiteral("NoSuchApp")); // unknown: kept as it is
    Q_EMIT open.applicationMenu()->aboutToShow();
    const QList<QAction *> entries = open.applicationMenu()->actions();
    ASSERT_EQ(entries.size(), 3); // Viewer, a separator, Other Application…
    EXPECT_EQ(entries.at(0)->text(), QStringLiteral("Viewer"));
    EXPECT_FALSE(entries.at(0)->icon().isNull());
    entries.at(0)->trigger();
    EXPECT_EQ(open.action().value, QStringLiteral("viewer.desktop"));
    Q_EMIT open.applicationMenu()->aboutToShow();
    open.applicationMenu()->actions().constLast()->trigger();
    EXPECT_EQ(open.action().value, QStringLiteral("/usr/bin/true"));
}
