// The application's windows as tests open them: a sheet on the main window,
// with something typed or chosen in it where it can be, or, with the main
// window in the tray, the settings window or the panel.
#pragma once

#include "Models.h"
#include "Rule.h"

#include <QString>

#include <optional>

class FilewrightApp;
class QWidget;

namespace TestWindows {

// A watched folder "Inbox" in the home with one invoice in it.
std::optional<WatchedFolder> inbox(FilewrightApp &filewright);

// A rule on invoices, which reads documents with the model.
Rule invoiceRule();

// Opens the window that where names: the rule editor with a rule typed in
// ("editor"), the editor's dry run ("dry-run"), the review sheet ("review"),
// the command palette ("palette"), the onboarding ("onboarding"), or, with
// the main window in the tray, the settings window ("settings") or the panel
// ("panel"). Null when it did not open.
QWidget *open(FilewrightApp &filewright, const QString &where);

} // namespace TestWindows
