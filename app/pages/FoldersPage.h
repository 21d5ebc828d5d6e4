// The folders page: the folders Filewright watches and the places rules may
// file into, oldest first, and whether file content can be read. It keeps
// nothing of its own and redraws from the store and the automation driver.
#pragma once

#include <QWidget>

#include <functional>

class AppModel;
class QLabel;
class QVBoxLayout;

class FoldersPage : public QWidget
{
    Q_OBJECT

public:
    explicit FoldersPage(AppModel &model, QWidget *parent = nullptr);

private:
    // A titled group of the page: its rows, then its button and footer.
    // Returns the widget that holds the section's rows, named `name`.
    QWidget *addSection(QVBoxLayout *page, const QString &name, const QString &title, const QString &footer,
                        const QString &button = {}, const std::function<void()> &action = {});
    void refreshFolders();
    void refreshModelStatus();

    AppModel &m_model;
    QWidget *m_watchedRows = nullptr;
    QWidget *m_placeRows = nullptr;
    QLabel *m_statusIcon = nullptr;
    QLabel *m_statusText = nullptr;
};
