// The automation subcommands and bus methods through the real executable:
// each command run in its own process and handed to a running application,
// with the same results.
#include "AutomationActions.h"
#include "AutopilotFixture.h"
#include "StoreLock.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>

namespace {
constexpr auto service = "org.example.filewright.Filewright";

struct Outcome
{
    int code = -1;
    QString out;
    QString err;
    friend bool operator==(const Outcome &, const Outcome &) = default;
};

void PrintTo(const Outcome &outcome, std::ostream *os)
{
    *os << outcome.code << " out=" << outcome.out.toStdString() << " err=" << outcome.err.toStdString();
}

bool nameIsOwned()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(QLatin1String(service)).value();
}
} // namespace

// These run on a private session bus (see tests/CMakeLists.txt), where the
// application they start is the only one.
class AutomationExecutable : public AutopilotFixture
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
            GTEST_SKIP() << "needs a private session bus";
        AutopilotFixture::SetUp();
        makeAutopilot();
        inbox = watch(QStringLiteral("AutomationInbox"));
        sorted = place(QStringLiteral("AutomationSorted"));
        gone = watch(QStringLiteral("AutomationGone"));
        ASSERT_TRUE(QDir(gone.displayPath).removeRecursively());
        deleted = watch(QStringLiteral("AutomationDeleted"));
        ASSERT_TRUE(store->remove(deleted));
        addRule(byEnding(QStringLiteral("Notes"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/AutomationSorted")),
                inbox.uuid);
        QDir(sorted.displayPath).removeRecursively();
        QDir().mkpath(sorted.displayPath);
        const QString receipt = sorted.displayPath + QStringLiteral("/receipt.pdf");
        ASSERT_TRUE(QFile::copy(pdf, receipt));
        Recognition recognition;
        recognition.kind = DocumentKind::invoice;
        recognition.date = CalendarUtc::noon(QDate(2026, 10, 5));
        recognition.amount = Decimal::fromString(u"12.50");
        recognition.currency = QStringLiteral("EUR");
        recognition.confidence = 0.9;
        RecognitionRecord record(QString(), QStringLiteral("hash"), receipt, recognition);
        store->insert(record);

        for (const char *sub : {"tmp-command", "tmp-app", "runtime"})
            ASSERT_TRUE(QDir(work.path()).mkpath(QLatin1String(sub)));
        QFile::setPermissions(work.filePath(QStringLiteral("runtime")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("APP_STORE"), store->path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.filePath(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("APP_MODEL_URL"), QStringLiteral("http://127.0.0.1:9/v1"));
        // As a user starts it: a command sets itself up for reading when it must.
        environment.remove(QStringLiteral("OMP_THREAD_LIMIT"));
    }

    void TearDown() override
    {
        if (application.state() != QProcess::NotRunning) {
            application.terminate();
            application.waitForFinished(10000);
        }
        AutopilotFixture::TearDown();
    }

    QString temporary(const char *side) const { return work.filePath(QLatin1String(side)); }

    using Variables = QList<std::pair<QString, QString>>;

    Outcome run(const QStringList &arguments, const Variables &variables = {}) const
    {
        QProcessEnvironment commandEnvironment = environment;
        commandEnvironment.insert(QStringLiteral("TMPDIR"), temporary("tmp-command"));
        for (const auto &[name, value] : variables)
            commandEnvironment.insert(name, value);
        QProcess process;
        process.setProcessEnvironment(commandEnvironment);
        process.start(QStringLiteral(FILEWRIGHT_BINARY), arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(QLatin1Char(' ')).toStdString();
        return Outcome{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
                       QString::fromUtf8(process.readAllStandardError()).trimmed()};
    }

    void startApplication()
    {
        QProcessEnvironment applicationEnvironment = environment;
        applicationEnvironment.insert(QStringLiteral("TMPDIR"), temporary("tmp-app"));
        application.setProcessEnvironment(applicationEnvironment);
        application.start(QStringLiteral(FILEWRIGHT_BINARY), {});
    }

    // The working and export folders left in a temporary folder.
    static QStringList leftIn(const QString &folder)
    {
        return QDir(folder).entryList({QStringLiteral("Filewright-*")}, QDir::Dirs);
    }

    static QString id(const WatchedFolder &folder) { return folder.uuid.toString(QUuid::WithoutBraces); }

    const QString pdf = TestSupport::dataPath(QStringLiteral("invoices/sample-invoice-2014.pdf"));
    QTemporaryDir work;
    QProcessEnvironment environment;
    QProcess application;
    WatchedFolder inbox;
    WatchedFolder sorted;
    WatchedFolder gone;
    WatchedFolder deleted;
};

TEST_F(AutomationExecutable, EachCommandGivesTheSameResultInItsOwnProcessAndHandedToTheApplication)
{
    const QString unknown = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString folderGone = QStringLiteral("This folder is no longer watched by Filewright.");
    struct Case
    {
        QStringList arguments;
        int code;
        QString out;
        QString err;
    };
    const QList<Case> cases{
        {{QStringLiteral("folders")}, 0,
         id(inbox) + QStringLiteral("\tAutomationInbox\t~/AutomationInbox\n") + id(gone)
             + QStringLiteral("\tAutomationGone\t~/AutomationGone"),
         {}},
        {{QStringLiteral("folders"), QStringLiteral("--json"), id(gone), unknown, id(inbox), id(gone)}, 0,
         QStringLiteral(R"([{"id":"%1","name":"AutomationInbox","path":"~/AutomationInbox"},)"
                        R"({"id":"%2","name":"AutomationGone","path":"~/AutomationGone"}])")
             .arg(id(inbox), id(gone)),
         {}},
        {{QStringLiteral("recognize"), QStringLiteral("--json"), pdf}, 0,
         QStringLiteral(R"({"amount":571.04,"currency":"EUR","date":"2014-05-22","kind":"Invoice",)"
                        R"("needsReview":false,"sender":"Bei Spiel GmbH"})"),
         {}},
        {{QStringLiteral("clean-up"), unknown}, 1, {}, folderGone},
        {{QStringLiteral("clean-up"), id(sorted)}, 1, {}, folderGone},
        {{QStringLiteral("clean-up"), id(deleted)}, 1, {}, folderGone},
        {{QStringLiteral("clean-up"), id(gone)}, 1, {},
         QStringLiteral("Filewright has no access to this folder. Choose it again under Folders.")},
        {{QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("11")}, 1, {},
         QStringLiteral("Filewright found no receipts for this month.")},
        {{QStringLiteral("recognize"), QStringLiteral("/nonexistent.pdf")}, 1, {},
         QStringLiteral("Cannot read /nonexistent.pdf: No such file or directory")},
        {{QStringLiteral("recognize"), temporary("runtime")}, 1, {},
         QStringLiteral("Cannot read %1: file to open is a directory").arg(temporary("runtime"))},
        {{QStringLiteral("export-receipts"), QStringLiteral("1999"), QStringLiteral("10")}, 2, {},
         QStringLiteral("The year must be a number from 2000 to 2100.\nTry \"filewright export-receipts --help\".")},
        {{QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("13")}, 2, {},
         QStringLiteral("The month must be a number from 1 to 12.\nTry \"filewright export-receipts --help\".")},
        {{QStringLiteral("clean-up"), QStringLiteral("Downloads")}, 2, {},
         QStringLiteral("Downloads is not a folder id.\nTry \"filewright clean-up --help\".")},
        {{QStringLiteral("folders"), QStringLiteral("--bogus")}, 2, {},
         QStringLiteral("Unknown option 'bogus'.\nTry \"filewright folders --help\".")},
    };

    for (const bool handedOver : {false, true}) {
        SCOPED_TRACE(handedOver ? "handed to the application" : "in its own process");
        if (handedOver) {
            startApplication();
            ASSERT_TRUE(QTest::qWaitFor(nameIsOwned, 30000));
        }
        for (const Case &entry : cases) {
            EXPECT_EQ(run(entry.arguments), (Outcome{entry.code, entry.out, entry.err}))
                << entry.arguments.join(QLatin1Char(' ')).toStdString();
        }

        // A clean-up files through the rules (in the application's driver
        // when handed over: this process cannot have the store meanwhile).
        const QString note = QStringLiteral("note-%1.txt").arg(handedOver);
        oldFile(inbox.displayPath + QLatin1Char('/') + note, "note");
        EXPECT_EQ(run({QStringLiteral("clean-up"), id(inbox)}),
                  (Outcome{0, QStringLiteral("Filewright handled 1 file in AutomationInbox."), {}}));
        EXPECT_TRUE(QFileInfo::exists(sorted.displayPath + QLatin1Char('/') + note));

        // The archive is written by whoever runs the action, and is sound.
        const QString side = temporary(handedOver ? "tmp-app" : "tmp-command");
        const Outcome exported = run({QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("10")});
        EXPECT_EQ(exported.code, 0) << exported.err.toStdString();
        EXPECT_TRUE(exported.out.startsWith(side + QStringLiteral("/Filewright-export-"))) << exported.out.toStdString();
        EXPECT_TRUE(exported.out.endsWith(QStringLiteral("/belege-2026-10.zip")));
        EXPECT_EQ(QProcess::execute(QStringLiteral("unzip"), {QStringLiteral("-tqq"), exported.out}), 0);
        // No working folder stays behind; the export folder does.
        EXPECT_EQ(leftIn(side).size(), 1) << leftIn(side).join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(store->journal().size(), 2);
    application.terminate();
    ASSERT_TRUE(application.waitForFinished(10000));

    // A working folder that cannot be made is reported as the system words it.
    const QString notAFolder = work.filePath(QStringLiteral("runtime/file"));
    ASSERT_TRUE(TestSupport::writeFile(notAFolder, "x"));
    const Outcome refused = run({QStringLiteral("recognize"), pdf}, {{QStringLiteral("TMPDIR"), notAFolder}});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("Could not create the folder %1/Filewright-").arg(notAFolder)))
        << refused.err.toStdString();

    // A German desktop gets the reasons in German.
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(gone)}, {{QStringLiteral("LANGUAGE"), QStringLiteral("de")}}).err,
              QStringLiteral("Filewright hat keinen Zugriff auf diesen Ordner. Wähle ihn unter „Ordner“ erneut aus."));
}

