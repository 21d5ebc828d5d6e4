// A child for the quit tests: starts as Filewright does (the store's lock,
// the session's name, the application with its main window), starts a
// request to the model from a window, and when a line comes on standard
// input quits with the Quit command. Its argument says which request:
//   --draft       a rule drafted from a sentence typed in the describe field
//   --draft-stop  the same, with Stop pressed before the Quit
//   --dry-run     a dry run of a rule that reads documents with the model
//   --automation  none of its own: it offers the automation on the bus, as
//                 Filewright does, for a command to start one
//   --all-waiting as --automation, with a dry run waiting for the model too;
//                 a line "read PATH" has the automation driver read the file
//                 with the model and print "read" when it is done, any other
//                 line quits
// It prints "working" once the request has started (or, with --automation,
// once the model can be asked) and "quitting" just before the Quit.
//   --export=ROAD an export of March 2026, whose one receipt is the file
//                 ~/Receipts/scan.pdf: "window" and "sheet" start it from the
//                 receipts page into ~/Documents, "automation" only offers
//                 the automation on the bus for a command or a call to start
//                 one. It prints "working" once the page's export runs (or
//                 the automation is offered). A line "quit" quits; with
//                 "sheet", a line "cancel" presses the export sheet's Cancel
//                 and prints "cancelled", then "export ended" at its end.
// With --end-slowly it holds the store and the name and, when a line comes,
// gives up the store and prints "store released", as Filewright does at its
// end, but ends only some seconds later, still holding the name.
//   --key=WHERE   opens a window instead and quits with Ctrl+Q pressed on
//                 its focused control: the rule editor with a rule typed in
//                 ("editor"), the editor's dry run ("dry-run"), the review
//                 sheet ("review"), the command palette ("palette"), the
//                 onboarding ("onboarding"), or, with the main window in the
//                 tray, the settings window ("settings") or the panel ("panel").
//                 It prints "ready" once that window is active, and at the
//                 end what the store holds: "rules N", "review N" and
//                 "onboarded true|false".
//   --busy=WORK   holds the shared thread pool to one thread, as a computer
//                 with one CPU does, and starts the work WORK names, one or
//                 more of "draft", "export" and "catalogue" (the applications
//                 an "Open with" action can name) separated by commas. It
//                 shows a picture whose painting hands its conversion to the
//                 shared pool and waits for it, as Qt's painting does, and
//                 prints "working", then "exported" once an export is done.
//                 At a line it paints the picture again, presses Stop on a
//                 draft and prints "answered"; at the next it quits.
#include "AppModel.h"
#include "ApplicationCatalog.h"
#include "AutomationActions.h"
#include "AutomationBus.h"
#include "AutomationService.h"
#include "Autopilot.h"
#include "CommandPalette.h"
#include "DescribeRuleField.h"
#include "DryRunView.h"
#include "FilewrightApp.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "MenuCommands.h"
#include "MonthExport.h"
#include "OnboardingView.h"
#include "Prefs.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "ReviewSheet.h"
#include "RuleEditor.h"
#include "SettingsWindow.h"
#include "SingleInstance.h"
#include "Store.h"
#include "StoreLock.h"
#include "TestWindows.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTextStream>
#include <QThreadPool>
#include <QTimer>
#include <QtTest/QTest>

#include <cstdio>
#include <string_view>
#include <unistd.h>

namespace {

void say(const char *line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A dry run of a rule on invoices over a folder with one document in it.
DryRunView *openDryRun(FilewrightApp &filewright)
{
    const std::optional<WatchedFolder> watched = TestWindows::inbox(filewright);
    if (!watched)
        return nullptr;
    auto *view = new DryRunView(filewright.model().autopilot(),
                                DryRunRequest{QUuid::createUuid(), TestWindows::invoiceRule(), watched->uuid},
                                &filewright.mainWindow());
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->open();
    return view;
}

// A receipt of March 2026 whose file is ~/Receipts/scan.pdf.
bool seedReceipt(Store &store)
{
    Recognition reading;
    reading.kind = DocumentKind::receipt;
    reading.date = CalendarUtc::noon(QDate(2026, 3, 10));
    reading.amount = Decimal::fromString(u"12.50");
    reading.currency = QStringLiteral("EUR");
    RecognitionRecord record(QString(), QStringLiteral("scan"), QDir::home().filePath(QStringLiteral("Receipts/scan.pdf")),
                             reading);
    return store.insert(record);
}

// Starts the receipts page's export into ~/Documents; none when it did not start.
ReceiptsPage *startPageExport(FilewrightApp &filewright)
{
    filewright.model().setSidebar(SidebarItem::receipts);
    ReceiptsPage *page = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        page = filewright.mainWindow().findChild<ReceiptsPage *>();
        return page && page->tableModel()->rowCount() > 0;
    });
    if (!shown)
        return nullptr;
    const QString destination = QDir::home().filePath(QStringLiteral("Documents/belege-2026-03.zip"));
    page->setSavePanel([destination](const QString &) { return destination; });
    page->findChild<QAction *>(QStringLiteral("exportMonth"))->trigger();
    return page->runningExport() ? page : nullptr;
}

