// The windows on a German desktop whose regional settings are English:
// dates, months, amounts and reading notes follow the windows' language, and
// the same action has the same word everywhere. Run by CTest with
// LANGUAGE=de (FilewrightAppTests.german); skipped otherwise.
#include "AccentPreview.h"
#include "AppModel.h"
#include "Autopilot.h"
#include "CommandPalette.h"
#include "DateText.h"
#include "FileTransfer.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "JournalRow.h"
#include "Labels.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "Prefs.h"
#include "RealHome.h"
#include "RuleSentence.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "ReviewSheet.h"
#include "SettingsWindow.h"
#include "SettingsWindowFit.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class GermanWindowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de")))
            GTEST_SKIP() << "runs with LANGUAGE=de";
        ASSERT_TRUE(dir.isValid());
        Prefs::registerDefaults();
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("german.store"))));
    }

    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
};

// A surface that keeps the texts drawn on it, in order, and nothing else.
class DrawnTexts : public QPaintDevice
{
public:
    QStringList texts;

    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return 1000;
        case PdmHeight: return 1000;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        case PdmWidthMM:
        case PdmHeightMM: return 264;
        default: return 96; // dots per inch
        }
    }

private:
    class Engine : public QPaintEngine
    {
    public:
        explicit Engine(QStringList &texts) : m_texts(texts) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawRects(const QRectF *, int) override {}
        void drawEllipse(const QRectF &) override {}
        void drawLines(const QLineF *, int) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override { m_texts.append(item.text()); }
        Type type() const override { return User; }

    private:
        QStringList &m_texts;
    };
    mutable Engine m_engine{texts};
};

} // namespace

TEST_F(GermanWindowsTest, TheAccentPreviewTranslatesOnlyItsFrameNotTheMockContent)
{
    AccentPreview preview;
    preview.resize(440, AccentPreview::previewHeight);
    EXPECT_EQ(preview.accessibleName(), QStringLiteral("Vorschau der Akzentfarbe"));
    DrawnTexts drawn;
    {
        QPainter painter(&drawn);
        preview.render(&painter);
    }
    // The sidebar, then the header and the count, the tasks and their tag, the pill and the switch's label.
    for (const char *shown : {"Inbox", "Done", "Eingang", "1 offen", "Pick a color", "Ship the first build",
                              "Aufgabe hinzufügen", "Fokus"})
        EXPECT_TRUE(drawn.texts.contains(QString::fromUtf8(shown))) << shown << " in " << drawn.texts.join(u'|').toStdString();
    EXPECT_EQ(drawn.texts.count(QStringLiteral("Today")), 2) << drawn.texts.join(u'|').toStdString();
    for (const char *translated : {"Heute", "Erledigt", "Eine Farbe auswählen"})
        EXPECT_FALSE(drawn.texts.contains(QString::fromUtf8(translated))) << translated;
}

