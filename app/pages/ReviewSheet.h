// The sheet in which the user checks one file that waits for review: it
// shows the file and the values read from it, lets the user correct kind,
// sender, document date, amount and currency, and then files the file with
// the corrected values ("File It"), leaves it where it is ("Skip") or closes
// without a change ("Cancel"). Nothing reaches the entry before File It or Skip.
// A typed day the sheet cannot take is named under the date field with what
// is kept instead, and the key or click that ended that typing files nothing.
// The line comes and goes only once a click is over: the button a press
// found stays under the pointer until the release.
#pragma once

#include "AfterClick.h"
#include "DayField.h"
#include "Models.h"
#include "Sheet.h"

#include <functional>

class QComboBox;
class QDateEdit;
class FormSection;
class QLabel;
class QLineEdit;
class QPushButton;

class ReviewSheet : public Sheet
{
    Q_OBJECT

public:
    static constexpr int width = 520;
    static constexpr int maximumHeight = 640;

    // What the sheet's buttons do with the entry; the journal page passes
    // its way of reaching the Autopilot.
    using Approve = std::function<void(const JournalEntry &entry, const Recognition &corrected)>;
    using Skip = std::function<void(const JournalEntry &entry)>;

    ReviewSheet(const JournalEntry &entry, Approve approve, Skip skip, QWidget *parent = nullptr);
    // Stops listening to its fields first: the date field ends a typed day
    // as QDialog's destructor hides the sheet.
    ~ReviewSheet() override;

    const JournalEntry &entry() const { return m_entry; }
    // The values as File It sends them: the corrections, the amount read
    // from its text, confidence 1.
    Recognition corrected() const;
    QString footer() const;

    QComboBox *kindBox() const { return m_kind; }
    QLineEdit *senderField() const { return m_sender; }
    QDateEdit *dateField() const { return m_date; }
    // The line under the date field that says why a typed day was not taken.
    QLabel *dateNote() const { return m_dateNote; }
    QLineEdit *amountField() const { return m_amount; }
    QLineEdit *currencyField() const { return m_currency; }
    QPushButton *fileButton() const { return m_file; }
    QPushButton *skipButton() const { return m_skip; }

    // The blank reading of an entry that holds none.
    static Recognition blank();

private:
    QWidget *makeFileSection(QWidget *parent);
    QWidget *makeValuesSection(QWidget *parent);
    QWidget *makeButtons();
    void takeDay(const QDate &day);
    // Shows the line under the date field with the given text, or hides it.
    void showDateNote(const std::optional<QString> &text);
    void showRefusal(const QString &typed, DayField::Refusal why);
    QString refusalText(const QString &typed, DayField::Refusal why) const;

    const JournalEntry m_entry;
    Approve m_approve;
    Skip m_skipEntry;
    Recognition m_recognition;
    QComboBox *m_kind = nullptr;
    QLineEdit *m_sender = nullptr;
    DayField *m_date = nullptr;
    QLabel *m_dateNote = nullptr;
    QLineEdit *m_amount = nullptr;
    QLineEdit *m_currency = nullptr;
    FormSection *m_values = nullptr;
    QPushButton *m_file = nullptr;
    QPushButton *m_skip = nullptr;
    // A typed day refused as the focus went to File It: the press that took
    // the focus there files nothing, nor the click it ends in.
    bool m_refusedOntoFile = false;
    bool m_pressFilesNothing = false;
    // The line under the date field comes and goes once a click is over.
    AfterClick m_afterClick;
};