// Presses the Cancel of the page's export sheet once the sheet is shown.
bool pressCancel(ReceiptsPage &page)
{
    QDialog *sheet = page.findChild<QDialog *>(QStringLiteral("exportProgress"));
    if (!sheet || !QTest::qWaitFor([sheet] { return sheet->isVisible(); }))
        return false;
    QTest::mouseClick(sheet->findChild<QPushButton *>(), Qt::LeftButton);
    return true;
}

int exportReceipts(QApplication &app, FilewrightApp &filewright, const QString &road)
{
    if (!seedReceipt(filewright.model().store())) {
        say("not seeded");
        return 4;
    }
    ReceiptsPage *page = road == u"automation" ? nullptr : startPageExport(filewright);
    if (road != u"automation" && !page) {
        say("not exporting");
        return 5;
    }
    if (page) {
        QObject::connect(page, &ReceiptsPage::exportFinished, page, [] { say("export ended"); });
    }
    say("working");

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64] = {};
        if (::read(STDIN_FILENO, line, sizeof line - 1) <= 0) {
            input.setEnabled(false);
            return;
        }
        if (std::string_view(line).starts_with("cancel")) {
            say(page && pressCancel(*page) ? "cancelled" : "no sheet");
            return;
        }
        input.setEnabled(false);
        say("quitting");
        filewright.commands().action(QStringLiteral("quit"))->trigger();
    });
    return app.exec();
}

int quitByKey(QApplication &app, FilewrightApp &filewright, const QString &where)
{
    // A sheet's window counts as active while the window it belongs to is:
    // the application is asked which window has the keys.
    QWidget *window = TestWindows::open(filewright, where);
    const auto hasKeys = [window] {
        return QApplication::activeWindow() == window || QApplication::activePopupWidget() == window;
    };
    if (!window || !QTest::qWaitFor(hasKeys)) {
        say("no window");
        return 4;
    }
    QWidget *focused = QApplication::focusWidget();
    if (!focused || focused->window() != window) {
        say("focus elsewhere");
        return 5;
    }
    say("ready");

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        input.setEnabled(false);
        char ignored[64];
        (void)::read(STDIN_FILENO, ignored, sizeof ignored);
        say("quitting");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
    });
    const int code = app.exec();
    const Store &store = filewright.model().store();
    say(QStringLiteral("rules %1").arg(store.rules().size()).toUtf8().constData());
    say(QStringLiteral("review %1").arg(store.journalCount(JournalEntry::Status::review)).toUtf8().constData());
    say(Prefs::boolValue(QStringLiteral("onboarded")) ? "onboarded true" : "onboarded false");
    return code;
}

// A picture in a format the window's is not: its painting converts it, and
// Qt hands the conversion of a picture this large to the shared thread pool
// and waits for it.
class Picture : public QWidget
{
public:
    Picture()
    {
        m_image.fill(Qt::darkCyan);
        resize(m_image.size());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), m_image);
    }

private:
    QImage m_image{1024, 768, QImage::Format_RGB888};
};

// A month's export of one receipt into the home folder; says how it ended.
MonthExport *exportMonth(QObject *parent)
{
    const QString file = QDir::home().filePath(QStringLiteral("receipt.txt"));
    QFile receipt(file);
    if (!receipt.open(QIODevice::WriteOnly) || receipt.write("Receipt\nTotal 4.20 EUR\n") < 0)
        return nullptr;
    receipt.close();
    ReceiptLine line;
    line.date = QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
    line.kind = DocumentKind::receipt;
    line.file = file;
    auto *running = new MonthExport({line}, 2026, 1, QDir::home().filePath(QStringLiteral("January.zip")), parent);
    QObject::connect(running, &MonthExport::finished, running, [running] {
        say(running->outcome() == MonthExport::Outcome::exported ? "exported" : "not exported");
    });
    running->start();
    return running;
}

int whileBusy(QApplication &app, FilewrightApp &filewright, const QStringList &work)
{
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    MainWindow &window = filewright.mainWindow();
    DescribeRuleField *field = window.findChild<DescribeRuleField *>();
    if (work.contains(QStringLiteral("draft"))) {
        field->lineEdit()->setText(QStringLiteral("invoices to Documents by year"));
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
        if (!field->isWorking()) {
            say("not drafting");
            return 5;
        }
    }
    if (work.contains(QStringLiteral("catalogue")))
        new ApplicationCatalog(&window);
    if (work.contains(QStringLiteral("export")) && !exportMonth(&window)) {
        say("no export");
        return 4;
    }
    say("working");
    Picture picture;
    picture.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    bool answered = false;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char ignored[64];
        (void)::read(STDIN_FILENO, ignored, sizeof ignored);
        if (std::exchange(answered, true)) {
            input.setEnabled(false);
            say("quitting");
            filewright.commands().action(QStringLiteral("quit"))->trigger();
            return;
        }
        picture.repaint();
        if (field->isWorking()) {
            QTest::mouseClick(field->findChild<QPushButton *>(QStringLiteral("stop")), Qt::LeftButton);
            if (field->isWorking())
                say("still drafting after Stop");
        }
        say("answered");
    });
    return app.exec();
}

