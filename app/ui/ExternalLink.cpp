#include "ExternalLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>

namespace ExternalLink {

bool open(const QUrl &url, QWidget *parent)
{
    if (QDesktopServices::openUrl(url))
        return true;
    QWidget *window = parent ? parent->window() : QApplication::activeWindow();
    const bool mail = url.scheme() == QLatin1String("mailto");
    auto *box = new QMessageBox(window);
    box->setObjectName(QStringLiteral("linkNotOpened"));
    box->setIcon(QMessageBox::Warning);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    if (mail) {
        box->setText(QCoreApplication::translate("ExternalLink", "No mail program could be opened to write to %1.")
                         .arg(url.path()));
        box->setInformativeText(QCoreApplication::translate(
            "ExternalLink", "Set up a mail program on this computer, or write to this address from the one you use."));
    } else {
        box->setText(QCoreApplication::translate("ExternalLink", "No web browser could be opened for %1.")
                         .arg(url.toDisplayString()));
        box->setInformativeText(QCoreApplication::translate(
            "ExternalLink", "Set up a web browser on this computer, or copy the address into the one you use."));
    }
    box->setStandardButtons(QMessageBox::Ok);
    if (window)
        box->setWindowModality(Qt::WindowModal);
    box->open();
    return false;
}

} // namespace ExternalLink
