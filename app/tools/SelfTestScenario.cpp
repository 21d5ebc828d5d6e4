#include "SelfTestScenario.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "DryRun.h"
#include "FileOperations.h"
#include "FileReadiness.h"
#include "Planner.h"
#include "Prefs.h"
#include "RealHome.h"
#include "SampleDocumentFiles.h"
#include "SelfTest.h"
#include "Store.h"
#include "TestEnvironment.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

bool exists(const QString &path)
{
    return QFileInfo::exists(path);
}

// Writes a test file, replacing one of that name; a failed write shows up in
// the checks that need the file.
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// Empties the home folder: only the folder that resolved strictly below the
// temporary folder is ever removed.
void clearHome()
{
    const std::optional<QString> folder = TestEnvironment::home();
    if (!folder)
        return;
    QDir(*folder).removeRecursively();
    QDir().mkpath(*folder);
}

Condition condition(Condition::Field field, Condition::Operator op, const QString &value)
{
    Condition condition;
    condition.id = QUuid::createUuid();
    condition.field = field;
    condition.op = op;
    condition.value = value;
    return condition;
}

RuleAction action(RuleAction::Kind kind, const QString &value)
{
    RuleAction action;
    action.id = QUuid::createUuid();
    action.kind = kind;
    action.value = value;
    return action;
}

} // namespace

SelfTestScenario::SelfTestScenario(AppModel &model, SelfTest &test, QObject *parent)
    : SelfTestScenario(model, test, RealHome::lookUp(), parent)
{
}

SelfTestScenario::SelfTestScenario(AppModel &model, SelfTest &test, const QString &home, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_test(test)
    , m_store(model.store())
    , m_autopilot(model.autopilot())
    , m_home(QDir::cleanPath(home))
    , m_downloads(m_home + QStringLiteral("/Downloads"))
    , m_documents(m_home + QStringLiteral("/Documents"))
    , m_rule(scenarioRule())
{
}

SelfTestScenario::~SelfTestScenario() = default;

Rule SelfTestScenario::scenarioRule()
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = QStringLiteral("PDFs");
    rule.conditions = {condition(Condition::Field::fileType, Condition::Operator::is, QStringLiteral("pdf")),
                       condition(Condition::Field::name, Condition::Operator::contains, QStringLiteral("beleg"))};
    rule.actions = {action(RuleAction::Kind::rename, QStringLiteral("{original} geprüft")),
                    action(RuleAction::Kind::move, QStringLiteral("~/Documents/Ablage/{jahr}")),
                    action(RuleAction::Kind::tag, QStringLiteral("Filewright"))};
    rule.isEnabled = true;
    rule.createdFromPrompt = std::nullopt;
    return rule;
}

void SelfTestScenario::run()
{
    QTimer::singleShot(startDelayMs, this, &SelfTestScenario::setUp);
}

QString SelfTestScenario::downloadsFile(const QString &name) const
{
    return m_downloads + QLatin1Char('/') + name;
}

void SelfTestScenario::setUp()
{
    // Cleared first: the run's own settings may live in the test home.
    clearHome();
    Prefs::setValue(QString::fromUtf16(Prefs::minimumWaitKey), 1.0);
    QDir().mkpath(m_downloads);
    QDir().mkpath(m_documents);

    m_folder = m_autopilot.addFolder(m_downloads, true);
    m_autopilot.addFolder(m_documents, false);

    m_test.check(QStringLiteral("a watched folder is stored with a bookmark"), m_folder && !m_folder->bookmark.isEmpty());
    m_test.check(QStringLiteral("writing below a granted place is allowed"),
                 m_autopilot.canWrite(m_documents + QStringLiteral("/Belege/2026")));
    m_test.check(QStringLiteral("writing elsewhere is not"), !m_autopilot.canWrite(QStringLiteral("/tmp/elsewhere")));

    const std::optional<QUuid> folderID = m_folder ? std::optional<QUuid>(m_folder->uuid) : std::nullopt;
    m_model.save(AppModel::Editing{QUuid::createUuid(), m_rule, folderID, true});

    const QList<StoredRule> rules = m_store.rules();
    m_test.check(QStringLiteral("a new rule is saved"),
                 rules.size() == 1 && rules.constFirst().rule().name == QLatin1String("PDFs"));
    m_test.check(QStringLiteral("the sentence names the folder"),
                 m_model.sentence(m_rule, folderID).contains(QLatin1String("Downloads")));
    m_test.check(QStringLiteral("a rule without recognition needs no model"), !m_rule.usesRecognition());

    writeFile(downloadsFile(QStringLiteral("Beleg Tankstelle.pdf")), QByteArrayLiteral("%PDF-1.4 test"));
    writeFile(downloadsFile(QStringLiteral("Notiz.txt")), QByteArrayLiteral("x"));

    startDryRun();
}

