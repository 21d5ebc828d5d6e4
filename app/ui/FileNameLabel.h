// A label for a file name: one line, cut in the middle to the width its
// layout gives it, the full name (on one line) as its text and tooltip. It
// asks for no more room than a usual name takes, so a long name never
// widens its window.
#pragma once

#include <QLabel>

class FileNameLabel : public QLabel
{
    Q_OBJECT

public:
    explicit FileNameLabel(const QString &name, QWidget *parent = nullptr);

    void setName(const QString &name);
    QString name() const { return m_name; }
    // What the label shows at its width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
};