TEST_F(GermanWindowsTest, DatesMonthsAndAmountsReadInGermanEverywhere)
{
    EXPECT_EQ(DateText::locale().language(), QLocale::German);
    EXPECT_EQ(DateText::day(QDate(2026, 7, 5)), QStringLiteral("5. Juli 2026"));

    Recognition reading;
    reading.kind = DocumentKind::invoice;
    reading.sender = QStringLiteral("Nordlicht Hosting GmbH");
    reading.date = CalendarUtc::noon(QDate(2026, 10, 1));
    reading.amount = Decimal::fromString(u"1234.5");
    reading.currency = QStringLiteral("EUR");
    const QString path = dir.filePath(QStringLiteral("rechnung.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(path, "%PDF Rechnung"));
    RecognitionRecord record(QString(), QString(), path, reading);
    ASSERT_TRUE(model->store().insert(record));

    // The receipts page: its month title and its table's date and amount.
    ReceiptsPage receipts(*model);
    EXPECT_EQ(receipts.monthTitle(), QStringLiteral("Oktober 2026"));
    ReceiptsModel *rows = receipts.tableModel();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, ReceiptsModel::date).data().toString(), QStringLiteral("1.10.2026"));
    EXPECT_EQ(rows->index(0, ReceiptsModel::amount).data().toString(), QStringLiteral("1234,50"));

    // The review sheet types and shows the day in the German order.
    JournalEntry entry(std::nullopt, QStringLiteral("Rechnungen"), path, path, JournalEntry::Status::review);
    entry.setRecognition(reading);
    std::optional<Recognition> filed;
    ReviewSheet sheet(
        entry, [&filed](const JournalEntry &, const Recognition &corrected) { filed = corrected; },
        [](const JournalEntry &) {});
    EXPECT_EQ(sheet.dateField()->displayFormat(), QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(sheet.dateField()->text(), QStringLiteral("01.10.2026"));
    EXPECT_EQ(sheet.dateField()->locale().language(), QLocale::German);

    // A day that does not exist, then a click on Ablegen: the sheet says why
    // under the field and files nothing; the short German year is this century's.
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    EXPECT_EQ(sheet.fileButton()->text(), QStringLiteral("Ablegen"));
    const auto typeThenFile = [&sheet](const QString &typed) {
        sheet.dateField()->setFocus(Qt::TabFocusReason);
        sheet.dateField()->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(sheet.dateField(), typed);
        QTest::mouseClick(sheet.fileButton(), Qt::LeftButton);
    };
    typeThenFile(QStringLiteral("31.11.2026"));
    EXPECT_FALSE(filed);
    EXPECT_EQ(sheet.dateNote()->text(), QStringLiteral("Den 31.11.2026 gibt es nicht; das Datum bleibt 01.10.2026."));
    EXPECT_TRUE(sheet.dateNote()->isVisibleTo(&sheet));
    typeThenFile(QStringLiteral("5.6.26"));
    ASSERT_TRUE(filed);
    EXPECT_EQ(filed->date, CalendarUtc::noon(QDate(2026, 6, 5)));
}

TEST_F(GermanWindowsTest, ReturnInTheReviewSheetsDateFieldFilesWhatTheFieldHolds)
{
    struct Case
    {
        const char *name;
        std::optional<QDate> day;
        QString typed; // before the Return that files
        QString refusal;
    };
    const QDate day(2026, 6, 5);
    const QList<Case> cases{
        {"no date, untouched", std::nullopt, {}, {}},
        {"no date, a refused day", std::nullopt, "31.11.2026",
         "Den 31.11.2026 gibt es nicht; das Dokument bleibt ohne Datum."},
        {"a date, untouched", day, {}, {}},
        {"a date, a refused day", day, "31.11.2026", "Den 31.11.2026 gibt es nicht; das Datum bleibt 05.06.2026."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Recognition reading;
        if (c.day)
            reading.date = CalendarUtc::noon(*c.day);
        JournalEntry entry(std::nullopt, QStringLiteral("Eingang"), QStringLiteral("/tmp/scan.pdf"),
                           QStringLiteral("/tmp/scan.pdf"), JournalEntry::Status::review);
        entry.setRecognition(reading);
        std::optional<Recognition> filed;
        ReviewSheet sheet(
            entry, [&filed](const JournalEntry &, const Recognition &corrected) { filed = corrected; },
            [](const JournalEntry &) {});
        sheet.show();
        sheet.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
        QTest::mouseClick(sheet.senderField(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), sheet.dateField());
        if (!c.typed.isEmpty()) {
            QTest::keyClicks(QApplication::focusWidget(), c.typed);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_FALSE(filed);
            EXPECT_EQ(sheet.dateNote()->text(), c.refusal);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_TRUE(filed);
        EXPECT_EQ(filed->date, c.day ? std::optional(CalendarUtc::noon(*c.day)) : std::nullopt);
    }
}

TEST_F(GermanWindowsTest, TheJournalTranslatesReadingNotesAndSaysUndoAsThePanelDoes)
{
    const QString home = RealHome::path();
    JournalEntry doubted(std::nullopt, QStringLiteral("Rechnungen"), home + QStringLiteral("/a.pdf"),
                         home + QStringLiteral("/Belege/a.pdf"), JournalEntry::Status::done);
    doubted.message = QStringLiteral("amount: model 280.00, patterns 312.50, no date found");
    ASSERT_TRUE(model->store().insert(doubted));
    JournalEntry failed(std::nullopt, QStringLiteral("Rechnungen"), home + QStringLiteral("/b.pdf"),
                        home + QStringLiteral("/Belege/b.pdf"), JournalEntry::Status::failed);
    failed.message = QStringLiteral("Permission denied");
    ASSERT_TRUE(model->store().insert(failed));

    const JournalRow notes = JournalRow::from(*model->store().journalEntry(doubted.id));
    EXPECT_EQ(notes.message, QStringLiteral("Betrag: Sprachmodell 280,00, Textmuster 312,50, kein Datum gefunden"));
    EXPECT_EQ(model->store().journalEntry(doubted.id)->message, doubted.message); // stored as it was
    EXPECT_EQ(JournalRow::from(*model->store().journalEntry(failed.id)).message, QStringLiteral("Permission denied"));
    EXPECT_EQ(JournalRow::from(*model->store().journalEntry(failed.id)).detail,
              QStringLiteral("Rechnungen: nicht abgelegt, noch in ~"));
    EXPECT_EQ(JournalRow::dayTitle(QDate(2026, 7, 5), QDate(2026, 8, 1)), QStringLiteral("Sonntag, 5. Juli 2026"));

    // One word for Undo: the panel's button says what the journal's says.
    JournalEntry filed(std::nullopt, QStringLiteral("Rechnungen"), home + QStringLiteral("/c.pdf"),
                       home + QStringLiteral("/Belege/c.pdf"), JournalEntry::Status::done);
    filed.setPerformed(Performed{filed.originalPath, filed.newPath, {}, {}, std::nullopt});
    ASSERT_TRUE(model->store().insert(filed));
    MenuBarPanel panel(*model, [] {});
    panel.show();
    const auto *undo = panel.findChild<QPushButton *>(QStringLiteral("undo"));
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->text(), JournalRow::actionTitle(JournalRow::Action::undo));
    EXPECT_EQ(undo->text(), QStringLiteral("Rückgängig"));
}

TEST_F(GermanWindowsTest, EachKindHasOneGermanNameInPickersSentencesAndFileNames)
{
    for (const DocumentKind kind : DocumentKinds::allCases)
        EXPECT_EQ(Labels::title(kind), DocumentKinds::name(kind, NameLanguage::de)) << DocumentKinds::rawValue(kind).toStdString();
    EXPECT_EQ(Labels::title(FileCategory::installer).section(u' ', 0, 0),
              RuleSentence::category(QStringLiteral("installer"), true));
    EXPECT_EQ(Labels::title(Condition::Field::date), QStringLiteral("Belegdatum"));
}

TEST_F(GermanWindowsTest, AnUndoErrorReadsInGermanAndOneStoredInEnglishIsShownSo)
{
    const QString home = RealHome::path();
    // The user moved the filed file away since: the undo says so in German.
    JournalEntry filed(std::nullopt, QStringLiteral("Rechnungen"), home + QStringLiteral("/a.pdf"),
                       home + QStringLiteral("/Belege/weg.pdf"), JournalEntry::Status::done);
    filed.setPerformed(Performed{filed.originalPath, filed.newPath, {}, {}, std::nullopt});
    ASSERT_TRUE(model->store().insert(filed));
    model->autopilot().undo(filed);
    EXPECT_EQ(filed.statusRaw, QStringLiteral("done"));
    const QString german = QStringLiteral("Die Datei liegt nicht mehr unter ~/Belege/weg.pdf. Sie wurde verschoben oder "
                                          "umbenannt, nachdem Filewright sie abgelegt hat.");
    EXPECT_EQ(model->store().journalEntry(filed.id)->message, german);
    EXPECT_EQ(JournalRow::from(*model->store().journalEntry(filed.id)).message, german);

    // A copy onto a taken name fails with the operations' own reason, in German.
    const QString taken = home + QStringLiteral("/Kopie/b.pdf");
    ASSERT_TRUE(TestSupport::writeFile(home + QStringLiteral("/b.pdf"), "b") && TestSupport::writeFile(taken, "own"));
    try {
        FileTransfer::copy(home + QStringLiteral("/b.pdf"), taken);
        ADD_FAILURE() << "copied over a taken name";
    } catch (const FileOperationError &error) {
        EXPECT_EQ(error.description(), QStringLiteral("„b.pdf“ konnte nicht nach „Kopie“ kopiert werden: ein Objekt mit "
                                                      "demselben Namen ist schon vorhanden."));
    }

    // Messages an English run or an earlier build stored stay stored as they
    // are and read in German; the system's own words stay as the system wrote them.
    const std::pair<QString, QString> stored[]{
        {QStringLiteral("The file is no longer at ~/Belege/alt.pdf. It was moved or renamed after Filewright filed it."),
         QStringLiteral("Die Datei liegt nicht mehr unter ~/Belege/alt.pdf. Sie wurde verschoben oder umbenannt, "
                        "nachdem Filewright sie abgelegt hat.")},
        {QStringLiteral("“c.pdf” couldn’t be moved to “Belege”: an item with the same name already exists."),
         QStringLiteral("„c.pdf“ konnte nicht nach „Belege“ verschoben werden: ein Objekt mit demselben Namen ist schon "
                        "vorhanden.")},
        {QStringLiteral("“d.pdf” couldn’t be moved to the Trash: Permission denied."),
         QStringLiteral("„d.pdf“ konnte nicht in den Papierkorb gelegt werden: Permission denied.")},
        {QStringLiteral("“Entgelt_10_2026.pdf” is no longer in ~/Downloads."),
         QStringLiteral("„Entgelt_10_2026.pdf“ liegt nicht mehr in ~/Downloads.")},
        {QStringLiteral("The file is no longer here."), QStringLiteral("The file is no longer here.")},
    };
    for (const auto &[english, shown] : stored) {
        JournalEntry failed(std::nullopt, QStringLiteral("Rechnungen"), home + QStringLiteral("/c.pdf"),
                            home + QStringLiteral("/Belege/c.pdf"), JournalEntry::Status::failed);
        failed.message = english;
        ASSERT_TRUE(model->store().insert(failed));
        EXPECT_EQ(JournalRow::from(*model->store().journalEntry(failed.id)).message, shown);
        EXPECT_EQ(model->store().journalEntry(failed.id)->message, english);
    }
}

TEST_F(GermanWindowsTest, TheFolderChooserShowsItsWholeMessageUnderTheFileListAndKeepsItsButton)
{
    struct Case
    {
        bool watched;
        QString message;
        QString button;
    };
    const QList<Case> cases{
        {true, "Filewright schaut sich neue Dateien in diesem Ordner an und wendet deine Regeln auf sie an.",
         "Ordner beobachten"},
        {false, "Regeln dürfen in diesen Ordner und seine Unterordner ablegen.", "Zugriff erlauben"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.button.toStdString());
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            const auto close = qScopeGuard([dialog] { dialog->reject(); });
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
            seen = true;
            EXPECT_FALSE(dialog->windowTitle().contains(c.message));
            EXPECT_EQ(dialog->labelText(QFileDialog::Accept), c.button);
            const auto *message = dialog->findChild<QLabel *>(QStringLiteral("message"));
            ASSERT_NE(message, nullptr);
            EXPECT_EQ(message->text(), c.message);
            EXPECT_TRUE(message->isVisible());
            // Whole: every wrapped line has room, within the dialog, under the file list.
            EXPECT_GE(message->height(), message->heightForWidth(message->width()));
            EXPECT_LE(message->mapTo(dialog, QPoint(message->width(), message->height())).x(), dialog->width());
            EXPECT_LE(message->mapTo(dialog, QPoint(0, message->height())).y(), dialog->height());
            const auto *files = dialog->findChild<QWidget *>(QStringLiteral("splitter"));
            ASSERT_NE(files, nullptr);
            EXPECT_GT(message->mapTo(dialog, QPoint(0, 0)).y(), files->mapTo(dialog, QPoint(0, files->height())).y());
        });
        EXPECT_FALSE(model->chooseFolder(c.watched, dir.path()));
        EXPECT_TRUE(seen);
    }
}

TEST_F(GermanWindowsTest, EverySettingsPageFitsTheWindowWithALongDateFormat)
{
    Prefs::setValue(QStringLiteral("dateFormat"), QStringLiteral("EEEE d. MMMM yyyy"));
    model->setSettingsTab(SettingsTab::names);
    SettingsWindow window(*model);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(SettingsWindowFit::faults(window).join(u'\n').toStdString(), "");
}

TEST_F(GermanWindowsTest, ThePalettesPageEntriesReadInGermanAndAreFoundByWhatIsTyped)
{
    CommandPalette palette(*model, {});
    QStringList pages;
    for (const CommandPalette::Command &command : palette.commands().mid(0, 4))
        pages.append(command.title);
    EXPECT_EQ(pages.join(u'|'), QStringLiteral("Gehe zu: Regeln|Gehe zu: Journal|Gehe zu: Ordner|Gehe zu: Belege"));
    for (const auto &[typed, page] : {std::pair{"gehe zu belege", 3}, {"zu: ord", 2}, {"Gehe Journal", 1}}) {
        palette.searchField()->clear();
        QTest::keyClicks(palette.searchField(), QString::fromUtf8(typed));
        EXPECT_EQ(palette.matches(), QList<int>{page}) << typed;
    }
}
