#include "SeedData.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "FileOperations.h"
#include "FileReadiness.h"
#include "FolderWatcher.h"
#include "Planner.h"
#include "Prefs.h"
#include "RealHome.h"
#include "SampleDocumentFiles.h"
#include "StandardFolders.h"
#include "Store.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>

namespace SeedData {

namespace {

constexpr qint64 screenshotAge = 93'600;
constexpr qint64 reviewAge = 60;
constexpr qint64 firstAge = 5 * 60;
constexpr qint64 shortStep = 11 * 60;
constexpr qint64 longStep = 140 * 60;
constexpr int screenshotLimit = 50;
constexpr double seededConfidence = 0.9;
constexpr double reviewConfidence = 0.45;

const QString reviewSample = QStringLiteral("Scan 13.pdf");

const QStringList &filedSamples()
{
    static const QStringList names{
        QStringLiteral("Rechnung_2026_000123.pdf"), QStringLiteral("Invoice-ACME-1007.pdf"),
        QStringLiteral("IMG_4417.jpg"),             QStringLiteral("Rechnung-Werkstatt.pdf"),
        QStringLiteral("Mietvertrag_Wohnung.pdf"),  QStringLiteral("IMG_4420.jpg"),
        QStringLiteral("Druckerei.pdf"),            QStringLiteral("Kontoauszug_09_2026.pdf"),
        QStringLiteral("cedar-labs-invoice.pdf"),   QStringLiteral("EC-2026-10.pdf")};
    return names;
}

// The recognition the seeding gives a sample: its expected values, read with
// confidence by the model, now.
Recognition seededRecognition(const SampleDocuments::Sample &sample, const QDateTime &now)
{
    Recognition recognition;
    recognition.kind = sample.expected.kind;
    recognition.sender = sample.expected.sender;
    if (sample.expected.date)
        recognition.date = PatternReader::parseISODate(*sample.expected.date);
    recognition.amount = sample.expected.amount;
    recognition.currency = sample.expected.currency;
    recognition.confidence = seededConfidence;
    recognition.source = Recognition::Source::model;
    recognition.readAt = now;
    if (sample.fileName == reviewSample) {
        recognition.amount = Decimal::fromString(QStringLiteral("280.00"));
        recognition.confidence = reviewConfidence;
        recognition.notes = QStringList{QStringLiteral("amount: model 280.00, patterns 312.50")};
    }
    return recognition;
}

bool fileExists(const QString &path)
{
    return QFileInfo::exists(path);
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.write(bytes);
}

struct Seeding
{
    Store &store;
    QString downloads;
    QString desktop;
    QList<StoredRule> rules;
    NameTemplate nameTemplate;
    QDateTime now;

    std::optional<Rule> firstMatch(const QString &file, const Recognition &recognition) const
    {
        for (const StoredRule &stored : rules) {
            const Rule rule = stored.rule();
            if (rule.matches(FileFacts::read(file, recognition, std::nullopt, now)))
                return rule;
        }
        return std::nullopt;
    }

    Plan plan(const Rule &rule, const QString &file, const std::optional<Recognition> &recognition) const
    {
        const FileFacts facts = FileFacts::read(file, recognition, std::nullopt, now);
        return Planner::plan(rule, facts, nameTemplate, RealHome::path(), fileExists);
    }

    void fileSamples()
    {
        qint64 age = firstAge;
        for (const SampleDocuments::Sample &sample : SampleDocuments::all()) {
            const bool review = sample.fileName == reviewSample;
            if (!review && !filedSamples().contains(sample.fileName))
                continue;
            const QString file = downloads + QLatin1Char('/') + sample.fileName;
            const Recognition recognition = seededRecognition(sample, now);
            const QString contentHash = Autopilot::hash(file);
            RecognitionRecord record(QString(), contentHash, file, recognition);
            store.insert(record);

            const std::optional<Rule> rule = firstMatch(file, recognition);
            if (!rule)
                continue;
            const Plan plan = this->plan(*rule, file, recognition);
            JournalEntry entry(rule->id, rule->name, file, plan.destination, JournalEntry::Status::done);
            entry.setRecognition(recognition);
            entry.date = now.addSecs(-age);
            if (review) {
                entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::review);
                entry.setPlan(plan);
                entry.message = recognition.notes.join(QStringLiteral(", "));
                entry.date = now.addSecs(-reviewAge);
                entry.fileID = FileReadiness::identifier(file);
            } else {
                try {
                    const Performed performed = FileOperations::perform(plan);
                    entry.setPerformed(performed);
                    entry.newPath = performed.destination;
                    entry.fileID = FileReadiness::identifier(performed.destination);
                    followRecord(contentHash, file, performed.destination);
                } catch (const std::exception &) {
                    // The entry stays as planned, without anything to undo.
                }
            }
            store.insert(entry);
            age += age < 60 * 60 ? shortStep : longStep;
        }
    }

