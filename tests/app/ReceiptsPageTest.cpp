#include "AppModel.h"
#include "DesktopLook.h"
#include "engine/ArchiveCheck.h"
#include "Autopilot.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "RealHome.h"
#include "Roles.h"
#include "Store.h"
#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

RecognitionRecord record(const QString &path, const Recognition &reading)
{
    return RecognitionRecord(QString(), QString(), path, reading);
}

Recognition receipt(const QDate &day, const char *amount, const char *currency,
                    const QString &sender = QStringLiteral("Shop"))
{
    Recognition reading;
    reading.kind = DocumentKind::receipt;
    reading.date = CalendarUtc::noon(day);
    reading.sender = sender;
    if (amount)
        reading.amount = Decimal::fromString(QString::fromLatin1(amount));
    if (currency)
        reading.currency = QString::fromLatin1(currency);
    return reading;
}

// How a test leaves a cell it typed into.
enum class Leave { focusAway, tab, submit };

// Types into a cell of the receipts table and leaves the field so; returns
// what the field showed on opening (nothing when no field opened).
QString typeIntoCell(QTableView &table, const QModelIndex &cell, const QString &text, Leave leave)
{
    table.edit(cell);
    auto *field = qobject_cast<QLineEdit *>(table.indexWidget(cell));
    EXPECT_TRUE(field);
    if (!field)
        return QString();
    const QString opened = field->text();
    field->setText(text);
    if (leave == Leave::submit) {
        QTest::keyClick(field, Qt::Key_Return);
    } else if (leave == Leave::tab) {
        QTest::keyClick(field, Qt::Key_Tab);
    } else {
        QFocusEvent away(QEvent::FocusOut, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(field, &away);
    }
    // The commit, then the page's refresh that it asks for.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return opened;
}

class ReceiptsPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("app.store"))));
        model->autopilot().setClock([] { return QDateTime(QDate(2026, 3, 15), QTime(9, 0), Qt::UTC); });
    }

    // A receipt whose file exists (unless `file` is false), read at `readAt`.
    RecognitionRecord add(const Recognition &reading, const QString &name, bool file = true,
                          const QDateTime &readAt = QDateTime::currentDateTimeUtc())
    {
        const QString path = dir.filePath(QStringLiteral("files/") + name);
        if (file) {
            EXPECT_TRUE(TestSupport::writeFile(path, name.toUtf8().repeated(100)));
        }
        RecognitionRecord stored = record(path, reading);
        stored.readAt = readAt;
        EXPECT_TRUE(model->store().insert(stored));
        return stored;
    }

    QStringList senders() const
    {
        QStringList result;
        ReceiptsModel *rows = page->tableModel();
        for (int row = 0; row < rows->rowCount(); ++row)
            result.append(rows->index(row, ReceiptsModel::sender).data().toString());
        return result;
    }

    QStringList sumTexts() const
    {
        QStringList result;
        for (const QLabel *label : page->findChildren<QLabel *>(QStringLiteral("sum")))
            result.append(label->text());
        return result;
    }

    // Exports through the page to `destination` and waits for the end.
    MonthExport::Outcome exportTo(const QString &destination, bool cancel = false)
    {
        page->setSavePanel([destination](const QString &) { return destination; });
        QSignalSpy finished(page.get(), &ReceiptsPage::exportFinished);
        page->exportMonth();
        QPointer<MonthExport> running = page->runningExport();
        EXPECT_TRUE(running);
        if (cancel)
            Q_EMIT page->findChild<QProgressDialog *>(QStringLiteral("exportProgress"))->canceled();
        return running ? (finished.wait(10000), running->outcome()) : MonthExport::Outcome::running;
    }

    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<ReceiptsPage> page;
    QStringList revealed;
};

} // namespace

