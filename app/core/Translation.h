// German or English: the first of the desktop's interface languages that
// Filewright speaks decides both the windows' texts and the sentences, so a
// German desktop never gets a mix.
#pragma once

#include "Recognition.h"

#include <QStringList>

namespace Translation {

// de for the first entry that is German ("de", "de-CH", "de_AT"), en for
// the first that is English, entries of other languages skipped; en when
// none is either.
NameLanguage language(const QStringList &uiLanguages);

// Loads the German translation (Filewright's and Qt's own) into the
// application when the desktop's languages choose German, else the
// English plural forms of counted texts. Returns the language the windows
// now speak.
NameLanguage install();

} // namespace Translation
