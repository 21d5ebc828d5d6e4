// Showing files in the desktop's file manager: the file manager's ShowItems
// call on the session bus selects them in a window of their folder; where no
// file manager answers it, the folder of the first item is opened instead.
// Never waits on the bus.
#pragma once

#include <QStringList>

namespace FileManager {

// paths: absolute paths of files or folders.
void showItems(const QStringList &paths);

} // namespace FileManager
