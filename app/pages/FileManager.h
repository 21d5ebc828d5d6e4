// Shows a file in the desktop's file manager, selected, through the
// freedesktop FileManager1 interface; where no file manager answers it, the
// file's folder is opened instead.
#pragma once

#include <QString>

namespace FileManager {

void showItem(const QString &path);

} // namespace FileManager
