#include "FileDialogMessage.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace FileDialogMessage {

QLabel *add(QFileDialog &dialog, const QString &text)
{
    // Only Qt's own dialog has a layout to put the message into.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    if (!grid)
        return nullptr;
    auto *message = new QLabel(text, &dialog);
    message->setObjectName(QStringLiteral("message"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
    return message;
}

} // namespace FileDialogMessage
