// Filewright's texts in a language chosen per call. The windows speak the
// language whose translation the application installed; an answer to a
// command speaks the language of the process that asked, which may differ.
#pragma once

#include "Recognition.h"

#include <QString>

namespace LanguageTexts {

// The compiled translation file of that name beside the executable's
// prefix, in the XDG data folders, or where the build wrote it; empty when
// there is none.
QString translationFile(const QString &name);

// A text marked with QT_TRANSLATE_NOOP (or QT_TRANSLATE_N_NOOP when it
// counts n) in context, in language; the text itself where the translation
// has none. "%n" stands for n.
QString text(NameLanguage language, const char *context, const char *source, int n = -1);

} // namespace LanguageTexts
