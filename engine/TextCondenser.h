// Shortening a long document text so that it fits a language model's prompt.
#pragma once

#include <QString>

namespace TextCondenser {

// The text's non-empty lines when they fit `limit` characters; otherwise its
// first 15 lines, lines 55 to 60, and every line with an amount, a date, a
// currency or a key word, each cut to 160 characters, as many as fit.
QString condense(const QString &text, int limit);

} // namespace TextCondenser
