// The icon of a file path: the file manager's icon of the item when it
// exists (folders included), else the icon of the type its extension names.
#pragma once

#include <QIcon>
#include <QWidget>

class FileIcon : public QWidget
{
    Q_OBJECT

public:
    FileIcon(const QString &path, int size, QWidget *parent = nullptr);

    static QIcon icon(const QString &path);

    void setPath(const QString &path);
    QString path() const { return m_path; }

    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
    int m_size;
};