    void followRecord(const QString &contentHash, const QString &from, const QString &to)
    {
        const QList<RecognitionRecord> records = store.recognitionRecords(contentHash);
        for (RecognitionRecord record : records) {
            if (record.path != from)
                continue;
            record.path = to;
            store.update(record);
            return;
        }
    }

    void fileScreenshots()
    {
        std::optional<Rule> screenshots;
        for (const StoredRule &stored : rules) {
            const Rule rule = stored.rule();
            if (!rule.conditions.isEmpty() && rule.conditions.constFirst().value == QLatin1String("screenshot")) {
                screenshots = rule;
                break;
            }
        }
        if (!screenshots)
            return;
        const QStringList files = FolderWatcher::recentFiles(desktop, screenshotLimit);
        for (const QString &file : files) {
            const Plan plan = this->plan(*screenshots, file, std::nullopt);
            Performed performed;
            try {
                performed = FileOperations::perform(plan);
            } catch (const std::exception &) {
                continue;
            }
            JournalEntry entry(screenshots->id, screenshots->name, file, performed.destination,
                               JournalEntry::Status::done);
            entry.setPerformed(performed);
            entry.date = now.addSecs(-screenshotAge);
            entry.fileID = FileReadiness::identifier(performed.destination);
            store.insert(entry);
        }
    }
};

} // namespace

std::optional<QString> home()
{
    return TestEnvironment::home();
}

void insertIfRequested(AppModel &model)
{
    if (qEnvironmentVariable("APP_SEED") != QLatin1String("1"))
        return;
    const std::optional<QString> home = SeedData::home();
    if (!Store::isOverridden() || !home) {
        std::fputs(refusal, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return;
    }
    Store &store = model.store();
    if (store.count(Store::Model::storedRule) > 0)
        return;

    Prefs::setValue(QStringLiteral("onboarded"), true);
    model.setShowOnboarding(false);

    QDir(*home).removeRecursively();
    // The desktop's own folders, so that the starter rules file into the
    // places made here; never outside the test home, where the desktop puts one elsewhere.
    const auto standard = [&](StandardFolders::Folder folder) {
        const QString named = StandardFolders::tilde(folder);
        return named.startsWith(QLatin1String("~/")) ? *home + named.mid(1)
                                                      : *home + QLatin1Char('/') + StandardFolders::name(folder);
    };
    const QString downloads = standard(StandardFolders::Folder::downloads);
    const QString desktop = standard(StandardFolders::Folder::desktop);
    const QString documents = standard(StandardFolders::Folder::documents);
    const QString pictures = standard(StandardFolders::Folder::pictures);
    for (const QString &folder : {downloads, desktop, documents, pictures})
        QDir().mkpath(folder);

    try {
        SampleDocuments::write(downloads, SampleDocuments::all());
    } catch (const std::exception &) {
    }
    for (const QString &name : {QStringLiteral("Bildschirmfoto 2026-10-28 um 09.14.22.png"),
                                QStringLiteral("Bildschirmfoto 2026-10-30 um 16.02.51.png")}) {
        try {
            SampleDocuments::writeScreenshot(name, desktop);
        } catch (const std::exception &) {
        }
    }
    for (const QString &name : {QStringLiteral("Editor-Setup-4.2.dmg"), QStringLiteral("Notizen.txt"),
                                QStringLiteral("Urlaubsfoto.heic")}) {
        write(downloads + QLatin1Char('/') + name, QByteArrayLiteral("demo"));
    }

    Autopilot &autopilot = model.autopilot();
    const std::optional<WatchedFolder> downloadsFolder = autopilot.addFolder(downloads, true);
    const std::optional<WatchedFolder> desktopFolder = autopilot.addFolder(desktop, true);
    autopilot.addFolder(documents, false);
    autopilot.addFolder(pictures, false);
    model.addTemplates(QSet<QString>{QStringLiteral("receipts"), QStringLiteral("screenshots"),
                                     QStringLiteral("installers"), QStringLiteral("letters"),
                                     QStringLiteral("finance")},
                       downloadsFolder, desktopFolder);

    Seeding seeding{store, downloads, desktop, store.rules(), Prefs::nameTemplate(), QDateTime::currentDateTimeUtc()};
    store.batch([&] {
        seeding.fileSamples();
        seeding.fileScreenshots();
    });
}

} // namespace SeedData