TEST_F(AutomationExecutable, BusMethodsAnswerWithValuesAndNamedErrors)
{
    startApplication();
    ASSERT_TRUE(QTest::qWaitFor(nameIsOwned, 30000));
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto call = [&bus](const char *method, const QVariantList &arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QLatin1String(service), QStringLiteral("/org/example/filewright/Automation"),
            QStringLiteral("org.example.filewright.Automation"), QLatin1String(method));
        message.setArguments(arguments);
        return bus.call(message, QDBus::Block, 120000);
    };

    // A hostile name is written inside the working folder, which goes afterwards.
    const QDBusMessage read = call("RecognizeFile", {QStringLiteral("../../escape.pdf"), TestSupport::readFile(pdf)});
    ASSERT_EQ(read.type(), QDBusMessage::ReplyMessage) << read.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<QVariantMap>(read.arguments().value(0)).value(QStringLiteral("kind")), QStringLiteral("Invoice"));
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("escape.pdf"))));
    EXPECT_FALSE(QFileInfo::exists(temporary("tmp-app") + QStringLiteral("/escape.pdf")));
    EXPECT_TRUE(leftIn(temporary("tmp-app")).isEmpty());

    const QDBusMessage cleaned = call("CleanUpFolder", {id(inbox)});
    EXPECT_EQ(cleaned.arguments(), (QVariantList{0, QStringLiteral("Filewright handled 0 files in AutomationInbox.")}));

    const struct
    {
        const char *method;
        QVariantList arguments;
        QString error;
    } refusals[] = {
        {"CleanUpFolder", {QUuid::createUuid().toString()}, QStringLiteral("org.example.filewright.Error.FolderGone")},
        {"CleanUpFolder", {id(gone)}, QStringLiteral("org.example.filewright.Error.NoAccess")},
        {"ExportReceipts", {2026, 11}, QStringLiteral("org.example.filewright.Error.NoReceipts")},
        {"ExportReceipts", {1999, 1}, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs")},
        {"CleanUpFolder", {QStringLiteral("Downloads")}, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs")},
    };
    for (const auto &refusal : refusals) {
        const QDBusMessage reply = call(refusal.method, refusal.arguments);
        EXPECT_EQ(reply.errorName(), refusal.error) << refusal.method;
        EXPECT_FALSE(reply.errorMessage().isEmpty());
    }

    // gdbus, as a script would call it: oldest first, each once, unknown ids left out.
    QProcess gdbus;
    gdbus.start(QStringLiteral("gdbus"),
                {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), QLatin1String(service),
                 QStringLiteral("--object-path"), QStringLiteral("/org/example/filewright/Automation"),
                 QStringLiteral("--method"), QStringLiteral("org.example.filewright.Automation.FoldersForIds"),
                 QStringLiteral("['%1', '%2', '%1', '%3']").arg(id(gone), id(inbox), QUuid::createUuid().toString())});
    ASSERT_TRUE(gdbus.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed(),
              QStringLiteral("([('%1', 'AutomationInbox', '~/AutomationInbox'), ('%2', 'AutomationGone', '~/AutomationGone')],)")
                  .arg(id(inbox), id(gone)));
}