TEST(ReceiptLinesTest, OneLinePerRecordInTheGivenOrderWithNothingFilledIn)
{
    EXPECT_TRUE(ReceiptsPage::lines({}).isEmpty());

    Recognition full = receipt(QDate(2026, 3, 31), "12.345", "USD", QStringLiteral("  Example GmbH "));
    full.kind = DocumentKind::invoice;
    Recognition bare;
    bare.kind = DocumentKind::letter;
    RecognitionRecord broken = record(QStringLiteral("/gone/broken.pdf"), full);
    broken.payload = "{not json";

    const QList<ReceiptLine> lines = ReceiptsPage::lines(
        {record(QStringLiteral("/gone/b.pdf"), bare), record(QStringLiteral("/gone/a.pdf"), full),
         record(QStringLiteral("/gone/a.pdf"), full), broken});
    const ReceiptLine fullLine{full.date, full.sender, full.amount, full.currency, DocumentKind::invoice,
                               QStringLiteral("/gone/a.pdf")};
    const QList<ReceiptLine> expected{
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt, DocumentKind::letter, QStringLiteral("/gone/b.pdf")},
        fullLine,
        fullLine,
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt, DocumentKind::other,
         QStringLiteral("/gone/broken.pdf")},
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(ReceiptsPageTest, AMonthsLinesAndSumsPerCurrencyStepByStep)
{
    const QDateTime earlier = QDateTime::currentDateTimeUtc().addSecs(-60);
    add(receipt(QDate(2026, 2, 10), "10", "EUR", QStringLiteral("Read first")), QStringLiteral("a.pdf"), true,
        earlier);
    add(receipt(QDate(2026, 2, 10), "5.50", "EUR", QStringLiteral("Read last")), QStringLiteral("b.pdf"));
    add(receipt(QDate(2026, 2, 1), "3", "USD"), QStringLiteral("c.pdf"));
    add(receipt(QDate(2026, 2, 28), "2", nullptr), QStringLiteral("d.pdf"));
    add(receipt(QDate(2026, 2, 20), nullptr, "EUR", QStringLiteral("No amount")), QStringLiteral("e.pdf"));
    add(receipt(QDate(2026, 1, 31), "7", "EUR", QStringLiteral("January")), QStringLiteral("f.pdf"));
    Recognition letter = receipt(QDate(2026, 4, 1), "1", "EUR");
    letter.kind = DocumentKind::letter;
    add(letter, QStringLiteral("g.pdf"));

    // No receipt this month: the page opens on the month of the newest.
    page = std::make_unique<ReceiptsPage>(*model);
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 2}));
    EXPECT_EQ(page->monthTitle(), QStringLiteral("February 2026"));
    EXPECT_EQ(senders(), (QStringList{QStringLiteral("Shop"), QStringLiteral("Read last"), QStringLiteral("Read first"),
                                      QStringLiteral("No amount"), QStringLiteral("Shop")}));
    EXPECT_EQ(sumTexts(), (QStringList{QStringLiteral("17.50 EUR"), QStringLiteral("3.00 USD")}));
    EXPECT_EQ(page->tableModel()->index(4, ReceiptsModel::currency).data().toString(), QString());
    // Dates in digits, in the order of the windows' locale.
    for (int row = 0; row < 5; ++row) {
        const QString date = page->tableModel()->index(row, ReceiptsModel::date).data().toString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4}$")).match(date).hasMatch())
            << date.toStdString();
    }

    page->shift(-1);
    EXPECT_EQ(senders(), QStringList{QStringLiteral("January")});
    EXPECT_EQ(sumTexts(), QStringList{QStringLiteral("7.00 EUR")});
    page->shift(-1);
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2025, 12}));
    EXPECT_FALSE(page->findChild<QWidget *>(QStringLiteral("emptyState"))->isHidden());
    EXPECT_FALSE(page->findChild<QAction *>(QStringLiteral("exportMonth"))->isEnabled());
    page->shift(1);
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 1}));

    // Only Return commits: a commit of blanks removes the sender, one of no
    // amount the amount; both mark the record as changed by the user. Text
    // left by moving the focus away is not written. The page stays on its month.
    page->shift(1);
    ReceiptsModel *rows = page->tableModel();
    auto *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
    const auto type = [&](int column, const QString &text, bool commit) {
        typeIntoCell(*table, rows->index(0, column), text, commit ? Leave::submit : Leave::focusAway);
    };
    type(ReceiptsModel::amount, QStringLiteral("99"), false);
    EXPECT_EQ(sumTexts(), (QStringList{QStringLiteral("17.50 EUR"), QStringLiteral("3.00 USD")}));
    EXPECT_FALSE(rows->records().at(0).edited);
    // One digit after the separator is a decimal, and a currency typed with
    // the number leaves the number.
    type(ReceiptsModel::amount, QStringLiteral("12,5"), true);
    EXPECT_EQ(rows->reading(0).amount, Decimal::fromString(u"12.5"));
    EXPECT_EQ(sumTexts(), (QStringList{QStringLiteral("17.50 EUR"), QStringLiteral("12.50 USD")}));
    for (const QString &typed : {QStringLiteral("€ 12"), QStringLiteral("12 EUR")}) {
        type(ReceiptsModel::amount, typed, true);
        EXPECT_EQ(rows->reading(0).amount, Decimal::fromString(u"12")) << typed.toStdString();
    }
    type(ReceiptsModel::sender, QStringLiteral(" \t "), true);
    type(ReceiptsModel::amount, QStringLiteral("abc"), true);
    EXPECT_EQ(rows->reading(0).sender, std::nullopt);
    EXPECT_EQ(rows->reading(0).amount, std::nullopt);
    EXPECT_TRUE(rows->records().at(0).edited);
    EXPECT_EQ(rows->index(0, ReceiptsModel::file).data(Qt::ToolTipRole).toString(), QStringLiteral("Changed by you"));
    // The pencil beside the name is dimmed like the name.
    const QImage pencil = rows->index(0, ReceiptsModel::file).data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
    const QColor secondary = Roles::secondary(QPalette());
    int drawn = 0;
    for (int y = 0; y < pencil.height(); ++y) {
        for (int x = 0; x < pencil.width(); ++x) {
            const QColor pixel = pencil.pixelColor(x, y);
            if (pixel.alpha() < secondary.alpha() * 6 / 10)
                continue;
            ++drawn;
            EXPECT_LE(std::abs(pixel.red() - secondary.red()) + std::abs(pixel.green() - secondary.green())
                          + std::abs(pixel.blue() - secondary.blue()),
                      9);
        }
    }
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(rows->index(1, ReceiptsModel::file).data(Qt::DecorationRole), QVariant());
    EXPECT_EQ(sumTexts(), QStringList{QStringLiteral("17.50 EUR")});
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 2}));
}

