#include "ReviewSheet.h"

#include "ChildSignals.h"
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

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
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

ReviewSheet::~ReviewSheet()
{
    ChildSignals::stopReaching(*this);
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
    // A sender too long for the field shows its start, not its end.
    m_sender->setCursorPosition(0);
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
    connect(m_date, &QDateEdit::dateChanged, this, &ReviewSheet::takeDay);
    // Today shown for an entry without a date is not held: typed or picked,
    // it is taken though the field's date does not change.
    connect(m_date, &DayField::dayTaken, this, &ReviewSheet::takeDay);
    if (QCalendarWidget *calendar = m_date->calendarWidget()) {
        connect(calendar, &QCalendarWidget::clicked, this, &ReviewSheet::takeDay);
        connect(calendar, &QCalendarWidget::activated, this, &ReviewSheet::takeDay);
    }
    m_values->addRow(tr("Document date"), m_date);
    m_dateNote = new QLabel(section);
    m_dateNote->setObjectName(QStringLiteral("dateNote"));
    m_dateNote->setTextFormat(Qt::PlainText);
    m_dateNote->setWordWrap(true);
    // As wide as the fields: one line, wrapped only when the sheet is too narrow.
    QSizePolicy wide(QSizePolicy::Expanding, QSizePolicy::Preferred);
    wide.setHeightForWidth(true);
    m_dateNote->setSizePolicy(wide);
    Roles::setFont(m_dateNote, Roles::Font::callout);
    Roles::setSecondary(m_dateNote);
    // An empty label beside it: a row without one is laid out at the line's
    // unwrapped height hint, not at the height its wrapped text needs.
    m_values->form()->addRow(new QLabel(section), m_dateNote);
    m_values->form()->setRowVisible(m_dateNote, false);
    connect(m_date, &DayField::refused, this, &ReviewSheet::showRefusal);
    connect(m_date, &DayField::typingShown, this, [this] { showDateNote(std::nullopt); });

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

void ReviewSheet::takeDay(const QDate &day)
{
    m_recognition.date = PatternReader::makeDate(day.year(), day.month(), day.day());
    showDateNote(std::nullopt);
}

void ReviewSheet::showDateNote(const std::optional<QString> &text)
{
    // A press on a button ends a typing: the sheet keeps its height until
    // the click is over, so that the button stays under the pointer.
    m_afterClick.run([this, text] {
        if (text)
            m_dateNote->setText(*text);
        m_values->form()->setRowVisible(m_dateNote, text.has_value());
    });
}

void ReviewSheet::showRefusal(const QString &typed, DayField::Refusal why)
{
    showDateNote(refusalText(typed, why));
    // A click on File It (or its access key) takes the focus from the field
    // before it presses the button: that press ended the typing and files
    // nothing. It comes in the same turn of the event loop; a later press
    // files what the field holds.
    m_refusedOntoFile = m_file->hasFocus();
    if (m_refusedOntoFile)
        QTimer::singleShot(0, this, [this] { m_refusedOntoFile = false; });
}

QString ReviewSheet::refusalText(const QString &typed, DayField::Refusal why) const
{
    using Refusal = DayField::Refusal;
    if (!m_recognition.date) {
        switch (why) {
        case Refusal::yearNotWhole:
            return tr("The year in %1 is not complete; the document keeps no date.").arg(typed);
        case Refusal::noSuchDay:
            return tr("There is no %1; the document keeps no date.").arg(typed);
        case Refusal::beforeFirstDay:
            return tr("%1 is before the year %2; the document keeps no date.").arg(typed).arg(firstDay.year());
        case Refusal::afterLastDay:
            return tr("%1 is after the year %2; the document keeps no date.").arg(typed).arg(lastDay.year());
        }
    }
    const QString kept = m_date->locale().toString(m_date->date(), m_date->displayFormat());
    switch (why) {
    case Refusal::yearNotWhole:
        return tr("The year in %1 is not complete; the date stays %2.").arg(typed, kept);
    case Refusal::noSuchDay:
        return tr("There is no %1; the date stays %2.").arg(typed, kept);
    case Refusal::beforeFirstDay:
        return tr("%1 is before the year %2; the date stays %3.").arg(typed).arg(firstDay.year()).arg(kept);
    case Refusal::afterLastDay:
        return tr("%1 is after the year %2; the date stays %3.").arg(typed).arg(lastDay.year()).arg(kept);
    }
    return {};
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
    connect(m_file, &QPushButton::pressed, this,
            [this] { m_pressFilesNothing = std::exchange(m_refusedOntoFile, false); });
    connect(m_file, &QPushButton::clicked, this, [this] {
        if (std::exchange(m_pressFilesNothing, false))
            return; // the user reads why the day typed was not taken first
        m_approve(m_entry, corrected());
        accept();
    });
    row->addWidget(m_file);
    return bar;
}
