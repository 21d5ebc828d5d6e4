// One line about a recognition: a "recognized" chip that shows whether the
// language model or the text patterns read it, then kind · sender · amount ·
// date in the sentence language, cut to one line.
#pragma once

#include "DateText.h"
#include "Recognition.h"

#include <QLocale>
#include <QWidget>

class Chip;
class QLabel;

class RecognitionLine : public QWidget
{
    Q_OBJECT

public:
    explicit RecognitionLine(const Recognition &recognition, QWidget *parent = nullptr);

    void setRecognition(const Recognition &recognition);

    // "Invoice · Stadtwerke · 120.50 CHF · 31 Dec 2024": the kind always, the
    // sender without its legal form, the amount with its currency and the
    // document day, each only when known.
    static QString summary(const Recognition &recognition, NameLanguage language, const QLocale &locale = DateText::locale());
    static QString symbol(Recognition::Source source);

    QString summaryText() const { return m_summary; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showSummary();

    Chip *m_chip;
    QLabel *m_text;
    QString m_summary;
};