void SelfTestScenario::startDryRun()
{
    m_rowFiles.clear();
    m_plannedFiles.clear();
    if (!m_folder) {
        afterDryRun();
        return;
    }
    // The last report wins.
    m_dryRun = m_autopilot.dryRun(m_rule, *m_folder, [this](const QList<DryRunRow> &rows) {
        m_rowFiles.clear();
        m_plannedFiles.clear();
        for (const DryRunRow &row : rows) {
            const QString name = QFileInfo(row.file).fileName();
            m_rowFiles.append(name);
            if (row.plan)
                m_plannedFiles.append(name);
        }
    });
    if (m_dryRun->isFinished()) {
        later([this] { afterDryRun(); });
        return;
    }
    connect(m_dryRun.get(), &DryRun::finished, this, [this] { later([this] { afterDryRun(); }); });
}

void SelfTestScenario::afterDryRun()
{
    m_dryRun.reset();
    m_test.check(QStringLiteral("the dry run lists the folder's files"), m_rowFiles.size() == 2);
    m_test.check(QStringLiteral("the dry run matches only the PDF"),
                 m_plannedFiles == QStringList{QStringLiteral("Beleg Tankstelle.pdf")});
    m_test.check(QStringLiteral("the dry run leaves files in place"),
                 exists(downloadsFile(QStringLiteral("Beleg Tankstelle.pdf"))));

    file(downloadsFile(QStringLiteral("Beleg Tankstelle.pdf")), &SelfTestScenario::afterFirstFiling);
}

void SelfTestScenario::afterFirstFiling()
{
    // Oldest first: the first filing's entry leads.
    m_journal = m_store.journal();
    std::reverse(m_journal.begin(), m_journal.end());

    const QString year = QString::number(QDate::currentDate().year());
    m_expected = m_documents + QStringLiteral("/Ablage/") + year + QStringLiteral("/Beleg Tankstelle geprüft.pdf");
    m_test.check(QStringLiteral("the file is renamed and moved"), exists(m_expected), m_expected);
    m_test.check(QStringLiteral("the move is in the journal"),
                 !m_journal.isEmpty() && m_journal.constFirst().status() == JournalEntry::Status::done);
    m_test.check(QStringLiteral("the tag is set"),
                 FileOperations::tags(m_expected) == QStringList{QStringLiteral("Filewright")});

    // The second document takes the first one's place and clashes with its filed name.
    writeFile(downloadsFile(QStringLiteral("Beleg Tankstelle.pdf")), QByteArrayLiteral("%PDF-1.4 other"));
    file(downloadsFile(QStringLiteral("Beleg Tankstelle.pdf")), &SelfTestScenario::afterSecondFiling);
}

void SelfTestScenario::afterSecondFiling()
{
    m_test.check(QStringLiteral("a taken name gets a number"),
                 exists(QFileInfo(m_expected).path() + QStringLiteral("/Beleg Tankstelle geprüft 2.pdf")));

    undoTwice();
    approveReview();
    sweepInstaller();
    readSample();
}

void SelfTestScenario::undoTwice()
{
    const QString movedBack = QStringLiteral("undo moves the file back");
    const QString marked = QStringLiteral("undo marks the entry");
    const QString secondUndo = QStringLiteral("a second undo changes nothing");
    if (m_journal.isEmpty()) {
        // Nothing was filed, so nothing can be undone: the run still reports every check.
        const QString detail = QStringLiteral("the journal is empty");
        m_test.check(movedBack, false, detail);
        m_test.check(marked, false, detail);
        m_test.check(secondUndo, false, detail);
        return;
    }
    JournalEntry entry = m_journal.constFirst();
    const auto storedStatus = [this, &entry] {
        const std::optional<JournalEntry> stored = m_store.journalEntry(entry.id);
        return stored ? std::optional<JournalEntry::Status>(stored->status()) : std::nullopt;
    };
    m_autopilot.undo(entry);
    m_test.check(movedBack,
                 exists(downloadsFile(QStringLiteral("Beleg Tankstelle.pdf")))
                     || exists(downloadsFile(QStringLiteral("Beleg Tankstelle 2.pdf"))));
    m_test.check(marked, storedStatus() == JournalEntry::Status::undone);
    m_autopilot.undo(entry);
    m_test.check(secondUndo, storedStatus() == JournalEntry::Status::undone);
}

