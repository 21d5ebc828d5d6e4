// Turns an empty test store and a throw-away home folder into a lived-in
// starting state for demonstrations: the standard folders, the sample
// documents and two screenshots, watched folders and places, the starter
// rules, and a journal of filings made minutes to hours ago, one of them
// waiting for review. Runs only when the environment asks for it, and only
// on a test store and a home folder inside the temporary folder, because it
// deletes that home folder.
#pragma once

#include <QString>

#include <optional>

class AppModel;

namespace SeedData {

// The line printed when seeding is asked for but store or home are not
// throw-away ones.
inline constexpr char refusal[] = "APP_SEED ignored: APP_STORE and APP_HOME must be in /tmp";

// APP_HOME, resolved ("..", ".", symbolic links), when it lies strictly
// below the temporary folder (TestEnvironment); none otherwise.
std::optional<QString> home();

// Seeds the model's store when APP_SEED is exactly "1", a test store is in
// use, APP_HOME is a throw-away folder and the store holds no rule yet.
// Prints the refusal line when seeding is asked for on anything else.
void insertIfRequested(AppModel &model);

} // namespace SeedData
