// Showing files in the desktop's file manager: the file manager's ShowItems
// call on the session bus selects them in a window of their folder; where no
// file manager answers it, the folder of the first item is opened instead.
// Never waits on the bus.
#pragma once

#include <QStringList>

#include <functional>

namespace FileManager {

// Called, on the main thread, when neither could be done.
using NotShown = std::function<void()>;

// paths: absolute paths of files or folders.
void showItems(const QStringList &paths, NotShown notShown = {});

} // namespace FileManager
