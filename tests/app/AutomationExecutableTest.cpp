// The automation subcommands and bus methods through the real executable:
// each command run in its own process and handed to a running application,
// with the same results.
#include "AutomationActions.h"
#include "PrivateFolder.h"
#include "AutopilotFixture.h"
#include "StoreLock.h"
#include "TestSupport.h"
#include "engine/TestDocuments.h"

#include <QDBusConnectionInterface>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        // The common umask, which leaves new files readable by everyone.
        previousUmask = ::umask(022);
        // As a user starts it: a command sets itself up for reading when it must.
        environment.remove(QStringLiteral("OMP_THREAD_LIMIT"));
    }

    void TearDown() override
    {
        if (application.state() != QProcess::NotRunning) {
            application.terminate();
            application.waitForFinished(10000);
        }
        if (previousUmask)
            ::umask(*previousUmask);
        AutopilotFixture::TearDown();
    }

    QString temporary(const char *side) const { return work.filePath(QLatin1String(side)); }

    // Standard output exactly as printed.
    QByteArray printed(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment commandEnvironment = environment;
        commandEnvironment.insert(QStringLiteral("TMPDIR"), temporary("tmp-command"));
        process.setProcessEnvironment(commandEnvironment);
        process.start(QStringLiteral(FILEWRIGHT_BINARY), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0);
        return process.readAllStandardOutput();
    }

    using Variables = QList<std::pair<QString, QString>>;

    Outcome run(const QStringList &arguments, const Variables &variables = {}) const
    {
        const Outcome printed = exactly(arguments, variables);
        return Outcome{printed.code, printed.out.trimmed(), printed.err.trimmed()};
    }

    // The streams as printed, to the last byte.
    Outcome exactly(const QStringList &arguments, const Variables &variables = {}) const
    {
        QProcessEnvironment commandEnvironment = environment;
        commandEnvironment.insert(QStringLiteral("TMPDIR"), temporary("tmp-command"));
        for (const auto &[name, value] : variables)
            commandEnvironment.insert(name, value);
        QProcess process;
        process.setProcessEnvironment(commandEnvironment);
        process.start(QStringLiteral(FILEWRIGHT_BINARY), arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(QLatin1Char(' ')).toStdString();
        return Outcome{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                       QString::fromUtf8(process.readAllStandardError())};
    }

    // Runs "filewright recognize --json FILE" where the file's path holds any
    // bytes: the path is given as a printf format, and the shell passes its
    // bytes on as they are.
    Outcome recognizeBytes(const QString &pathFormat) const
    {
        QProcessEnvironment commandEnvironment = environment;
        commandEnvironment.insert(QStringLiteral("TMPDIR"), temporary("tmp-command"));
        QProcess process;
        process.setProcessEnvironment(commandEnvironment);
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                                  QStringLiteral(R"sh(exec "$0" recognize --json "$(printf "$1")")sh"),
                                                  QStringLiteral(FILEWRIGHT_BINARY), pathFormat});
        EXPECT_TRUE(process.waitForFinished(120000)) << pathFormat.toStdString();
        return Outcome{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
                       QString::fromUtf8(process.readAllStandardError()).trimmed()};
    }

    void startApplication(const QList<std::pair<QString, QString>> &variables = {})
    {
        QProcessEnvironment applicationEnvironment = environment;
        applicationEnvironment.insert(QStringLiteral("TMPDIR"), temporary("tmp-app"));
        for (const auto &[name, value] : variables)
            applicationEnvironment.insert(name, value);
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
    std::optional<mode_t> previousUmask;
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
         QStringLiteral("Cannot read %1: not a regular file").arg(temporary("runtime"))},
        {{QStringLiteral("recognize"), QStringLiteral("/dev/zero")}, 1, {},
         QStringLiteral("Cannot read /dev/zero: not a regular file")},
        {{QStringLiteral("export-receipts"), QStringLiteral("1999"), QStringLiteral("10")}, 2, {},
         QStringLiteral("The year must be a number from 2000 to 2100.\nTry \"filewright export-receipts --help\".")},
        {{QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("13")}, 2, {},
         QStringLiteral("The month must be a number from 1 to 12.\nTry \"filewright export-receipts --help\".")},
        {{QStringLiteral("clean-up"), QStringLiteral("Downloads")}, 2, {},
         QStringLiteral("Downloads is not a folder id.\nTry \"filewright clean-up --help\".")},
        {{QStringLiteral("folders"), QStringLiteral("--bogus")}, 2, {},
         QStringLiteral("\"--bogus\" is not an option of Filewright.\nTry \"filewright folders --help\".")},
        {{QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("--json=1"), QStringLiteral("10")}, 2, {},
         QStringLiteral("\"--json=1\" is not an option of Filewright.\nTry \"filewright export-receipts --help\".")},
    };

    // A file far larger than a bus message may be, mostly a hole: read as
    // far as the readers need it, the same way through both doors.
    const QString big = work.filePath(QStringLiteral("big.txt"));
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Rechnung Nr. 4711\nBei Spiel GmbH\nRechnungsdatum 22.05.2014\nGesamtbetrag 571,04 EUR\n");
        ASSERT_TRUE(file.resize(qint64(300) * 1024 * 1024));
    }
    QList<Outcome> bigOutcomes;

    // A file whose name is not valid UTF-8 (the bytes 0xff 0xfe) is read as
    // it is, through a copy that goes again.
    const QByteArray invoiceBytes = [this] {
        QFile file(pdf);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const QByteArray undecodable = QFile::encodeName(work.path()) + "/Rechnung_\xff\xfe.pdf";
    {
        const int fd = ::open(undecodable.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, invoiceBytes.constData(), size_t(invoiceBytes.size())), invoiceBytes.size());
        ::close(fd);
    }
    // QTemporaryDir cannot see it to remove it.
    const std::unique_ptr<const char, void (*)(const char *)> removal(undecodable.constData(),
                                                                      [](const char *path) { ::unlink(path); });

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

        const qsizetype foldersBefore = leftIn(temporary("tmp-command")).size();
        // The same answer as for the invoice under its plain name.
        EXPECT_EQ(recognizeBytes(work.path() + QStringLiteral("/Rechnung_\\377\\376.pdf")),
                  (Outcome{0, cases[2].out, {}}));
        EXPECT_EQ(leftIn(temporary("tmp-command")).size(), foldersBefore);

        bigOutcomes.append(run({QStringLiteral("recognize"), QStringLiteral("--json"), big}));
        EXPECT_EQ(bigOutcomes.constLast().code, 0) << bigOutcomes.constLast().err.toStdString();
        EXPECT_EQ(application.state(), handedOver ? QProcess::Running : QProcess::NotRunning);

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
        // Only its owner may look into the export, whatever the umask.
        const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
        EXPECT_EQ(QFileInfo(QFileInfo(exported.out).path()).permissions(), owner | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        EXPECT_EQ(QFileInfo(exported.out).permissions(), owner);
        // No working folder stays behind; the export folder does.
        EXPECT_EQ(leftIn(side).size(), 1) << leftIn(side).join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(store->journal().size(), 2);
    ASSERT_EQ(bigOutcomes.size(), 2);
    EXPECT_EQ(bigOutcomes[0], bigOutcomes[1]);
    EXPECT_TRUE(bigOutcomes[0].out.contains(QStringLiteral(R"("sender":"Bei Spiel GmbH")"))) << bigOutcomes[0].out.toStdString();
    application.terminate();
    ASSERT_TRUE(application.waitForFinished(10000));

    // An export folder that cannot be made is reported as the system words it.
    const QString notAFolder = work.filePath(QStringLiteral("runtime/file"));
    ASSERT_TRUE(TestSupport::writeFile(notAFolder, "x"));
    const Outcome refused = run({QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("10")},
                                {{QStringLiteral("TMPDIR"), notAFolder}});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("Could not create the folder %1/Filewright-export-").arg(notAFolder)))
        << refused.err.toStdString();

    // A German desktop gets the reasons in German.
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(gone)}, {{QStringLiteral("LANGUAGE"), QStringLiteral("de")}}).err,
              QStringLiteral("Filewright hat keinen Zugriff auf diesen Ordner. Wähle ihn unter „Ordner“ erneut aus."));
}

