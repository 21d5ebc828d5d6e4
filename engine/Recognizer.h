// The one entry point of document recognition, and the small date utilities
// that names, plans and rule conditions share with it.
#pragma once

#include "ModelReader.h"
#include "PatternReader.h"
#include "Recognition.h"

#include <QDateTime>
#include <QSet>
#include <QString>

#include <optional>
#include <stop_token>

namespace Recognizer {

// What a file is: an installer or a screenshot by its name, a photo when an
// image holds hardly any text, otherwise what its text says, read by the
// patterns and, when `useModel` is true and the local language model is
// available, by the model, checked against the patterns. Never fails; blocks
// while it reads, so call it off the main thread. `model` names a model found
// available before; empty: the server is asked which one, if any. A stop
// ends text recognition under way and the model's part at once, its
// connection closed; the patterns then read what was read before it.
Recognition recognize(const QString &path, bool useModel, const QString &model = {}, std::stop_token stop = {});

// The document's text as recognition reads it, at most
// TextExtractor::maxTextCharacters characters: what text conditions of rules
// test. Never fails; blocks while it reads, so call it off the main thread.
// A stop ends text recognition under way.
QString documentText(const QString &path, std::stop_token stop = {});

// The same for a text already extracted; `fileName` only goes to the model.
Recognition recognize(const QString &text, const QString &fileName, bool useModel, const QString &model = {},
                      std::stop_token stop = {});

// The recognition the patterns alone give, with its confidence and notes.
Recognition fromPatterns(const PatternReader::Result &result);

// The model's reading, checked against the patterns and the full text.
Recognition crossCheck(const ModelRecognition &model, const PatternReader::Result &patterns, const QString &text);

// Extensions (lower case, no dot) that are taken as installers.
const QSet<QString> &installerExtensions();

// The local day the file was made (creation date, else date added), as 12:00 UTC.
std::optional<QDateTime> fileDate(const QString &path);

// A "YYYY-MM-DD" text as a day at 12:00 UTC; nothing for anything else.
std::optional<QDateTime> parseISO(const QString &text);

} // namespace Recognizer