TEST_F(ReceiptsPageTest, TextLeftWithoutReturnStaysShownUntilTheValueChangesOrTheTableIsBuiltAnew)
{
    const RecognitionRecord first = add(receipt(QDate(2026, 3, 2), "10", "EUR", QStringLiteral("First")),
                                        QStringLiteral("a.pdf"));
    add(receipt(QDate(2026, 3, 9), "5", "EUR", QStringLiteral("Second")), QStringLiteral("b.pdf"));
    add(receipt(QDate(2026, 2, 9), "1", "EUR", QStringLiteral("February")), QStringLiteral("c.pdf"));
    page = std::make_unique<ReceiptsPage>(*model);
    page->show();
    ReceiptsModel *rows = page->tableModel();
    auto *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
    ASSERT_EQ(rows->rowCount(), 2);
    const auto shown = [&](int row, int column) { return rows->index(row, column).data().toString(); };
    const auto stored = [&](qint64 id) {
        for (const RecognitionRecord &each : model->store().recognitionRecords()) {
            if (each.id == id)
                return each;
        }
        return RecognitionRecord();
    };
    // Types into a cell and leaves it; returns what the field showed on opening.
    const auto type = [&](int row, int column, const QString &text, Leave leave) {
        const QString opened = typeIntoCell(*table, rows->index(row, column), text, leave);
        EXPECT_EQ(table->indexWidget(rows->index(row, column)), nullptr); // the field closed
        return opened;
    };

    // Left without Return, the typed text stays in the cell: not written,
    // not in the sums.
    type(0, ReceiptsModel::amount, QStringLiteral("99"), Leave::focusAway);
    type(1, ReceiptsModel::sender, QStringLiteral("Typed"), Leave::tab);
    EXPECT_EQ(shown(0, ReceiptsModel::amount), QStringLiteral("99"));
    EXPECT_EQ(shown(1, ReceiptsModel::sender), QStringLiteral("Typed"));
    EXPECT_EQ(sumTexts(), QStringList{QStringLiteral("15.00 EUR")});
    EXPECT_EQ(stored(first.id).recognition().amount, Decimal::fromString(u"10"));
    EXPECT_FALSE(stored(first.id).edited);
    EXPECT_EQ(senders(), (QStringList{QStringLiteral("First"), QStringLiteral("Typed")}));

    // A commit in another cell leaves both as they are; the field opens on
    // the typed text.
    EXPECT_EQ(type(1, ReceiptsModel::amount, QStringLiteral("7"), Leave::submit), QStringLiteral("5.00"));
    EXPECT_EQ(sumTexts(), QStringList{QStringLiteral("17.00 EUR")});
    EXPECT_EQ(shown(0, ReceiptsModel::amount), QStringLiteral("99"));
    EXPECT_EQ(shown(1, ReceiptsModel::sender), QStringLiteral("Typed"));

    // Return writes what the cell shows.
    EXPECT_EQ(type(1, ReceiptsModel::sender, QStringLiteral("Typed"), Leave::submit), QStringLiteral("Typed"));
    EXPECT_EQ(rows->reading(1).sender, QStringLiteral("Typed"));
    EXPECT_TRUE(rows->records().at(1).edited);

    // The stored value changing (here from elsewhere) replaces the typed text.
    Recognition corrected = rows->reading(0);
    corrected.amount = Decimal::fromString(u"11");
    model->correct(rows->records().at(0), corrected);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown(0, ReceiptsModel::amount), QStringLiteral("11.00"));

    // Another month builds the table anew: the typed text is gone.
    type(0, ReceiptsModel::amount, QStringLiteral("42"), Leave::focusAway);
    EXPECT_EQ(shown(0, ReceiptsModel::amount), QStringLiteral("42"));
    page->shift(-1);
    EXPECT_EQ(senders(), QStringList{QStringLiteral("February")});
    page->shift(1);
    EXPECT_EQ(shown(0, ReceiptsModel::amount), QStringLiteral("11.00"));
    EXPECT_EQ(sumTexts(), QStringList{QStringLiteral("18.00 EUR")});
}

