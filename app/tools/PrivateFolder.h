// A new folder of its own in the temporary folder that only its owner can
// open, whatever the umask: the export folders and the recognise action's
// working folder hold a person's invoices, and the temporary folder is
// shared by every user of the machine.
#pragma once

#include "ActionError.h"

#include <QString>

namespace PrivateFolder {

// Creates "<temporary folder>/<prefix><uuid>" with mode 0700 and gives its
// path, or the system's reason why it could not be made, told in language.
ActionResult<QString> create(const QString &prefix, NameLanguage language);

} // namespace PrivateFolder
