#include "NameSettings.h"

#include "FormSection.h"
#include "LineLimitedLabel.h"
#include "PatternReader.h"
#include "Prefs.h"
#include "Roles.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QVBoxLayout>

#include <limits>

namespace {

// A picker of fixed choices bound to a text preference. A stored value that
// is none of the choices selects none, and nothing is written until the
// user picks.
QComboBox *preferencePicker(const char16_t *key, const QList<std::pair<QString, QString>> &choices,
                            QWidget *parent)
{
    auto *picker = new QComboBox(parent);
    picker->setObjectName(QString::fromUtf16(key));
    for (const auto &[label, value] : choices)
        picker->addItem(label, value);
    picker->setCurrentIndex(picker->findData(Prefs::stringValue(QString::fromUtf16(key)).value_or(QString())));
    QObject::connect(picker, &QComboBox::activated, picker, [picker, key](int index) {
        Prefs::setValue(QString::fromUtf16(key), picker->itemData(index));
    });
    return picker;
}

} // namespace

NameSettings::NameSettings(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("nameSettings"));
    auto *layout = new QVBoxLayout(this);
    auto *section = new FormSection(tr("File names"), this);
    m_language = preferencePicker(Prefs::nameLanguageKey,
                                  {{tr("German (Rechnung, Quittung)"), QStringLiteral("de")},
                                   {tr("English (Invoice, Receipt)"), QStringLiteral("en")}},
                                  section);
    section->addRow(tr("Words in names"), m_language);
    // Each label shows 12 October 2026 in its format.
    m_dateFormat = preferencePicker(Prefs::dateFormatKey,
                                    {{QStringLiteral("2026-10-12"), QStringLiteral("yyyy-MM-dd")},
                                     {QStringLiteral("12.10.2026"), QStringLiteral("dd.MM.yyyy")},
                                     {QStringLiteral("20261012"), QStringLiteral("yyyyMMdd")}},
                                    section);
    section->addRow(tr("Date format"), m_dateFormat);
    // The whole name, however long the date format makes it: it breaks
    // where a line is full, inside a word too, on as many lines as it needs,
    // and never widens the page.
    m_example = new LineLimitedLabel(std::numeric_limits<int>::max(), section);
    m_example->setObjectName(QStringLiteral("example"));
    m_example->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Roles::setSecondary(m_example);
    section->addRow(tr("Example"), m_example);
    section->setFooter(tr("For {art}, {datum}, and {betrag} in rename and move actions."));
    layout->addWidget(section);
    layout->addStretch();

    connect(m_language, &QComboBox::activated, this, &NameSettings::refresh);
    connect(m_dateFormat, &QComboBox::activated, this, &NameSettings::refresh);
    refresh();
}

QString NameSettings::example()
{
    Recognition sample;
    sample.kind = DocumentKind::invoice;
    sample.sender = QStringLiteral("Nordlicht Hosting GmbH");
    sample.date = PatternReader::makeDate(2026, 10, 12);
    sample.amount = Decimal::fromString(u"12.34");
    sample.currency = QStringLiteral("EUR");
    sample.confidence = 1.0;
    sample.source = Recognition::Source::model;
    sample.readAt = QDateTime::currentDateTimeUtc();
    const NameTemplate names = Prefs::nameTemplate();
    const NameTemplate::Values values = names.values(sample, QStringLiteral("a.pdf"), 1, std::nullopt);
    return names.fileName(QStringLiteral("{datum} {absender} {art} {betrag} {waehrung}"), values,
                          QStringLiteral("pdf"));
}

void NameSettings::refresh()
{
    m_example->setText(example());
}
