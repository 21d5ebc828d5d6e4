// The box at the top of the rules page in which the user describes a rule in
// one sentence; the local language model drafts it, and the draft opens in the
// rule editor as a new, unsaved rule. The model is asked on a worker thread:
// the field shows that it works, stays responsive and can be stopped; stopping
// or closing the field ends the request at once, so that quitting never waits
// for the model server. The line
// under the box tells whether the model can be used, that a sentence did not
// become a rule, or what happens with the sentence.
#pragma once

#include "Rule.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QWidget>

#include <functional>
#include <optional>
#include <stop_token>

class AppModel;
class FocusPlace;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;

class DescribeRuleField : public QWidget
{
    Q_OBJECT

public:
    // Turns a sentence into a rule; runs on a worker thread and throws on any
    // failure. Returns soon after stop is requested (by throwing), and touches
    // nothing of the field.
    using Drafter = std::function<Rule(const QString &sentence, std::stop_token stop)>;

    explicit DescribeRuleField(AppModel &model, QWidget *parent = nullptr);
    ~DescribeRuleField() override;

    // Tests draft against a server of their own.
    void setDrafter(Drafter drafter) { m_drafter = std::move(drafter); }

    QString text() const;
    bool isWorking() const { return m_working; }
    const std::optional<QString> &failure() const { return m_failure; }
    // The line under the box, as it reads now.
    QString statusText() const;
    QLineEdit *lineEdit() const { return m_edit; }
    QPushButton *makeButton() const { return m_make; }

    // Drafts the typed sentence, unless it is blank, the model is not
    // available or a draft is under way.
    void draft();
    // Stops the draft under way (its request ends at once); the sentence stays.
    void cancel();


protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    // The field's focus comes and goes: the box's ring with it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshSymbol();
    void finished();
    void refresh();
    bool hasFocusInBox() const;
    // When a draft ends, for focus that was in the box (focus the user
    // moved elsewhere stays there).
    void returnFocus();

    AppModel &m_model;
    Drafter m_drafter;
    QFutureWatcher<std::optional<Rule>> *m_watcher = nullptr;
    // The draft's thread, the field's own: a request waiting for the model
    // never holds a thread of the shared pool, which painting waits for. The
    // field's end waits for it, and a stopped request ends at once.
    QThreadPool m_pool;
    // Ends the request of the draft under way.
    std::stop_source m_draftStop;
    bool m_working = false;
    std::optional<QString> m_failure;
    QWidget *m_box = nullptr;
    QLabel *m_symbol = nullptr;
    QLineEdit *m_edit = nullptr;
    QStackedWidget *m_buttons = nullptr;
    QPushButton *m_make = nullptr;
    QPushButton *m_stop = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    FocusPlace *m_place = nullptr;
};