TEST_F(AutomationExecutable, TheApplicationWaitsForACommandThatWorksOnTheStore)
{
    std::optional<StoreLock> lock = StoreLock::take(store->path(), std::chrono::seconds(1), {});
    ASSERT_TRUE(lock);
    startApplication();
    QTest::qWait(1500);
    EXPECT_FALSE(nameIsOwned());
    lock.reset();
    EXPECT_TRUE(QTest::qWaitFor(nameIsOwned, 30000));
}

TEST_F(AutomationExecutable, AFolderDeletedWhileTheApplicationRunsHasNoAccessThroughBothDoors)
{
    startApplication();
    ASSERT_TRUE(QTest::qWaitFor(nameIsOwned, 30000));
    // Reached while it is there: the running driver has found it once.
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(inbox)}),
              (Outcome{0, QStringLiteral("Filewright handled 0 files in AutomationInbox."), {}}));

    ASSERT_TRUE(QDir(inbox.displayPath).removeRecursively());
    const Outcome noAccess{1, {}, QStringLiteral("Filewright has no access to this folder. Choose it again under Folders.")};
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(inbox)}), noAccess);
    EXPECT_EQ(application.state(), QProcess::Running);
    application.terminate();
    ASSERT_TRUE(application.waitForFinished(10000));
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(inbox)}), noAccess);
}

TEST(AutomationActions, AHandedInFileIsWrittenUnderItsLastNameOnly)
{
    const struct
    {
        QString given;
        std::optional<QString> written;
    } cases[] = {
        {QStringLiteral("Rechnung.pdf"), QStringLiteral("Rechnung.pdf")},
        {QStringLiteral("../../x"), QStringLiteral("x")},
        {QStringLiteral("a/b"), QStringLiteral("b")},
        {QString(), QStringLiteral("document")},
        {QStringLiteral("."), QStringLiteral("document")},
        {QStringLiteral(".."), QStringLiteral("document")},
        {QStringLiteral("a/.."), QStringLiteral("document")},
        {QStringLiteral("folder/"), QStringLiteral("document")},
        {QString::fromUtf16(u"a\0b", 3), std::nullopt},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(AutomationActions::workingFileName(entry.given), entry.written) << entry.given.toStdString();
}