// While the page shows the month it picked itself, changes of other
// receipts keep typed text, the selection and an open field.
TEST_F(ReceiptsPageTest, TypedTextSelectionAndAnOpenFieldStayWhileTheAutomaticMonthStays)
{
    add(receipt(QDate(2026, 2, 3), "10", "EUR", QStringLiteral("First")), QStringLiteral("a.pdf"));
    add(receipt(QDate(2026, 2, 9), "5", "EUR", QStringLiteral("Second")), QStringLiteral("b.pdf"));
    page = std::make_unique<ReceiptsPage>(*model);
    page->show();
    ReceiptsModel *rows = page->tableModel();
    auto *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
    typeIntoCell(*table, rows->index(0, ReceiptsModel::sender), QStringLiteral("Typed"), Leave::tab);
    typeIntoCell(*table, rows->index(1, ReceiptsModel::amount), QStringLiteral("7"), Leave::submit);
    EXPECT_EQ(rows->reading(1).amount, Decimal::fromString(u"7"));
    EXPECT_EQ(senders(), (QStringList{QStringLiteral("Typed"), QStringLiteral("Second")}));

    // Filed in the background: a receipt into the month shown and one into
    // an earlier month, while a field is open in the selected row.
    table->selectRow(1);
    table->edit(rows->index(1, ReceiptsModel::sender));
    auto *field = qobject_cast<QLineEdit *>(table->indexWidget(rows->index(1, ReceiptsModel::sender)));
    ASSERT_NE(field, nullptr);
    field->setText(QStringLiteral("Half"));
    add(receipt(QDate(2026, 2, 1), "1", "EUR", QStringLiteral("Background")), QStringLiteral("c.pdf"));
    add(receipt(QDate(2026, 1, 5), "1", "EUR", QStringLiteral("January")), QStringLiteral("d.pdf"));
    QCoreApplication::processEvents();
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 2}));
    EXPECT_EQ(senders(), (QStringList{QStringLiteral("Background"), QStringLiteral("Typed"), QStringLiteral("Second")}));
    EXPECT_EQ(table->selectionModel()->selectedRows(), QModelIndexList{rows->index(2, 0)});
    EXPECT_EQ(table->indexWidget(rows->index(2, ReceiptsModel::sender)), field);
    EXPECT_EQ(field->text(), QStringLiteral("Half"));

    // A receipt of the current month takes the page there; the typed text goes.
    add(receipt(QDate(2026, 3, 1), "1", "EUR", QStringLiteral("March")), QStringLiteral("e.pdf"));
    QCoreApplication::processEvents();
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 3}));
    page->shift(-1);
    EXPECT_EQ(senders(), (QStringList{QStringLiteral("Background"), QStringLiteral("First"), QStringLiteral("Second")}));
}

