// A message in a file dialog that is read whole: it stands under the file
// list of Qt's own dialog, wrapped to the dialog's width, where a window
// title would be cut by the window manager and a desktop's own dialog has
// no place for it.
#pragma once

#include <QString>

class QFileDialog;
class QLabel;

namespace FileDialogMessage {

// Makes the dialog Qt's own and puts text under its file list; the label
// that shows it, none when the dialog has no layout to take it.
QLabel *add(QFileDialog &dialog, const QString &text);

} // namespace FileDialogMessage
