// A real Autopilot over a fresh store, with folders under the test's home
// folder, for the tests of the file pipeline, filing and notifications.
#pragma once

#include "Autopilot.h"
#include "FakeModelServer.h"
#include "Prefs.h"
#include "RealHome.h"
#include "SampleDocumentFiles.h"
#include "ScopedEnv.h"
#include "Store.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include <sys/stat.h>
#include <utime.h>

using Field = Condition::Field;
using Op = Condition::Operator;
using Kind = RuleAction::Kind;

class AutopilotFixture : public ::testing::Test
{
protected:
    static Condition condition(Field field, Op op, const QString &value)
    {
        return Condition{QUuid::createUuid(), field, op, value};
    }

    static RuleAction action(Kind kind, const QString &value)
    {
        return RuleAction{QUuid::createUuid(), kind, value};
    }

    static Rule rule(const QString &name, const QList<Condition> &conditions, const QList<RuleAction> &actions)
    {
        return Rule{QUuid::createUuid(), name, conditions, actions, true, std::nullopt};
    }

    // A rule on the file name's ending that moves or renames the file.
    static Rule byEnding(const QString &name, const QString &ending, Kind kind, const QString &value)
    {
        return rule(name, {condition(Field::name, Op::endsWith, ending)}, {action(kind, value)});
    }

    // A rule that moves documents of one kind.
    static Rule byKind(const QString &name, const QString &kind, const QString &moveTo)
    {
        return rule(name, {condition(Field::kind, Op::is, kind)}, {action(Kind::move, moveTo)});
    }

    static void setPref(const char16_t *key, const QVariant &value)
    {
        Prefs::setValue(QString::fromUtf16(key), value);
    }

    // How long a test waits at most for the automation; it normally takes
    // the batch window and one settle second, but many times that under the
    // sanitizers on a busy machine (a burst of hundreds of files took more
    // than 15 s there). Every wait ends as soon as what it waits for happens.
    static constexpr int patienceMs = 60000;

    void SetUp() override
    {
        ASSERT_TRUE(storeDir.isValid());
        Prefs::registerDefaults();
        setPref(Prefs::minimumWaitKey, 0.0);
        setPref(Prefs::useModelKey, false);
        setPref(Prefs::notifyKey, true);
        setPref(Prefs::nameLanguageKey, QStringLiteral("de"));
        setPref(Prefs::dateFormatKey, QStringLiteral("yyyy-MM-dd"));
        home = RealHome::path();
        // The home folder is the same for every test of the process.
        for (const char *name : {"Downloads", "Desktop", "Documents", "Pictures", "Elsewhere", "Inbox", "Sorted"})
            QDir(home + QLatin1Char('/') + QLatin1String(name)).removeRecursively();
        store = Store::open(storeDir.filePath(QStringLiteral("autopilot.store")));
    }

    void TearDown() override
    {
        // The server first, so that a reading still waiting for it ends.
        model.reset();
        autopilot.reset();
    }

    // The driver, with the model available through a fake server when asked.
    Autopilot &makeAutopilot(bool withModel = false,
                             std::chrono::milliseconds patience = RecognitionGate::defaultPatience)
    {
        if (withModel) {
            model = std::make_unique<FakeModelServer>();
            model->setModelsReply({200, R"({"object":"list","data":[{"id":"test-model","object":"model"}]})"});
            qputenv("APP_MODEL_URL", model->baseUrl().toString().toUtf8());
            setPref(Prefs::useModelKey, true);
        }
        autopilot = std::make_unique<Autopilot>(*store, nullptr, patience);
        return *autopilot;
    }

    QString folderPath(const QString &relative) const
    {
        const QString path = home + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        return path;
    }

    WatchedFolder watch(const QString &relative) { return *autopilot->addFolder(folderPath(relative), true); }
    WatchedFolder place(const QString &relative) { return *autopilot->addFolder(folderPath(relative), false); }

    // The driver with a watched Inbox and the place Sorted.
    WatchedFolder inboxAndSorted(bool withModel = false)
    {
        makeAutopilot(withModel);
        const WatchedFolder inbox = watch(QStringLiteral("Inbox"));
        place(QStringLiteral("Sorted"));
        return inbox;
    }

    // A PDF in the Inbox that the patterns read clearly as an invoice.
    QString clearInvoice(const QString &name)
    {
        const QString path = folderPath(QStringLiteral("Inbox")) + QLatin1Char('/') + name;
        SampleDocuments::textPDF({QStringLiteral("Nordlicht Hosting GmbH"), QStringLiteral("Rechnung"),
                                  QStringLiteral("Rechnungsdatum: 12.10.2026"), QStringLiteral("Gesamtbetrag 12,34 €")},
                                 path);
        return path;
    }

    // A PDF whose text the patterns read as an invoice of 12,00 EUR without
    // a date or a sender, an unsure reading. Its text layer has enough letters
    // to be read as it stands: a PDF with fewer goes to text recognition,
    // whose engine takes over 15 s to load under the sanitizers on a busy
    // machine.
    static void unsureInvoice(const QString &path)
    {
        SampleDocuments::textPDF({QStringLiteral("Rechnung"), QStringLiteral("Betrag 12,00 EUR"),
                                  QStringLiteral("Kundennummer 48213 bitte bei jeder Anfrage angeben")},
                                 path);
    }

    StoredRule addRule(const Rule &rule, const std::optional<QUuid> &folder)
    {
        StoredRule stored(rule, folder, ++lastOrder);
        store->insert(stored);
        return stored;
    }

    // A file whose content last changed two minutes ago.
    static QString oldFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        file.close();
        const time_t past = time(nullptr) - 120;
        const struct utimbuf times{past, past};
        utime(QFile::encodeName(path).constData(), &times);
        return path;
    }

    // Runs one pass over a file as a clean-up does and waits for its end;
    // a pass that never ends shows as no answer.
    std::optional<bool> handleNow(const QString &path, const WatchedFolder &folder, bool settled = true)
    {
        std::optional<bool> made;
        autopilot->handle(path, folder, settled, [&made](bool entryMade) { made = entryMade; });
        (void)QTest::qWaitFor([&] { return made.has_value(); }, patienceMs);
        return made;
    }

    bool waitForEntries(int count)
    {
        return QTest::qWaitFor([&] { return store->journal().size() >= count; }, patienceMs);
    }

    // Put back after the test, whatever it changed.
    const TestSupport::ScopedSettings settings;
    const ScopedEnv modelUrl{"APP_MODEL_URL"};
    QTemporaryDir storeDir;
    QString home;
    std::unique_ptr<Store> store;
    std::unique_ptr<FakeModelServer> model;
    std::unique_ptr<Autopilot> autopilot;
    qint64 lastOrder = 0;
};
