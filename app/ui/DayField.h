// A date field in which a day typed as text is the day it holds. Qt's date
// edit works section by section against the date it holds: after two digits
// it moves on by itself, so that a typed separator then skips a section, and
// it shortens a day the month does not have (31.11. becomes 30.11.) while the
// rest is still being typed. Here digits and separators typed into the field
// are collected as the day, month and year of the display format, with or
// without separators (then two digits each for day and month), and become the
// field's date once the year is whole. Sections not typed keep the held
// date's values. A typed day that does not exist is never held: the field
// keeps its date and shows it again when the typing ends (Return, Tab, a
// click, leaving the field). Tab and Shift+Tab leave the field, as they
// leave every other field. Everything else (arrows, the calendar) is the
// date edit's own.
#pragma once

#include <QDateEdit>
#include <QList>

#include <optional>

class DayField : public QDateEdit
{
    Q_OBJECT

public:
    explicit DayField(QWidget *parent = nullptr);

    // Whether typed text is shown that is not yet the date held.
    bool isTyping() const { return m_typing.has_value(); }

    QValidator::State validate(QString &input, int &position) const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum class Part { day, month, year };
    // One section of the display format and the separator after it.
    struct Section
    {
        Part part;
        int width;   // digits at most
        int shown;   // digits the held value is shown with, zeros in front
        QString separator;
    };
    // The sections typed so far; an empty optional is a section not typed.
    struct Typing
    {
        QList<std::optional<QString>> digits;
        int current = 0;
    };

    // The display format's sections, or none when it holds anything but
    // numeric day, month and year (then typing is the date edit's own).
    std::optional<QList<Section>> sections() const;
    bool isSeparator(const QString &text) const;
    void type(const QChar &digit);
    void separate();
    void erase();
    // The day of the typed sections, the held date's values for the rest;
    // none when the year is not whole or the day does not exist in range.
    std::optional<QDate> typedDay() const;
    // Holds a whole typed day that exists; otherwise shows the typing.
    void takeOrShow();
    // Ends the typing: the typed day when it exists, else the held date again.
    void endTyping();

    std::optional<Typing> m_typing;
};
