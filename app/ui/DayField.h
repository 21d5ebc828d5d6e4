// A date field in which a day typed as text is the day it holds. Qt's date
// edit works section by section against the date it holds: after two digits
// it moves on by itself, so that a typed separator then skips a section, and
// it shortens a day the month does not have (31.11. becomes 30.11.) while the
// rest is still being typed. Here the keys typed into the field are read as
// a TypedDay, with any of the usual separators or none, and the day they give
// becomes the field's date when the typing ends (Return, Tab, a click,
// leaving the field). A typed day that does not exist or lies outside the
// field's range is never held: the field shows its date again and says why
// it refused (refused), and the Return that ended such a typing goes no
// further, so that a dialog's default button does not take the date unseen.
// A typed day is taken (dayTaken) also when it is the day already shown, so
// that a form that shows a day it does not hold learns that it was chosen;
// a Return that ends no typing announces the date only when it changed it.
// Tab and Shift+Tab leave the field, as they leave every other field;
// Alt+Down and F4 open the calendar, as they open a combo box's list.
// The calendar opens as wide as its weekday names need: each stands whole
// in its column, where the date edit would cut one it measured too short.
// Its day numbers and weekday names read 4.5:1 on the grounds the style
// draws them on, light and dark, a names row darker than the text
// included (the weekend's are Qt's pure red otherwise, the days of the
// months around it the palette's disabled text): the weekend's names and
// numbers each on their own grounds. Its popup wears an edge that stands
// apart from the window it opens over.
// Everything else (arrows, the calendar) is the date edit's own.
#pragma once

#include "TypedDay.h"

#include <QDateEdit>

#include <optional>
#include <variant>

class DayField : public QDateEdit
{
    Q_OBJECT

public:
    explicit DayField(QWidget *parent = nullptr);

    // Why a typing ended without a day.
    enum class Refusal {
        yearNotWhole, // the year typed has one or three digits, or a run of digits ended in it
        noSuchDay,
        beforeFirstDay, // before the field's minimum date
        afterLastDay, // after the field's maximum date
    };
    Q_ENUM(Refusal)

    // Whether typed text is shown that is not yet the date held.
    bool isTyping() const { return m_typing.has_value(); }

    QValidator::State validate(QString &input, int &position) const override;

Q_SIGNALS:
    // Keys were typed: the field shows them in place of its date.
    void typingShown();
    // A typing ended with the day it gives, held now.
    void dayTaken(const QDate &day);
    // A typing ended without a day; typed is the text it showed. The field
    // holds and shows the date it held before.
    void refused(const QString &typed, DayField::Refusal why);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void showTyping();
    // Ends the typing: holds the typed day when it exists within the range;
    // otherwise shows the held date again, reports why and returns false.
    bool endTyping();
    std::optional<Refusal> refusal(const std::variant<QDate, TypedDay::Fault> &typed) const;
    void openCalendar();
    // Widens the calendar's columns to its widest weekday name.
    void fitCalendar();
    // Has the weekend and the days of the months around coloured, each time
    // the calendar shows, so that they read on the grounds drawn; edges its
    // popup.
    void colourCalendar();

    std::optional<TypedDay> m_typing;
};
