// The icon of a file path: an existing folder's icon from the file manager's
// provider (custom folder icons included), and for a file, existing or gone,
// the desktop icon theme's icon of its type, as a file manager shows it.
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
