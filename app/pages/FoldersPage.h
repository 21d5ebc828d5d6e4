// The folders page: the folders Filewright watches and the places rules may
// file into, oldest first, and whether file content can be read. It keeps
// nothing of its own and redraws from the store and the automation driver.
#pragma once

#include <QWidget>

#include <functional>

class AppModel;
class FolderRow;
class ModelStatusLine;
class QPushButton;
class QVBoxLayout;

class FoldersPage : public QWidget
{
    Q_OBJECT

public:
    explicit FoldersPage(AppModel &model, QWidget *parent = nullptr);

private:
    struct Section
    {
        QWidget *rows = nullptr; // named as the section
        QPushButton *button = nullptr;
    };

    // A titled group of the page: its rows, then its button and footer.
    Section addSection(QVBoxLayout *page, const QString &name, const QString &title, const QString &footer,
                       const QString &button = {}, const std::function<void()> &action = {});
    // Shows the stored folders anew. A control of the page that had the
    // focus keeps it: the same control of the same folder, or, when its
    // folder is gone, what now stands in its place in the section.
    void refreshFolders();
    // The rows of a section, top to bottom.
    static QList<FolderRow *> rowsOf(const Section &section);
    // Tab follows the screen: each section's rows, then its button.
    void orderTabs();
    void refreshModelStatus();

    AppModel &m_model;
    Section m_watched;
    Section m_places;
    ModelStatusLine *m_status = nullptr;
};
