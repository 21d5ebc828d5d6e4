#include "TestWindows.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "CommandPalette.h"
#include "DryRunView.h"
#include "FilewrightApp.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "OnboardingView.h"
#include "ReviewSheet.h"
#include "RuleEditor.h"
#include "SettingsWindow.h"
#include "Store.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

namespace {

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

} // namespace

namespace TestWindows {

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

QWidget *open(FilewrightApp &filewright, const QString &where)
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

} // namespace TestWindows
