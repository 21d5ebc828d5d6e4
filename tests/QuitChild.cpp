// A child for the quit tests: starts as Filewright does (the store's lock,
// the session's name, the application with its main window), starts a
// request to the model from a window, and when a line comes on standard
// input quits with the Quit command. Its argument says which request:
//   --draft       a rule drafted from a sentence typed in the describe field
//   --draft-stop  the same, with Stop pressed before the Quit
//   --dry-run     a dry run of a rule that reads documents with the model
//   --automation  none of its own: it offers the automation on the bus, as
//                 Filewright does, for a command to start one
// It prints "working" once the request has started (or, with --automation,
// once the model can be asked) and "quitting" just before the Quit.
// With --end-slowly it holds the store and the name and, when a line comes,
// gives up the store and prints "store released", as Filewright does at its
// end, but ends only some seconds later, still holding the name.
#include "AppModel.h"
#include "AutomationActions.h"
#include "AutomationBus.h"
#include "AutomationService.h"
#include "Autopilot.h"
#include "DescribeRuleField.h"
#include "DryRunView.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "MenuCommands.h"
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

// A dry run of a rule on invoices over a folder with one document in it.
DryRunView *openDryRun(FilewrightApp &filewright)
{
    const QString folder = QDir::home().filePath(QStringLiteral("Inbox"));
    QDir().mkpath(folder);
    QFile document(folder + QStringLiteral("/invoice.txt"));
    if (!document.open(QIODevice::WriteOnly) || document.write("Invoice 42\nTotal 12.50 EUR\n") < 0)
        return nullptr;
    document.close();
    const std::optional<WatchedFolder> watched = filewright.model().autopilot().addFolder(folder, true);
    if (!watched)
        return nullptr;
    const Rule rule{QUuid::createUuid(),
                    QStringLiteral("Invoices"),
                    {Condition{QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is, QStringLiteral("invoice")}},
                    {RuleAction{QUuid::createUuid(), RuleAction::Kind::tag, QStringLiteral("Invoice")}},
                    true,
                    std::nullopt};
    auto *view = new DryRunView(filewright.model().autopilot(), DryRunRequest{QUuid::createUuid(), rule, watched->uuid},
                                &filewright.mainWindow());
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->open();
    return view;
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
    if (mode == u"--automation")
        automation.publish(QDBusConnection::sessionBus());
    if (!instance.registerAsPrimary()) {
        say("name taken");
        return 3;
    }
    filewright.showMainWindow();

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
