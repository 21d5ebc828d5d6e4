// The filewright executable as a user starts it.
#include "TestSupport.h"

#include <QProcess>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using Variables = QList<std::pair<QString, QString>>;

const Variables english{{QStringLiteral("LANGUAGE"), QStringLiteral("en")}, {QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")}};
const Variables german{{QStringLiteral("LANGUAGE"), QStringLiteral("de")}, {QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")}};

QProcess *start(QProcess &process, const QString &store, const QStringList &arguments = {}, const Variables &variables = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : variables)
        environment.insert(name, value);
    environment.insert(QStringLiteral("APP_STORE"), store);
    // A self-test asked for is refused without it, and so tells itself apart.
    environment.remove(QStringLiteral("APP_HOME"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(FILEWRIGHT_BINARY), arguments);
    return &process;
}

struct Ended
{
    int code = -1;
    QString out;
    QString err;
};

// Runs the executable to its end; a process still running after a while is
// the application, started, and ends with -1.
Ended runToEnd(const QString &store, const QStringList &arguments, const Variables &variables = {})
{
    QProcess process;
    start(process, store, arguments, variables);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    }
    return Ended{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                 QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
} // namespace

TEST(Executable, AStoreThatCannotBeOpenedEndsTheProcessAndStaysUntouched)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("broken.store"));
    const QByteArray garbage(4096, 'x');
    ASSERT_TRUE(TestSupport::writeFile(store, garbage));
    QProcess process;
    start(process, store);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_NE(process.exitCode(), 0);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("Could not open the database at ") + store + QStringLiteral(": ")))
        << errors.toStdString();
    EXPECT_EQ(TestSupport::readFile(store), garbage);
}

TEST(Executable, StartsAndRunsUntilQuit)
{
    QTemporaryDir dir;
    QProcess process;
    start(process, dir.filePath(QStringLiteral("fresh.store")));
    ASSERT_TRUE(process.waitForStarted(10000));
    // Still running after its start-up: it shows its window and waits.
    EXPECT_FALSE(process.waitForFinished(1500));
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(10000));
}

TEST(Executable, HelpListsTheCommandsAndAnUnknownCommandIsRefused)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("help.store"));
    const auto run = [&store](const QStringList &arguments) {
        const Ended ended = runToEnd(store, arguments);
        return std::tuple{ended.code, ended.out, ended.err};
    };
    const QStringList listed{QStringLiteral("\n  folders [FOLDER...] "), QStringLiteral("\n  clean-up FOLDER "),
                             QStringLiteral("\n  recognize FILE "), QStringLiteral("\n  export-receipts YEAR MONTH "),
                             QStringLiteral("\n  help ")};
    for (const QString &asking : {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("help")}) {
        const auto [code, out, err] = run({asking});
        EXPECT_EQ(code, 0) << asking.toStdString();
        EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: filewright "))) << out.toStdString();
        for (const QString &line : listed)
            EXPECT_TRUE(out.contains(line)) << line.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("Usage"))) << err.toStdString();
    }
    // A mistyped command: the usage goes to standard error, as for a wrong
    // argument to a known command.
    const auto [code, out, err] = run({QStringLiteral("recognise"), dir.filePath(QStringLiteral("x.pdf"))});
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(out.isEmpty()) << out.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("\"recognise\" is not a Filewright command.\n\nUsage: filewright ")))
        << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(store));
}