void SelfTestScenario::approveReview()
{
    const QString unsure = downloadsFile(QStringLiteral("Unsicher.pdf"));
    writeFile(unsure, QByteArrayLiteral("x"));
    const FileFacts facts = FileFacts::read(unsure, std::nullopt, std::nullopt, QDateTime::currentDateTimeUtc());
    const Plan plan = Planner::plan(m_rule, facts, Prefs::nameTemplate(), RealHome::path());
    JournalEntry entry(m_rule.id, m_rule.name, unsure, plan.destination, JournalEntry::Status::review);
    entry.setPlan(plan);
    m_store.insert(entry);
    m_autopilot.approve(entry, std::nullopt);
    const std::optional<JournalEntry> stored = m_store.journalEntry(entry.id);
    m_test.check(QStringLiteral("an approved file is filed"),
                 stored && stored->status() == JournalEntry::Status::done && exists(plan.destination));
}

void SelfTestScenario::sweepInstaller()
{
    const QString installer = downloadsFile(QStringLiteral("Setup.dmg"));
    writeFile(installer, QByteArrayLiteral("x"));
    JournalEntry entry(std::nullopt, QStringLiteral("Installer"), installer, installer, JournalEntry::Status::done);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    entry.trashDue = now.addSecs(-60);
    // The file that "filing" left there: the sweep touches no other.
    entry.fileID = FileReadiness::identifier(installer);
    m_store.insert(entry);
    m_autopilot.sweepTrash(now);
    const std::optional<JournalEntry> stored = m_store.journalEntry(entry.id);
    m_test.check(QStringLiteral("a due installer goes to the Trash"),
                 stored && stored->status() == JournalEntry::Status::trashed && !exists(installer));
}

void SelfTestScenario::readSample()
{
    try {
        const QStringList written = SampleDocuments::write(m_home + QStringLiteral("/Samples"),
                                                           {SampleDocuments::all().constFirst()});
        if (!written.isEmpty() && exists(written.constFirst()))
            m_sample = written.constFirst();
    } catch (const std::exception &error) {
        // Both checks of the sample fail: the run still reports all of them.
        const QString detail = QStringLiteral("the sample could not be written: ") + QString::fromUtf8(error.what());
        m_test.check(QStringLiteral("a sample invoice is recognized"), false, detail);
        m_test.check(QStringLiteral("a file is read once"), false, detail);
        m_test.tally();
        return;
    }
    if (m_sample.isEmpty()) {
        const QString detail = QStringLiteral("the sample was not written");
        m_test.check(QStringLiteral("a sample invoice is recognized"), false, detail);
        m_test.check(QStringLiteral("a file is read once"), false, detail);
        m_test.tally();
        return;
    }
    read(&SelfTestScenario::afterFirstReading);
}

void SelfTestScenario::afterFirstReading(const Recognition &reading)
{
    m_firstReading = reading;
    const std::optional<Decimal> expectedAmount = Decimal::fromString(u"12.34");
    m_test.check(QStringLiteral("a sample invoice is recognized"),
                 reading.kind == DocumentKind::invoice && reading.amount && reading.amount == expectedAmount);
    read(&SelfTestScenario::afterSecondReading);
}

void SelfTestScenario::afterSecondReading(const Recognition &reading)
{
    m_test.check(QStringLiteral("a file is read once"),
                 m_firstReading && reading == *m_firstReading
                     && m_store.count(Store::Model::recognitionRecord) == 1);
    m_test.tally();
}

void SelfTestScenario::file(const QString &path, void (SelfTestScenario::*next)())
{
    if (!m_folder) {
        (this->*next)();
        return;
    }
    QPointer<SelfTestScenario> self(this);
    m_autopilot.handle(path, *m_folder, false, [self, next](bool) {
        if (self)
            self->later([self, next] { (self.data()->*next)(); });
    });
}

void SelfTestScenario::read(void (SelfTestScenario::*next)(const Recognition &))
{
    m_autopilot.recognize(m_sample, std::nullopt, false, this, [this, next](const Recognition &reading) {
        later([this, next, reading] { (this->*next)(reading); });
    });
}

void SelfTestScenario::later(std::function<void()> step)
{
    QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}
