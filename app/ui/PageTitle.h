// The title a page of the main window shows at its top, in large bold type:
// the page's name ("Rules", "Journal", "Folders", "Receipts"). The page
// places it and gives it the margins that line it up with its content.
#pragma once

#include <QLabel>

class PageTitle : public QLabel
{
    Q_OBJECT

public:
    explicit PageTitle(const QString &title, QWidget *parent = nullptr);
};