TEST_F(AutomationExecutable, BothDoorsAnswerInTheLanguageOfTheProcessThatAsked)
{
    const Variables english{{QStringLiteral("LANGUAGE"), QStringLiteral("en")},
                            {QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")}};
    const Variables german{{QStringLiteral("LANGUAGE"), QStringLiteral("de")}};
    const QList<QStringList> requests{
        {QStringLiteral("recognize"), QStringLiteral("--json"), pdf},
        {QStringLiteral("recognize"), pdf},
        {QStringLiteral("clean-up"), id(inbox)},
        {QStringLiteral("clean-up"), id(gone)},
        {QStringLiteral("clean-up"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
        {QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("11")},
        {QStringLiteral("recognize"), QStringLiteral("--json"), QStringLiteral("--bogus"), pdf},
    };
    const auto answers = [&](const Variables &language) {
        QList<Outcome> outcomes;
        for (const QStringList &request : requests)
            outcomes.append(exactly(request, language));
        return outcomes;
    };
    const QList<Outcome> ownEnglish = answers(english);
    const QList<Outcome> ownGerman = answers(german);
    ASSERT_EQ(ownEnglish.size(), requests.size());
    EXPECT_TRUE(ownEnglish[0].out.contains(QStringLiteral(R"("kind":"Invoice")"))) << ownEnglish[0].out.toStdString();
    EXPECT_TRUE(ownGerman[0].out.contains(QStringLiteral(R"("kind":"Rechnung")"))) << ownGerman[0].out.toStdString();
    EXPECT_EQ(ownEnglish[2].out, QStringLiteral("Filewright handled 0 files in AutomationInbox.\n"));
    EXPECT_EQ(ownEnglish[3].err,
              QStringLiteral("Filewright has no access to this folder. Choose it again under Folders.\n"));
    // For people: the day and the amount as the receipts page writes them.
    EXPECT_EQ(ownEnglish[1], (Outcome{0,
                                      QStringLiteral("Kind: Invoice\nSender: Bei Spiel GmbH\nDate: 5/22/2014\n"
                                                     "Amount: 571.04\nCurrency: EUR\nNeeds checking: no\n"),
                                      {}}));
    EXPECT_EQ(ownGerman[1], (Outcome{0,
                                     QStringLiteral("Art: Rechnung\nAbsender: Bei Spiel GmbH\nDatum: 22.5.2014\n"
                                                    "Betrag: 571,04\nWährung: EUR\nZu prüfen: nein\n"),
                                     {}}));
    // An option a command does not take, named as typed, in the whole command line's words.
    EXPECT_EQ(ownEnglish[6], (Outcome{2, {},
                                      QStringLiteral("\"--bogus\" is not an option of Filewright.\n"
                                                     "Try \"filewright recognize --help\".\n")}));
    EXPECT_EQ(ownGerman[6], (Outcome{2, {},
                                     QStringLiteral("„--bogus“ ist keine Option von Filewright.\n"
                                                    "Siehe „filewright recognize --help“.\n")}));
    for (qsizetype i = 0; i < requests.size(); ++i)
        EXPECT_NE(ownEnglish[i], ownGerman[i]) << requests[i].join(u' ').toStdString();

    // Handed to an application that speaks either language: the same bytes.
    for (const Variables &applicationLanguage : {german, english}) {
        SCOPED_TRACE(applicationLanguage.constFirst().second.toStdString());
        startApplication(applicationLanguage);
        ASSERT_TRUE(QTest::qWaitFor(nameIsOwned, 30000));
        EXPECT_EQ(answers(english), ownEnglish);
        EXPECT_EQ(answers(german), ownGerman);
        EXPECT_EQ(application.state(), QProcess::Running);
        application.terminate();
        ASSERT_TRUE(application.waitForFinished(10000));
        ASSERT_TRUE(QTest::qWaitFor([] { return !nameIsOwned(); }, 10000));
    }
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

    // A path is read where it lies.
    const QDBusMessage readAt = call("RecognizeFileAt", {pdf});
    ASSERT_EQ(readAt.type(), QDBusMessage::ReplyMessage) << readAt.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<QVariantMap>(readAt.arguments().value(0)), qdbus_cast<QVariantMap>(read.arguments().value(0)));

    // In a language the caller names, its errors too; a language Filewright
    // does not speak gets English.
    const QDBusMessage readInGerman = call("RecognizeFileAtInLanguage", {pdf, QStringLiteral("de-CH")});
    EXPECT_EQ(qdbus_cast<QVariantMap>(readInGerman.arguments().value(0)).value(QStringLiteral("kind")), QStringLiteral("Rechnung"));
    const QDBusMessage readInFrench = call("RecognizeFileAtInLanguage", {pdf, QStringLiteral("fr")});
    EXPECT_EQ(qdbus_cast<QVariantMap>(readInFrench.arguments().value(0)), qdbus_cast<QVariantMap>(read.arguments().value(0)));
    EXPECT_EQ(call("ExportReceiptsInLanguage", {2026, 11, QStringLiteral("de")}).errorMessage(),
              QStringLiteral("Filewright hat für diesen Monat keine Belege gefunden."));

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
        {"RecognizeFileAt", {QStringLiteral("invoice.pdf")}, QStringLiteral("org.example.filewright.Error.Failed")},
        {"RecognizeFileAt", {QStringLiteral("/dev/zero")}, QStringLiteral("org.example.filewright.Error.Failed")},
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

TEST_F(AutomationExecutable, AFolderDeletedWhileTheApplicationRunsHasNoAccessAndNoFoldersPrintNothing)
{
    startApplication();
    ASSERT_TRUE(QTest::qWaitFor(nameIsOwned, 30000));
    // Reached while it is there: the running driver has found it once.
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(inbox)}),
              (Outcome{0, QStringLiteral("Filewright handled 0 files in AutomationInbox."), {}}));

    // No folder to list: nothing at all, or an empty JSON list.
    const QString nobody = QUuid::createUuid().toString(QUuid::WithoutBraces);
    EXPECT_EQ(printed({QStringLiteral("folders"), nobody}), QByteArray());
    EXPECT_EQ(printed({QStringLiteral("folders"), QStringLiteral("--json"), nobody}), QByteArray("[]\n"));

    ASSERT_TRUE(QDir(inbox.displayPath).removeRecursively());
    const Outcome noAccess{1, {}, QStringLiteral("Filewright has no access to this folder. Choose it again under Folders.")};
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(inbox)}), noAccess);
    EXPECT_EQ(application.state(), QProcess::Running);
    application.terminate();
    ASSERT_TRUE(application.waitForFinished(10000));
    EXPECT_EQ(run({QStringLiteral("clean-up"), id(inbox)}), noAccess);
    EXPECT_EQ(printed({QStringLiteral("folders"), nobody}), QByteArray());
}

