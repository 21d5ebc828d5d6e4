// The switch of one starter rule in onboarding: a check box whose label is
// the rule's name over its sentence. A click anywhere on it switches it, as
// on the box itself; a screen reader hears the name as the box's name and
// the sentence as its description.
#pragma once

#include <QCheckBox>

class QLabel;

class StarterRuleToggle : public QCheckBox
{
    Q_OBJECT

public:
    StarterRuleToggle(const QString &name, QWidget *parent = nullptr);

    void setSentence(const QString &sentence);
    QString sentence() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &position) const override;

private:
    QRect indicatorRect() const;

    QLabel *m_name = nullptr;
    QLabel *m_sentence = nullptr;
};