// A dry run waits for the model; a line "read PATH" has the automation
// driver read the file with the model, and it prints "read" when that
// reading is done. Any other line quits.
int quitWithAllWaiting(QApplication &app, FilewrightApp &filewright)
{
    Autopilot &autopilot = filewright.model().autopilot();
    if (!QTest::qWaitFor([&] { return autopilot.modelStatus().isAvailable(); }, 20'000)) {
        say("no model");
        return 4;
    }
    if (!openDryRun(filewright)) {
        say("no dry run");
        return 4;
    }
    say("working");

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char bytes[4096];
        const ssize_t length = ::read(STDIN_FILENO, bytes, sizeof bytes);
        const QByteArray line = QByteArray(bytes, std::max<ssize_t>(length, 0)).trimmed();
        if (line.startsWith("read ")) {
            autopilot.recognize(QString::fromUtf8(line.mid(5)), std::nullopt, true, &app,
                                [](const Recognition &) { say("read"); });
            return;
        }
        input.setEnabled(false);
        say("quitting");
        filewright.commands().action(QStringLiteral("quit"))->trigger();
    });
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Filewright"));
    QApplication::setApplicationName(QStringLiteral("Filewright"));
    const QString mode = QApplication::arguments().value(1);
    AutomationBus::registerTypes();

    SingleInstance instance;
    std::optional<StoreLock> lock = StoreLock::take(Store::url(), std::chrono::seconds(5), [] { return false; });
    if (!lock) {
        say("store busy");
        return 2;
    }
    if (mode == u"--end-slowly") {
        if (!instance.registerAsPrimary()) {
            say("name taken");
            return 3;
        }
        say("ready");
        char ignored[64];
        (void)::read(STDIN_FILENO, ignored, sizeof ignored);
        // What it offered on the bus is gone, as a program's is at its end;
        // it still answers the bus (that there is nothing), but holds the
        // name until it ends.
        QDBusConnection::sessionBus().unregisterObject(QString::fromLatin1(SingleInstance::objectPath));
        lock.reset();
        say("store released");
        QTimer::singleShot(std::chrono::seconds(4), &app, &QCoreApplication::quit);
        return app.exec();
    }
    FilewrightApp filewright;
    // As Filewright offers it: on the bus before the name.
    AppModel &model = filewright.model();
    AutomationActions actions(model.store(), model.autopilot());
    AutomationService automation(actions, model.store().path());
    if (mode == u"--automation" || mode == u"--export=automation" || mode == u"--all-waiting")
        automation.publish(QDBusConnection::sessionBus());
    if (!instance.registerAsPrimary()) {
        say("name taken");
        return 3;
    }
    filewright.showMainWindow();
    if (mode.startsWith(u"--export="))
        return exportReceipts(app, filewright, mode.mid(9));
    if (mode.startsWith(u"--key="))
        return quitByKey(app, filewright, mode.mid(6));
    if (mode.startsWith(u"--busy="))
        return whileBusy(app, filewright, mode.mid(7).split(u','));
    if (mode == u"--all-waiting")
        return quitWithAllWaiting(app, filewright);

    DescribeRuleField *field = filewright.mainWindow().findChild<DescribeRuleField *>();
    if (mode == u"--automation") {
        if (!QTest::qWaitFor([&] { return model.autopilot().modelStatus().isAvailable(); }, 20'000)) {
            say("no model");
            return 4;
        }
    } else if (mode == u"--dry-run") {
        if (!openDryRun(filewright)) {
            say("no dry run");
            return 4;
        }
    } else if (field) {
        field->lineEdit()->setText(QStringLiteral("invoices to Documents by year"));
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
    }
    if (mode != u"--dry-run" && mode != u"--automation" && (!field || !field->isWorking())) {
        say("not drafting");
        return 5;
    }
    say("working");

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        input.setEnabled(false);
        char ignored[64];
        (void)::read(STDIN_FILENO, ignored, sizeof ignored);
        if (mode == u"--draft-stop") {
            QTest::mouseClick(field->findChild<QPushButton *>(QStringLiteral("stop")), Qt::LeftButton);
            if (field->isWorking())
                say("still drafting after Stop");
        }
        say("quitting");
        filewright.commands().action(QStringLiteral("quit"))->trigger();
    });
    return app.exec();
}