// An OpenDocument invoice saved with a recorded change is recognised by the
// amount its body says now, not by the one the change deleted.
TEST_F(AutomationExecutable, AnOpenDocumentIsRecognisedByItsCurrentText)
{
    const QString invoice = work.filePath(QStringLiteral("Rechnung.odt"));
    ASSERT_TRUE(TestSupport::writeFile(
        invoice, TestDocuments::odt("<text:tracked-changes><text:changed-region text:id=\"ct1\"><text:deletion>"
                                    "<office:change-info><dc:creator>Buchhaltung</dc:creator>"
                                    "<dc:date>2024-06-30T09:12:00</dc:date></office:change-info>"
                                    "<text:p>Gesamtbetrag: 999,00 EUR</text:p></text:deletion></text:changed-region>"
                                    "</text:tracked-changes><text:p>Rechnung Nr. 2024-117 vom 14.06.2024</text:p>"
                                    "<text:p>Bei Spiel GmbH</text:p>"
                                    "<text:p><text:change text:change-id=\"ct1\"/>Gesamtbetrag: 119,00 EUR</text:p>")));
    EXPECT_EQ(run({QStringLiteral("recognize"), QStringLiteral("--json"), invoice}),
              (Outcome{0,
                       QStringLiteral(R"({"amount":119,"currency":"EUR","date":"2024-06-14","kind":"Invoice",)"
                                      R"("needsReview":false,"sender":"Bei Spiel GmbH"})"),
                       {}}));
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

TEST(PrivateFolder, OnlyItsOwnerMayOpenItWhateverTheUmask)
{
    for (const mode_t mask : {mode_t(022), mode_t(0), mode_t(0277)}) {
        const mode_t previous = ::umask(mask);
        const ActionResult<QString> made = PrivateFolder::create(QStringLiteral("Filewright-test-"), NameLanguage::en);
        ::umask(previous);
        ASSERT_TRUE(std::holds_alternative<QString>(made)) << mask;
        const QString path = std::get<QString>(made);
        EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("Filewright-test-")));
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode_t(0700)) << mask;
        EXPECT_TRUE(QDir().rmdir(path));
    }
}
