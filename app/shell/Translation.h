// German or English: the first of the desktop's interface languages that
// Filewright speaks (Prefs::sentenceLanguage) decides both the windows' texts
// and the sentences, so a German desktop never gets a mix.
#pragma once

#include "Recognition.h"

#include <QStringList>

namespace Translation {

// Loads the German translation (Filewright's and Qt's own) into the
// application when the desktop's languages choose German, else the
// English plural forms of counted texts. Returns the language the windows
// now speak.
NameLanguage install();

} // namespace Translation