// The columns the user sizes start at their own width and cannot be dragged
// narrower than their own least width; Sender and File share the rest.
TEST_F(ReceiptsPageTest, EachColumnKeepsItsOwnLeastWidth)
{
    add(receipt(QDate(2026, 3, 2), "12.50", "EUR"), QStringLiteral("a.pdf"));
    page = std::make_unique<ReceiptsPage>(*model);
    page->resize(900, 400);
    page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    QHeaderView *header = page->findChild<QTableView *>(QStringLiteral("receipts"))->horizontalHeader();
    const struct
    {
        int column;
        int least;
        int first;
    } columns[] = {{ReceiptsModel::date, 80, 90},
                   {ReceiptsModel::amount, 80, 100},
                   {ReceiptsModel::currency, 50, 60},
                   {ReceiptsModel::kind, 70, 90}};
    for (const auto &c : columns) {
        EXPECT_EQ(header->sectionSize(c.column), c.first) << c.column;
        // Its right edge dragged far to the left, and back a little.
        const int edge = header->sectionViewportPosition(c.column) + header->sectionSize(c.column) - 1;
        const int y = header->height() / 2;
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(header->viewport(), QPoint(edge - 80, y));
        QTest::mouseMove(header->viewport(), QPoint(edge - 75, y));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge - 75, y));
        EXPECT_EQ(header->sectionSize(c.column), c.least) << c.column;
    }
    page->resize(300, 400);
    QCoreApplication::processEvents();
    for (const int column : {ReceiptsModel::sender, ReceiptsModel::file})
        EXPECT_EQ(header->sectionSize(column), 50) << column;
}

// Every column title shows whole as the page opens, at the font sizes and
// styles of common desktops; in German in the run with LANGUAGE=de. The
// ideal widths stand where they are enough; a date, an amount, a currency
// and a kind of the month show whole in their cells.
using ReceiptsHeaderTest = ReceiptsPageTest;

TEST_F(ReceiptsHeaderTest, EveryColumnStartsWideEnoughForItsTitle)
{
    // A month and days of two digits: the longest dates.
    add(receipt(QDate(2025, 12, 2), "12.50", "EUR"), QStringLiteral("a.pdf"));
    add(receipt(QDate(2025, 12, 28), "8.00", "EUR"), QStringLiteral("b.pdf"));
    Recognition invoice = receipt(QDate(2025, 12, 20), "1234567.89", "CHF");
    invoice.kind = DocumentKind::invoice;
    add(invoice, QStringLiteral("c.pdf"));
    if (qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de"))) {
        ASSERT_EQ(ReceiptsModel(*model).headerData(ReceiptsModel::currency, Qt::Horizontal, Qt::DisplayRole),
                  QStringLiteral("Währung"));
    }
    const QHash<int, int> ideal{{ReceiptsModel::date, 90}, {ReceiptsModel::amount, 100},
                                {ReceiptsModel::currency, 60}, {ReceiptsModel::kind, 90}};
    for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Adwaita-Dark")}) {
        for (const qreal points : {9.0, 10.0, 11.0, 12.0, 13.0}) {
            const DesktopLook look(style, points);
            ASSERT_TRUE(look.isAvailable()) << style.toStdString();
            page = std::make_unique<ReceiptsPage>(*model);
            page->resize(900, 400);
            page->show();
            DesktopLook::settle();
            const QHeaderView *header = page->findChild<QTableView *>(QStringLiteral("receipts"))->horizontalHeader();
            const QStyle *drawn = header->style();
            const int margin = drawn->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            const int mark = header->isSortIndicatorShown()
                ? drawn->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header) + margin
                : 0;
            for (int column = 0; column < ReceiptsModel::columns; ++column) {
                const QString title = page->tableModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
                const int needs = header->fontMetrics().horizontalAdvance(title) + 2 * margin + mark;
                const int width = header->sectionSize(column);
                const std::string where = style.toStdString() + ", " + std::to_string(int(points)) + " pt, \""
                    + title.toStdString() + "\"";
                EXPECT_GE(width, needs) << where;
                if (ideal.contains(column)) {
                    EXPECT_GE(width, ideal.value(column)) << where;
                }
            }
            // Each cell shows whole: its column is as wide as the cell's size hint.
            const QTableView *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
            ASSERT_GT(table->model()->rowCount(), 0);
            for (const int column : {ReceiptsModel::date, ReceiptsModel::amount, ReceiptsModel::currency, ReceiptsModel::kind}) {
                for (int row = 0; row < table->model()->rowCount(); ++row) {
                    const QModelIndex index = table->model()->index(row, column);
                    QStyleOptionViewItem option;
                    option.initFrom(table);
                    option.widget = table;
                    option.font = table->font();
                    EXPECT_GE(header->sectionSize(column), table->itemDelegateForIndex(index)->sizeHint(option, index).width())
                        << style.toStdString() << ", " << points << " pt, " << index.data().toString().toStdString();
                }
            }
            page.reset();
        }
    }
}

