// The Names tab: the language of the words templates put into names and the
// date format of "{datum}", with a live example made exactly the way a filed
// name is made.
#pragma once

#include <QWidget>

class LineLimitedLabel;
class QComboBox;

class NameSettings : public QWidget
{
    Q_OBJECT

public:
    explicit NameSettings(QWidget *parent = nullptr);

    // The example file name for the stored language and date format.
    static QString example();

private:
    void refresh();

    QComboBox *m_language = nullptr;
    QComboBox *m_dateFormat = nullptr;
    LineLimitedLabel *m_example = nullptr;
};
