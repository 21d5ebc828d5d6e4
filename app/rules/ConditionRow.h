// One condition of the rule in the editor: which field is tested, with which
// operator, against which value. The value is edited by a menu of document
// kinds, a picker of file categories or a text field, by the field. Fields
// read by recognition are marked, and kept out of reach while the model is
// unavailable; a row that holds one then stays removable, and the focus on a
// control taken away stays in its place rather than moving on to Remove.
#pragma once

#include "Recognition.h"
#include "Rule.h"
#include "RuleRow.h"

class FocusPlace;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

class ConditionRow : public RuleRow
{
    Q_OBJECT

public:
    ConditionRow(const Condition &condition, bool aiAvailable, QWidget *parent = nullptr);

    const Condition &condition() const { return m_condition; }
    QUuid itemID() const override { return m_condition.id; }
    void setAiAvailable(bool available);

    // What the value becomes when the field is chosen, and the prompt of its text field.
    static QString sample(Condition::Field field);
    // The label of the kind menu: the titles of the value's pieces that name a
    // kind, in their order; "Choose" when none does.
    static QString kindSummary(const QString &value);
    // The value with a kind turned on (appended once) or off (every piece of it removed).
    static QString toggledKind(const QString &value, DocumentKind kind, bool on);
    // How a file-type value that is not one category reads in the picker.
    static QString fileTypeLabel(const QString &value);

Q_SIGNALS:
    void conditionChanged(const Condition &condition);

protected:
    void changeEvent(QEvent *event) override;

private:
    void chooseField(Condition::Field field);
    void chooseOperator(int index);
    void chooseFileType(int index);
    void toggleKind(DocumentKind kind, bool on);
    void typeValue(const QString &text);
    // Shows the condition as it stands; writes nothing.
    void refresh();
    QComboBox *fileTypePicker();
    QPushButton *kindButton();
    void refreshKindMenu();
    void refreshEnabled();
    // The mark of a field read by recognition: in the accent while the model can read.
    void refreshMark();

    // Where the kind and file-type pickers go: after the field and operator pickers.
    static constexpr int valueEditorIndex = 2;

    Condition m_condition;
    bool m_aiAvailable;
    QComboBox *m_field = nullptr;
    QComboBox *m_operator = nullptr;
    QComboBox *m_fileType = nullptr;
    QPushButton *m_kind = nullptr;
    QMenu *m_kindMenu = nullptr;
    QLineEdit *m_value = nullptr;
    QLabel *m_mark = nullptr;
    FocusPlace *m_place = nullptr;
};