TEST_F(ReceiptsPageTest, ExportsTheMonthAndSaysWhichReceiptsItLeftOut)
{
    const QString longSender = QString(300, u'x');
    add(receipt(QDate(2026, 3, 2), "12.50", "EUR", longSender), QStringLiteral("long.pdf"));
    add(receipt(QDate(2026, 3, 3), "1", "EUR", QStringLiteral("=HYPERLINK(\"x\")")), QStringLiteral("formula.pdf"));
    add(receipt(QDate(2026, 3, 4), "4", "EUR", QStringLiteral("Vanished")), QStringLiteral("gone.pdf"), false);
    page = std::make_unique<ReceiptsPage>(*model);
    page->setReveal([this](const QStringList &paths, const auto &) { revealed += paths; });
    EXPECT_EQ(senders().at(0), longSender);

    // An existing file of the chosen name is replaced.
    const QString destination = dir.filePath(QStringLiteral("out/March.zip"));
    ASSERT_TRUE(TestSupport::writeFile(destination, "old"));
    EXPECT_EQ(exportTo(destination), MonthExport::Outcome::exported);
    EXPECT_TRUE(ArchiveCheck::testWithUnzip(destination));
    const QList<ArchiveCheck::Entry> entries = ArchiveCheck::readWithPython(destination);
    ASSERT_EQ(entries.size(), 3);
    const QStringList csv = QString::fromUtf8(entries.at(0).data).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 3);
    EXPECT_TRUE(csv.at(1).startsWith(QStringLiteral("02.03.2026;") + longSender + u';'));
    EXPECT_TRUE(csv.at(2).startsWith(QStringLiteral("03.03.2026;\"'=HYPERLINK(\"\"x\"\")\";")));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("March.zip")});
    EXPECT_EQ(revealed, QStringList{destination});
    auto *leftOut = page->findChild<QMessageBox *>(QStringLiteral("leftOut"));
    ASSERT_TRUE(leftOut);
    EXPECT_EQ(leftOut->text(), QStringLiteral("1 of 3 receipts was left out because its file is no longer there."));
    EXPECT_EQ(leftOut->detailedText(), dir.filePath(QStringLiteral("files/gone.pdf")));
}

TEST_F(ReceiptsPageTest, AnArchiveNoFileManagerCanShowIsNamedWhereItIs)
{
    add(receipt(QDate(2026, 3, 2), "12.50", "EUR"), QStringLiteral("a.pdf"));
    page = std::make_unique<ReceiptsPage>(*model);
    // No file manager on the bus and no program to open a folder with.
    const ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    const QTemporaryDir nothing;
    const ScopedEnv path("PATH", nothing.path().toUtf8());
    const ScopedEnv browser("BROWSER", std::nullopt);
    const QString destination = dir.filePath(QStringLiteral("out/March.zip"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("out"))));
    EXPECT_EQ(exportTo(destination), MonthExport::Outcome::exported);
    QMessageBox *told = nullptr;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (told = page->findChild<QMessageBox *>(QStringLiteral("archiveNotShown"))); }, 10000));
    ASSERT_TRUE(told);
    EXPECT_EQ(told->text(), QStringLiteral("No file manager could show the archive. It is saved as %1.").arg(destination));
    EXPECT_TRUE(told->textInteractionFlags() & Qt::TextSelectableByMouse);
}

