#include "ReviewSheet.h"

#include "DateText.h"
#include "DayField.h"
#include "FileIcon.h"
#include "FileNameLabel.h"
#include "FileNameText.h"
#include "FitsContentArea.h"
#include "FormSection.h"
#include "Labels.h"
#include "NameTemplate.h"
#include "PatternReader.h"
#include "Prefs.h"
#include "ProminentButton.h"
#include "Roles.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The earliest and latest day a document date may hold.
const QDate firstDay(1990, 1, 1);
const QDate lastDay(2100, 12, 31);

} // namespace

ReviewSheet::ReviewSheet(const JournalEntry &entry, Approve approve, Skip skip, QWidget *parent)
    : Sheet(parent)
    , m_entry(entry)
    , m_approve(std::move(approve))
    , m_skipEntry(std::move(skip))
    , m_recognition(entry.recognition().value_or(blank()))
{
    setObjectName(QStringLiteral("reviewSheet"));
    setWindowTitle(FileNameText::shortened(entry.originalName()));
    setFixedWidth(width);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The form grows with its content up to the sheet's maximum, then scrolls.
    auto *area = new FitsContentArea(maximumHeight - 80, this);
    auto *content = new QWidget(area);
    auto *form = new QVBoxLayout(content);
    form->setContentsMargins(20, 20, 20, 12);
    form->setSpacing(16);
    form->addWidget(makeFileSection(content));
    form->addWidget(makeValuesSection(content));
    area->setContent(content);
    layout->addWidget(area);
    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);
    layout->addWidget(makeButtons());
}

Recognition ReviewSheet::blank()
{
    Recognition recognition; // another kind, no confidence, by the patterns
    recognition.readAt = QDateTime::currentDateTimeUtc();
    return recognition;
}

Recognition ReviewSheet::corrected() const
{
    Recognition copy = m_recognition;
    copy.amount = PatternReader::parseTypedAmount(m_amount->text());
    copy.confidence = 1.0;
    return copy;
}

QString ReviewSheet::footer() const
{
    return m_values->footer()->text();
}

QWidget *ReviewSheet::makeFileSection(QWidget *parent)
{
    auto *section = new FormSection({}, parent);
    auto *file = new QWidget(section);
    auto *row = new QHBoxLayout(file);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    row->addWidget(new FileIcon(m_entry.originalPath, 40, file), 0, Qt::AlignVCenter);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    // The file's own name, on one line and cut to the sheet's width.
    auto *name = new FileNameLabel(m_entry.originalName(), file);
    Roles::setFont(name, Roles::Font::headline);
    texts->addWidget(name);
    auto *note = new QLabel(tr("Filewright was not sure what it read. Check the values, then file it."), file);
    note->setWordWrap(true);
    Roles::setSecondary(note);
    texts->addWidget(note);
    row->addLayout(texts, 1);
    section->addRow(file);

    auto *open = new QPushButton(tr("Open File"), section);
    open->setAutoDefault(false);
    connect(open, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_entry.originalPath)); });
    auto *openRow = new QWidget(section);
    auto *openLayout = new QHBoxLayout(openRow);
    openLayout->setContentsMargins(0, 0, 0, 0);
    openLayout->addWidget(open);
    openLayout->addStretch(1);
    section->addRow(openRow);
    return section;
}

QWidget *ReviewSheet::makeValuesSection(QWidget *parent)
{
    m_values = new FormSection(tr("Recognized"), parent);
    QWidget *section = m_values;

    m_kind = new QComboBox(section);
    for (const DocumentKind kind : DocumentKinds::allCases)
        m_kind->addItem(Labels::title(kind), DocumentKinds::rawValue(kind));
    m_kind->setCurrentIndex(int(std::find(DocumentKinds::allCases.begin(), DocumentKinds::allCases.end(),
                                          m_recognition.kind)
                                - DocumentKinds::allCases.begin()));
    connect(m_kind, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_recognition.kind = DocumentKinds::allCases[std::size_t(index)]; });
    m_values->addRow(tr("Kind"), m_kind);

    m_sender = new QLineEdit(m_recognition.sender.value_or(QString()), section);
    connect(m_sender, &QLineEdit::textChanged, this, [this](const QString &text) {
        // Stored as typed, spaces included: a sender's name is the user's to write.
        m_recognition.sender = text.isEmpty() ? std::nullopt : std::optional(text);
    });
    m_values->addRow(tr("Sender"), m_sender);

    // The document day is a calendar day held at 12:00 UTC: shown as that
    // day, and a picked day stored the same way.
    m_date = new DayField(section);
    m_date->setCalendarPopup(true);
    m_date->setLocale(DateText::locale());
    m_date->setDisplayFormat(DateText::numericFormat()); // the year in full: typing a year is never ambiguous
    m_date->setDateRange(firstDay, lastDay);
    m_date->setDate(m_recognition.date ? CalendarUtc::day(*m_recognition.date) : QDate::currentDate());
    connect(m_date, &QDateEdit::dateChanged, this, [this](const QDate &day) {
        m_recognition.date = PatternReader::makeDate(day.year(), day.month(), day.day());
    });
    m_values->addRow(tr("Document date"), m_date);

    m_amount = new QLineEdit(section);
    if (m_recognition.amount)
        m_amount->setText(NameTemplate::format(*m_recognition.amount, Prefs::sentenceLanguage()));
    m_values->addRow(tr("Amount"), m_amount);

    m_currency = new QLineEdit(m_recognition.currency.value_or(QString()), section);
    connect(m_currency, &QLineEdit::textChanged, this, [this](const QString &text) {
        // " eur" is the currency EUR: sums and exports group by the code.
        const QString code = text.trimmed().toUpper();
        m_recognition.currency = code.isEmpty() ? std::nullopt : std::optional(code);
    });
    m_values->addRow(tr("Currency"), m_currency);

    m_values->setFooter(m_recognition.source == Recognition::Source::model
                            ? tr("Recognized by the local language model on this computer. Please check.")
                            : tr("Read by text patterns on this computer. Please check."));
    return section;
}

QWidget *ReviewSheet::makeButtons()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 16, 16, 16);
    m_skip = new QPushButton(tr("Skip"), bar);
    m_skip->setToolTip(tr("Leave the file where it is"));
    m_skip->setAutoDefault(false);
    connect(m_skip, &QPushButton::clicked, this, [this] {
        m_skipEntry(m_entry);
        accept();
    });
    row->addWidget(m_skip);
    row->addStretch(1);
    auto *cancel = new QPushButton(tr("Cancel"), bar);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(cancel);
    m_file = new ProminentButton(tr("File It"), bar);
    m_file->setDefault(true);
    connect(m_file, &QPushButton::clicked, this, [this] {
        m_approve(m_entry, corrected());
        accept();
    });
    row->addWidget(m_file);
    return bar;
}
