#include "RecognitionLine.h"

#include "Chip.h"
#include "DateText.h"
#include "NameTemplate.h"
#include "PatternReader.h"
#include "Prefs.h"
#include "Roles.h"

#include <QHBoxLayout>
#include <QLabel>

RecognitionLine::RecognitionLine(const Recognition &recognition, QWidget *parent)
    : QWidget(parent)
    , m_chip(new Chip(tr("recognized"), {}, this))
    , m_text(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_chip, 0, Qt::AlignVCenter);
    layout->addWidget(m_text, 1, Qt::AlignVCenter);
    m_chip->setAccentTint();
    Roles::setSecondary(m_text);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(0);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setRecognition(recognition);
}

void RecognitionLine::setRecognition(const Recognition &recognition)
{
    m_chip->setSymbol(symbol(recognition.source));
    m_summary = summary(recognition, Prefs::sentenceLanguage());
    m_text->setToolTip(m_summary);
    showSummary();
}

QString RecognitionLine::symbol(Recognition::Source source)
{
    return source == Recognition::Source::model ? QStringLiteral("apple.intelligence")
                                                : QStringLiteral("text.magnifyingglass");
}

QString RecognitionLine::summary(const Recognition &recognition, NameLanguage language, const QLocale &locale)
{
    QStringList parts{DocumentKinds::name(recognition.kind, language)};
    if (recognition.sender)
        parts.append(PatternReader::shortSender(*recognition.sender));
    if (recognition.amount) {
        const QString amount = NameTemplate::format(*recognition.amount, language) + QLatin1Char(' ') +
                               recognition.currency.value_or(QString());
        // Spaces and tabs only: an amount without a currency ends without a space.
        qsizetype begin = 0;
        qsizetype end = amount.size();
        while (begin < end && (amount[begin] == u' ' || amount[begin] == u'\t'))
            ++begin;
        while (end > begin && (amount[end - 1] == u' ' || amount[end - 1] == u'\t'))
            --end;
        parts.append(amount.mid(begin, end - begin));
    }
    if (recognition.date)
        parts.append(DateText::abbreviated(*recognition.date, locale));
    return parts.join(QStringLiteral(" \u00B7 "));
}

void RecognitionLine::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    showSummary();
}

void RecognitionLine::showSummary()
{
    m_text->setText(m_text->fontMetrics().elidedText(m_summary, Qt::ElideRight, std::max(0, m_text->width())));
}