TEST_F(ReceiptsPageTest, TheExportProposesTheDesktopsDocumentsFolder)
{
    add(receipt(QDate(2026, 3, 2), "12.50", "EUR"), QStringLiteral("a.pdf"));
    page = std::make_unique<ReceiptsPage>(*model);
    QStringList proposed;
    page->setSavePanel([&](const QString &path) {
        proposed.append(QFileInfo(path).path());
        return QString();
    });
    page->exportMonth();
    {
        const TestSupport::ScopedUserDirs german(TestSupport::ScopedUserDirs::german());
        page->exportMonth();
    }
    EXPECT_EQ(proposed, (QStringList{RealHome::path() + QStringLiteral("/Documents"),
                                     RealHome::path() + QStringLiteral("/Dokumente")}));
    EXPECT_FALSE(page->runningExport());
}

TEST_F(ReceiptsPageTest, AFailedOrCancelledExportLeavesNoArchive)
{
    add(receipt(QDate(2026, 3, 2), "12.50", "EUR"), QStringLiteral("a.pdf"));
    page = std::make_unique<ReceiptsPage>(*model);
    page->setReveal([this](const QStringList &paths, const auto &) { revealed += paths; });

    // A folder that cannot be written to, even by root: its parent is a file.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    ASSERT_TRUE(TestSupport::writeFile(blocker, "file"));
    EXPECT_EQ(exportTo(blocker + QStringLiteral("/March.zip")), MonthExport::Outcome::failed);
    EXPECT_EQ(page->exportFailure(),
              QStringLiteral("Could not write the archive into “%1”: Not a directory").arg(blocker));
    auto *alert = page->findChild<QMessageBox *>(QStringLiteral("exportFailed"));
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->windowTitle(), QStringLiteral("Export failed"));
    alert->accept();
    EXPECT_FALSE(page->exportFailure());

    const QString destination = dir.filePath(QStringLiteral("out/March.zip"));
    ASSERT_TRUE(TestSupport::writeFile(destination, "old"));
    EXPECT_EQ(exportTo(destination, true), MonthExport::Outcome::cancelled);
    EXPECT_EQ(TestSupport::readFile(destination), QByteArray("old"));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("March.zip")});
    EXPECT_TRUE(revealed.isEmpty());
}

// A large scan, read slowly: the sheet's bar moves while that one file is
// copied, and the archive is whole at the end.
TEST_F(ReceiptsPageTest, TheSheetsBarMovesWhileALargeFileIsCopied)
{
    const ScopedEnv slowly("FILEWRIGHT_READ_PAUSE_MS", "100");
    const RecognitionRecord scan = add(receipt(QDate(2026, 3, 2), "12.50", "EUR"), QStringLiteral("scan.pdf"));
    ASSERT_TRUE(QFile::resize(scan.path, 10 << 20));
    page = std::make_unique<ReceiptsPage>(*model);
    page->setReveal([this](const QStringList &paths, const auto &) { revealed += paths; });
    const QString destination = dir.filePath(QStringLiteral("out/March.zip"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("out"))));
    page->setSavePanel([destination](const QString &) { return destination; });
    QSignalSpy finished(page.get(), &ReceiptsPage::exportFinished);
    page->exportMonth();
    QPointer<MonthExport> running = page->runningExport();
    auto *sheet = page->findChild<QProgressDialog *>(QStringLiteral("exportProgress"));
    ASSERT_TRUE(running && sheet);
    auto *bar = sheet->findChild<QProgressBar *>();
    ASSERT_TRUE(bar);

    EXPECT_TRUE(QTest::qWaitFor([&] { return (sheet->isVisible() && bar->value() > 0) || !finished.isEmpty(); }, 10000));
    EXPECT_LT(bar->value(), bar->maximum());
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_TRUE(!finished.isEmpty() || finished.wait(10000));
    ASSERT_TRUE(running);
    EXPECT_EQ(running->outcome(), MonthExport::Outcome::exported);
    EXPECT_TRUE(ArchiveCheck::testWithUnzip(destination));
    EXPECT_EQ(revealed, QStringList{destination});
}

// An export that failed before it made its folder, and whose end no one
// heard before it went (the window closed meanwhile), removes nothing: not
// the folder the program was started in.
TEST(MonthExportTest, AnExportThatMadeNoFolderLeavesTheWorkingFolderAlone)
{
    const QTemporaryDir dir;
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    ASSERT_TRUE(TestSupport::writeFile(dir.filePath(QStringLiteral("blocker")), "a file, not a folder"));
    {
        MonthExport failing({}, 2026, 3, dir.filePath(QStringLiteral("blocker/March.zip")));
        failing.start();
        QThread::msleep(500);
    }
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("blocker"))));
    QDir::setCurrent(started);
}