TEST(Executable, EachCommandsHelpOpensWithItsTitleAndNamesItsArgumentsInTheCallersLanguage)
{
    QTemporaryDir dir;
    const struct
    {
        const char *command;
        const Variables &language;
        // The help's first paragraphs: an action's title, its usage and what
        // it does; for a command that is no action, what it does and its usage.
        QStringList paragraphs;
    } helps[] = {
        {"clean-up", english,
         {QStringLiteral("Clean Up Folder Now"), QStringLiteral("Usage: filewright clean-up [options] FOLDER"),
          QStringLiteral("Runs the newest files of a watched folder through your rules now. "
                         "FOLDER is an id that \"filewright folders\" lists.")}},
        {"clean-up", german,
         {QStringLiteral("Ordner jetzt aufräumen"), QStringLiteral("Aufruf: filewright clean-up [Optionen] ORDNER"),
          QStringLiteral("Wendet deine Regeln jetzt auf die neuesten Dateien eines beobachteten Ordners an. "
                         "ORDNER ist eine ID, die „filewright folders“ auflistet.")}},
        {"recognize", english,
         {QStringLiteral("Recognize File"), QStringLiteral("Usage: filewright recognize [options] FILE"),
          QStringLiteral("Reads a PDF, image, text or RTF file and tells its kind, sender, date, amount, currency and "
                         "whether it needs checking, as a \"Recognized Document\". The file is neither moved nor kept.")}},
        {"recognize", german,
         {QStringLiteral("Datei erkennen"), QStringLiteral("Aufruf: filewright recognize [Optionen] DATEI"),
          QStringLiteral("Liest eine PDF-, Bild-, Text- oder RTF-Datei und nennt Art, Absender, Datum, Betrag, Währung "
                         "und ob sie zu prüfen ist, als „Erkanntes Dokument“. Die Datei wird weder verschoben noch "
                         "aufbewahrt.")}},
        {"export-receipts", english,
         {QStringLiteral("Export Receipts for Month"), QStringLiteral("Usage: filewright export-receipts [options] YEAR MONTH"),
          QStringLiteral("Writes the month's invoices and receipts with their list into a ZIP archive and prints its "
                         "path. YEAR is from 2000 to 2100, MONTH from 1 to 12.")}},
        {"export-receipts", german,
         {QStringLiteral("Belege eines Monats exportieren"),
          QStringLiteral("Aufruf: filewright export-receipts [Optionen] JAHR MONAT"),
          QStringLiteral("Schreibt die Rechnungen und Quittungen des Monats mit ihrer Liste in ein ZIP-Archiv und gibt "
                         "dessen Pfad aus. JAHR liegt zwischen 2000 und 2100, MONAT zwischen 1 und 12.")}},
        {"folders", english,
         {QStringLiteral("Lists the watched folders, oldest first, one \"Watched Folder\" per line as id, name and path; "
                         "with ids, only those folders."),
          QStringLiteral("Usage: filewright folders [options] [FOLDER...]")}},
        {"folders", german,
         {QStringLiteral("Listet die beobachteten Ordner, die ältesten zuerst, je Zeile ein „Beobachteter Ordner“ mit ID, "
                         "Name und Pfad auf; mit IDs nur diese Ordner."),
          QStringLiteral("Aufruf: filewright folders [Optionen] [ORDNER...]")}},
    };
    for (const auto &help : helps) {
        const std::string asked = std::string(help.command) + " --help, " + help.language.constFirst().second.toStdString();
        const Ended ended = runToEnd(dir.filePath(QStringLiteral("help.store")),
                                     {QLatin1String(help.command), QStringLiteral("--help")}, help.language);
        EXPECT_EQ(ended.code, 0) << asked;
        EXPECT_EQ(ended.out.split(QStringLiteral("\n\n")).mid(0, help.paragraphs.size()), help.paragraphs) << asked;
        // The overview names the arguments alike: "  clean-up FOLDER  ...".
        const QString arguments = help.paragraphs.at(1).section(QStringLiteral("] "), 1);
        const Ended overview = runToEnd(dir.filePath(QStringLiteral("help.store")), {QStringLiteral("--help")}, help.language);
        EXPECT_TRUE(overview.out.contains(QStringLiteral("\n  %1 %2 ").arg(QLatin1String(help.command), arguments)))
            << asked << ": " << overview.out.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("help.store"))));
}

TEST(Executable, OptionsItDoesNotTakeAreRefusedAndQtsOwnStartTheApplication)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("options.store"));
    const struct
    {
        QStringList arguments;
        QString refusal;
    } refused[] = {
        {{QStringLiteral("--bogus")}, QStringLiteral("\"--bogus\" is not an option of Filewright.")},
        {{QStringLiteral("-x")}, QStringLiteral("\"-x\" is not an option of Filewright.")},
        {{QStringLiteral("--json"), QStringLiteral("folders")}, QStringLiteral("\"--json\" is not an option of Filewright.")},
        {{QStringLiteral("--selftest"), QStringLiteral("--bogus")}, QStringLiteral("\"--bogus\" is not an option of Filewright.")},
        {{QStringLiteral("--selftest=1")}, QStringLiteral("\"--selftest=1\" is not an option of Filewright.")},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("folders")},
         QStringLiteral("The command \"folders\" comes first, before any option.")},
        {{QStringLiteral("--reverse"), QStringLiteral("stray")}, QStringLiteral("\"stray\" is not a Filewright command.")},
    };
    for (const auto &entry : refused) {
        const Ended ended = runToEnd(store, entry.arguments);
        const std::string arguments = entry.arguments.join(u' ').toStdString();
        EXPECT_EQ(ended.code, 2) << arguments;
        EXPECT_TRUE(ended.out.isEmpty()) << arguments << ": " << ended.out.toStdString();
        EXPECT_TRUE(ended.err.contains(entry.refusal + QStringLiteral("\n\nUsage: filewright ")))
            << arguments << ": " << ended.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(store)) << arguments;
    }

    // In German, in the same words as a command's refusal.
    const Ended inGerman = runToEnd(store, {QStringLiteral("--bogus")}, german);
    EXPECT_EQ(inGerman.code, 2);
    EXPECT_TRUE(inGerman.err.contains(QStringLiteral("„--bogus“ ist keine Option von Filewright.\n\nAufruf: filewright ")))
        << inGerman.err.toStdString();

    // The self-test wherever it stands, here refused for want of a home of its own.
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("--selftest")},
          QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--selftest")},
          QStringList{QStringLiteral("--selftest"), QStringLiteral("--platform"), QStringLiteral("offscreen")}}) {
        const Ended ended = runToEnd(store, arguments);
        EXPECT_EQ(ended.code, 1) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(ended.out.startsWith(QStringLiteral("SELFTEST refused"))) << ended.out.toStdString();
    }

    // Qt's own options with their values: the application starts and opens its store.
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-style"),
                      QStringLiteral("Fusion")},
          QStringList{QStringLiteral("-session"), QStringLiteral("1a2b3c"), QStringLiteral("--reverse"),
                      QStringLiteral("-stylesheet=none.qss"), QStringLiteral("-qwindowtitle"), QStringLiteral("-x")}}) {
        const QString started = dir.filePath(QStringLiteral("started-%1.store").arg(arguments.size()));
        QProcess process;
        start(process, started, arguments);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(started) || process.state() == QProcess::NotRunning; }, 20000));
        EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
        EXPECT_TRUE(QFileInfo::exists(started)) << arguments.join(u' ').toStdString();
        process.terminate();
        EXPECT_TRUE(process.waitForFinished(10000));
    }
}
