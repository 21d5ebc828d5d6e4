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
#include "AppModel.h"
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
#include "OnboardingView.h"
#include "Prefs.h"
#include "ReviewSheet.h"
#include "RuleEditor.h"
#include "SettingsWindow.h"
#include "SingleInstance.h"
#include "Store.h"
#include "StoreLock.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <QtTest/QTest>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const char *line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A watched folder with one invoice in it.
std::optional<WatchedFolder> inbox(FilewrightApp &filewright)
{
    const QString folder = QDir::home().filePath(QStringLiteral("Inbox"));
    QDir().mkpath(folder);
    QFile document(folder + QStringLiteral("/invoice.txt"));
    if (!document.open(QIODevice::WriteOnly) || document.write("Invoice 42\nTotal 12.50 EUR\n") < 0)
        return std::nullopt;
    document.close();
    return filewright.model().autopilot().addFolder(folder, true);
}

// A rule on invoices, which reads documents with the model.
Rule invoiceRule()
{
    return Rule{QUuid::createUuid(),
                QStringLiteral("Invoices"),
                {Condition{QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is,
                           QStringLiteral("invoice")}},
                {RuleAction{QUuid::createUuid(), RuleAction::Kind::tag, QStringLiteral("Invoice")}},
                true,
                std::nullopt};
}

// A dry run of a rule on invoices over a folder with one document in it.
DryRunView *openDryRun(FilewrightApp &filewright)
{
    const std::optional<WatchedFolder> watched = inbox(filewright);
    if (!watched)
        return nullptr;
    auto *view = new DryRunView(filewright.model().autopilot(),
                                DryRunRequest{QUuid::createUuid(), invoiceRule(), watched->uuid},
                                &filewright.mainWindow());
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->open();
    return view;
}

template<typename Window>
Window *activeModal()
{
    Window *window = nullptr;
    const bool shown = QTest::qWaitFor([&window] {
        window = qobject_cast<Window *>(QApplication::activeModalWidget());
        return window != nullptr;
    });
    return shown ? window : nullptr;
}

// Opens the window that WHERE names, with something typed or chosen in it
// where it can be; none when it did not open.
QWidget *openWindow(FilewrightApp &filewright, const QString &where)
{
    AppModel &model = filewright.model();
    if (where == u"editor") {
        model.newRule();
        RuleEditor *editor = activeModal<RuleEditor>();
        if (QLineEdit *name = editor ? editor->findChild<QLineEdit *>(QStringLiteral("name")) : nullptr)
            name->setText(QStringLiteral("Bills"));
        return editor;
    }
    if (where == u"dry-run") {
        const std::optional<WatchedFolder> watched = inbox(filewright);
        if (!watched)
            return nullptr;
        model.setEditing(AppModel::Editing{QUuid::createUuid(), invoiceRule(), watched->uuid, true});
        RuleEditor *editor = activeModal<RuleEditor>();
        if (!editor || !QTest::qWaitForWindowActive(editor))
            return nullptr;
        editor->findChild<QPushButton *>(QStringLiteral("dryRun"))->click();
        return activeModal<DryRunView>();
    }
    if (where == u"review") {
        const QString file = QDir::home().filePath(QStringLiteral("scan.pdf"));
        JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), file, file, JournalEntry::Status::review);
        if (!model.store().insert(entry))
            return nullptr;
        model.setSidebar(SidebarItem::journal);
        filewright.mainWindow().findChild<JournalPage *>()->review(entry.id);
        return activeModal<ReviewSheet>();
    }
    if (where == u"palette") {
        model.setShowPalette(true);
        CommandPalette *palette = activeModal<CommandPalette>();
        if (palette)
            palette->searchField()->setText(QStringLiteral("rule"));
        return palette;
    }
    if (where == u"onboarding") {
        model.setShowOnboarding(true);
        return activeModal<OnboardingView>();
    }
    // The main window is in the tray, its menu bar hidden with it.
    filewright.mainWindow().close();
    if (where == u"settings") {
        filewright.openSettings();
        return &filewright.settingsWindow();
    }
    if (where == u"panel") {
        filewright.showPanel();
        return &filewright.panel();
    }
    return nullptr;
}

int quitByKey(QApplication &app, FilewrightApp &filewright, const QString &where)
{
    // A sheet's window counts as active while the window it belongs to is:
    // the application is asked which window has the keys.
    QWidget *window = openWindow(filewright, where);
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
    if (mode == u"--automation" || mode == u"--all-waiting")
        automation.publish(QDBusConnection::sessionBus());
    if (!instance.registerAsPrimary()) {
        say("name taken");
        return 3;
    }
    filewright.showMainWindow();
    if (mode.startsWith(u"--key="))
        return quitByKey(app, filewright, mode.mid(6));
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
