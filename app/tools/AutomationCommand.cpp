#include "AutomationCommand.h"

#include "AutomationBus.h"
#include "AutomationClient.h"
#include "DateText.h"
#include "DecodedCopy.h"
#include "FileNameBytes.h"
#include "LocalAutomation.h"
#include "NameTemplate.h"
#include "Prefs.h"
#include "StartOptions.h"
#include "Store.h"
#include "StoreLock.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <array>
#include <cstring>
#include <functional>

namespace {

class Texts
{
    Q_DECLARE_TR_FUNCTIONS(AutomationCommand)
};

// How long a command waits for another process that works on the store.
constexpr std::chrono::seconds storePatience{60};

enum class Name { cleanUp, recognize, exportReceipts, folders };

struct Command
{
    Name name;
    const char *word;
    // The action's title, which its help opens with; none for a command
    // that is no action.
    const char *title;
    // The titles of its arguments, in order, which the usage line shows in
    // capitals; a command that takes any number of them repeats the one.
    std::array<const char *, 2> parameters;
    bool json;
    // Whether the action reads files (a clean-up does, for its rules).
    bool reads;
    int minArguments;
    int maxArguments; // -1: any number
};

// In the order the overview lists them.
constexpr std::array<Command, 4> commands{{
    {Name::folders, "folders", nullptr, {QT_TRANSLATE_NOOP("AutomationCommand", "Folder")}, true, false, 0, -1},
    {Name::cleanUp, "clean-up", QT_TRANSLATE_NOOP("AutomationCommand", "Clean Up Folder Now"),
     {QT_TRANSLATE_NOOP("AutomationCommand", "Folder")}, false, true, 1, 1},
    {Name::recognize, "recognize", QT_TRANSLATE_NOOP("AutomationCommand", "Recognize File"),
     {QT_TRANSLATE_NOOP("AutomationCommand", "File")}, true, true, 1, 1},
    {Name::exportReceipts, "export-receipts", QT_TRANSLATE_NOOP("AutomationCommand", "Export Receipts for Month"),
     {QT_TRANSLATE_NOOP("AutomationCommand", "Year"), QT_TRANSLATE_NOOP("AutomationCommand", "Month")}, false, false,
     2, 2},
}};

// The arguments as the usage line shows them: "YEAR MONTH", "[FOLDER...]".
QString syntax(const Command &command)
{
    QStringList names;
    for (const char *parameter : command.parameters) {
        if (parameter)
            names.append(Texts::tr(parameter).toUpper());
    }
    const QString listed = names.join(QLatin1Char(' '));
    return command.maxArguments < 0 ? QLatin1Char('[') + listed + QLatin1String("...]") : listed;
}

QString usage(const Command &command)
{
    return Texts::tr("Usage: filewright %1 [options] %2").arg(QLatin1String(command.word), syntax(command));
}

// The same words for an option no command takes as for one Filewright does not.
QString notAnOption(const QString &typed)
{
    return Texts::tr("\"%1\" is not an option of Filewright.").arg(typed);
}

const Command *commandNamed(const char *word)
{
    for (const Command &command : commands) {
        if (std::strcmp(command.word, word) == 0)
            return &command;
    }
    return nullptr;
}

QString description(Name name)
{
    switch (name) {
    case Name::cleanUp:
        return Texts::tr("Runs the newest files of a watched folder through your rules now. "
                         "FOLDER is an id that \"filewright folders\" lists.");
    case Name::recognize:
        return Texts::tr("Reads a PDF, image, text or RTF file and tells its kind, sender, date, amount, currency "
                         "and whether it needs checking, as a \"Recognized Document\". "
                         "The file is neither moved nor kept.");
    case Name::exportReceipts:
        return Texts::tr("Writes the month's invoices and receipts with their list into a ZIP archive and prints "
                         "its path. YEAR is from %1 to %2, MONTH from 1 to 12.")
                  .arg(AutomationActions::firstYear)
                  .arg(AutomationActions::lastYear);
    case Name::folders:
        return Texts::tr("Lists the watched folders, oldest first, one \"Watched Folder\" per line as id, name and "
                         "path; with ids, only those folders.");
    }
    return {};
}

void print(FILE *stream, const QString &text)
{
    QTextStream(stream) << text << Qt::endl;
}

class Run
{
public:
    // setUpForReading: called before the action would run in this process;
    // false when the process cannot read files.
    // raw: the command line's words as bytes, for file names that are not valid UTF-8.
    Run(const Command &command, const QStringList &arguments, bool json, std::function<bool()> setUpForReading,
        QByteArrayList raw = {})
        : m_command(command)
        , m_arguments(arguments)
        , m_json(json)
        , m_setUpForReading(std::move(setUpForReading))
        , m_raw(std::move(raw))
    {
    }

    int usageError(const QString &message) const
    {
        print(stderr, message + QLatin1Char('\n')
                          + Texts::tr("Try \"filewright %1 --help\".").arg(QLatin1String(m_command.word)));
        return AutomationCommand::badUsage;
    }

    int execute()
    {
        switch (m_command.name) {
        case Name::cleanUp:
            return cleanUp();
        case Name::recognize:
            return recognize();
        case Name::exportReceipts:
            return exportReceipts();
        case Name::folders:
            return folders();
        }
        return AutomationCommand::badUsage;
    }

private:
    // The application running on the store, else this process once it may
    // work on the store; nothing (the reason printed) when neither can be had.
    AutomationDoor *door()
    {
        const QString storePath = Store::url();
        std::unique_ptr<AutomationClient> running = AutomationClient::find(storePath, m_language);
        if (!running) {
            if (m_command.reads && !m_setUpForReading()) {
                print(stderr, Texts::tr("Filewright could not start again to read files."));
                return nullptr;
            }
            m_lock = StoreLock::take(storePath, storePatience, [&] {
                running = AutomationClient::find(storePath, m_language);
                return running != nullptr;
            });
        }
        if (running)
            m_door = std::move(running);
        else if (m_lock)
            m_door = std::make_unique<LocalAutomation>(Store::makeContainer(), m_language);
        else
            print(stderr, AutomationCommand::storeBusyMessage());
        return m_door.get();
    }

    template<typename T>
    int finish(const ActionResult<T> &result, const std::function<QString(const T &)> &text)
    {
        if (const auto *error = std::get_if<ActionError>(&result)) {
            print(stderr, error->message);
            return AutomationCommand::failed;
        }
        // Nothing to tell (no folders) prints nothing, not an empty line.
        if (const QString told = text(std::get<T>(result)); !told.isEmpty())
            print(stdout, told);
        return AutomationCommand::done;
    }

    static std::optional<QUuid> folderID(const QString &text)
    {
        const QUuid id = QUuid::fromString(text);
        return id.isNull() ? std::nullopt : std::optional<QUuid>(id);
    }

    int cleanUp()
    {
        const std::optional<QUuid> id = folderID(m_arguments.constFirst());
        if (!id)
            return usageError(Texts::tr("%1 is not a folder id.").arg(m_arguments.constFirst()));
        if (!door())
            return AutomationCommand::failed;
        return finish<AutomationActions::CleanUpResult>(
            m_door->cleanUp(*id), [](const AutomationActions::CleanUpResult &done) { return done.dialog; });
    }

    // The bytes of the word the argument was decoded from, when they are not valid UTF-8.
    std::optional<QByteArray> undecodable(const QString &argument) const
    {
        for (const QByteArray &word : m_raw) {
            if (!FileNameBytes::isText(word) && QFile::decodeName(word) == argument)
                return word;
        }
        return std::nullopt;
    }

    int recognize()
    {
        // Refused here already, so that a wrong path waits for no store.
        QString path = QFileInfo(m_arguments.constFirst()).absoluteFilePath();
        // A path that is not valid UTF-8 names no file as text: its file is
        // read from a copy under its decoded name, kept until the answer is in.
        std::optional<QByteArray> bytes = undecodable(m_arguments.constFirst());
        if (bytes && !bytes->startsWith('/'))
            bytes = QFile::encodeName(QDir::currentPath()) + '/' + *bytes;
        if (const std::optional<QString> refusal =
                bytes ? DecodedCopy::unreadable(*bytes, m_language) : AutomationActions::unreadable(path, m_language)) {
            print(stderr, *refusal);
            return AutomationCommand::failed;
        }
        if (!door())
            return AutomationCommand::failed;
        // Copied only now: finding the door may start this process afresh.
        std::shared_ptr<const DecodedCopy> copy;
        if (bytes) {
            ActionResult<std::shared_ptr<const DecodedCopy>> made = DecodedCopy::make(*bytes, m_language);
            if (const auto *error = std::get_if<ActionError>(&made)) {
                print(stderr, error->message);
                return AutomationCommand::failed;
            }
            copy = std::get<std::shared_ptr<const DecodedCopy>>(std::move(made));
            path = copy->path();
        }
        const bool json = m_json;
        const NameLanguage language = m_language;
        return finish<RecognizedDocument>(
            m_door->recognize(path), [json, language](const RecognizedDocument &document) {
                if (json)
                    return QString::fromUtf8(QJsonDocument(document.toJson()).toJson(QJsonDocument::Compact));
                return plainText(document, language);
            });
    }

    // For people: the date and amount as the receipts page writes them.
    static QString plainText(const RecognizedDocument &document, NameLanguage language)
    {
        const auto line = [](const QString &title, const QString &value) {
            return Texts::tr("%1: %2").arg(title, value);
        };
        QString amount;
        if (document.amount) {
            const std::optional<Decimal> decimal = Decimal::fromDouble(*document.amount);
            amount = decimal ? NameTemplate::format(*decimal, language) : QString::number(*document.amount, 'g', 15);
        }
        return QStringList{
            line(Texts::tr("Kind"), document.kind),
            line(Texts::tr("Sender"), document.sender.value_or(QString())),
            line(Texts::tr("Date"), document.date ? DateText::numeric(*document.date, DateText::locale(language)) : QString()),
            line(Texts::tr("Amount"), amount),
            line(Texts::tr("Currency"), document.currency.value_or(QString())),
            line(Texts::tr("Needs checking"), document.needsReview ? Texts::tr("yes") : Texts::tr("no")),
        }.join(QLatin1Char('\n'));
    }

    int exportReceipts()
    {
        bool yearIsNumber = false;
        bool monthIsNumber = false;
        const int year = m_arguments.at(0).toInt(&yearIsNumber);
        const int month = m_arguments.at(1).toInt(&monthIsNumber);
        if (!yearIsNumber || !AutomationActions::isValidYear(year))
            return usageError(Texts::tr("The year must be a number from %1 to %2.")
                                  .arg(AutomationActions::firstYear)
                                  .arg(AutomationActions::lastYear));
        if (!monthIsNumber || !AutomationActions::isValidMonth(month))
            return usageError(Texts::tr("The month must be a number from 1 to 12."));
        if (!door())
            return AutomationCommand::failed;
        return finish<QString>(m_door->exportReceipts(year, month), [](const QString &archive) { return archive; });
    }

    int folders()
    {
        std::optional<QList<QUuid>> ids;
        if (!m_arguments.isEmpty()) {
            ids.emplace();
            for (const QString &text : std::as_const(m_arguments)) {
                const std::optional<QUuid> id = folderID(text);
                if (!id)
                    return usageError(Texts::tr("%1 is not a folder id.").arg(text));
                ids->append(*id);
            }
        }
        if (!door())
            return AutomationCommand::failed;
        const bool json = m_json;
        return finish<QList<FolderEntity>>(m_door->folders(ids), [json](const QList<FolderEntity> &entities) {
            QJsonArray array;
            QStringList lines;
            for (const FolderEntity &entity : entities) {
                const QString id = entity.id.toString(QUuid::WithoutBraces);
                array.append(QJsonObject{{QStringLiteral("id"), id},
                                         {QStringLiteral("name"), entity.name},
                                         {QStringLiteral("path"), entity.path}});
                lines.append(id + QLatin1Char('\t') + entity.name + QLatin1Char('\t') + entity.path);
            }
            return json ? QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact))
                        : lines.join(QLatin1Char('\n'));
        });
    }

    const Command &m_command;
    const QStringList m_arguments;
    // Whoever serves the action answers in this process's language.
    const NameLanguage m_language = Prefs::sentenceLanguage();
    const bool m_json;
    const std::function<bool()> m_setUpForReading;
    const QByteArrayList m_raw;
    // Declared before the door it guards, so that it is given up after it.
    std::optional<StoreLock> m_lock;
    std::unique_ptr<AutomationDoor> m_door;
};

// An action's help opens with its title; one that is no action, with what it does.
QString helpText(const Command &command)
{
    const QStringList opening = command.title
        ? QStringList{Texts::tr(command.title), usage(command), description(command.name)}
        : QStringList{description(command.name), usage(command)};
    QString text = opening.join(QLatin1String("\n\n")) + QLatin1String("\n\n") + Texts::tr("Options:");
    if (command.json)
        text += QLatin1String("\n  --json      ") + Texts::tr("Print the result as JSON.");
    return text + QLatin1String("\n  -h, --help  ") + Texts::tr("Show this help.");
}

// One line a command, for the overview.
QString summary(Name name)
{
    switch (name) {
    case Name::cleanUp:
        return Texts::tr("Run a watched folder's newest files through your rules now.");
    case Name::recognize:
        return Texts::tr("Tell a file's kind, sender, date, amount and currency.");
    case Name::exportReceipts:
        return Texts::tr("Write a month's receipts into a ZIP archive.");
    case Name::folders:
        return Texts::tr("List the watched folders.");
    }
    return {};
}

// What "filewright --help" shows: every command with a line each.
QString overview()
{
    QStringList lines{Texts::tr("Usage: filewright [COMMAND [options] [ARGUMENTS]]"), QString(),
                      Texts::tr("Without a command, Filewright starts."), QString(), Texts::tr("Commands:")};
    const auto entry = [](const QString &usage, const QString &text) {
        return QStringLiteral("  %1  %2").arg(usage, -30).arg(text);
    };
    for (const Command &command : commands) {
        lines.append(entry(QLatin1String(command.word) + QLatin1Char(' ') + syntax(command), summary(command.name)));
    }
    lines.append(entry(QStringLiteral("help"), Texts::tr("Show this help.")));
    lines << QString() << Texts::tr("Options:") << entry(QStringLiteral("-h, --help"), Texts::tr("Show this help."))
          << entry(QStringLiteral("--version"), Texts::tr("Show the version."));
    lines << QString() << Texts::tr("\"filewright COMMAND --help\" tells more about a command.");
    return lines.join(QLatin1Char('\n'));
}

bool asksForHelp(const char *word)
{
    return std::strcmp(word, "help") == 0 || std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0;
}

// Why arguments that are neither a command nor a start of Filewright are refused.
// first: the first argument; foreign: the first that does not start Filewright.
QString refusal(const QString &first, const std::optional<QString> &firstForeign)
{
    if (!first.startsWith(u'-'))
        return Texts::tr("\"%1\" is not a Filewright command.").arg(first);
    const QString foreign = firstForeign.value_or(first);
    if (foreign.startsWith(u'-'))
        return notAnOption(foreign);
    if (commandNamed(QFile::encodeName(foreign).constData()))
        return Texts::tr("The command \"%1\" comes first, before any option.").arg(foreign);
    return Texts::tr("\"%1\" is not a Filewright command.").arg(foreign);
}

} // namespace

namespace AutomationCommand {

QString storeBusyMessage()
{
    return Texts::tr("Another Filewright process is working with the store. Try again when it has finished.");
}

bool isRequested(int argc, char **argv)
{
    // Filewright itself takes no words, only options: any word is a command,
    // known or not, and any other argument the application does not start
    // with is refused as one.
    return argc > 1 && (argv[1][0] != '-' || asksForHelp(argv[1]) || StartOptions::firstForeign(argc, argv));
}

int run(int argc, char **argv, ReadingSetUp setUpForReading, TranslationSetUp installTranslation)
{
    const Command *const named = commandNamed(argv[1]);
    // Taken before Qt's application object takes its own options out of argv.
    const QString first = QString::fromLocal8Bit(argv[1]);
    const std::optional<QString> foreign = StartOptions::firstForeign(argc, argv);
    // Reading needs the process set up from its start, and some documents
    // are laid out by Qt's text engine, which needs a GUI application (with
    // no window, so no display either). Handing an action over needs neither.
    const bool setUp = !qEnvironmentVariableIsEmpty("OMP_THREAD_LIMIT");
    if (setUp && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app = setUp ? std::make_unique<QGuiApplication>(argc, argv)
                                                        : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Filewright"));
    QCoreApplication::setApplicationName(QStringLiteral("Filewright"));
    installTranslation();
    // Before the bus is first used, while no other thread reads the types.
    AutomationBus::registerTypes();

    if (!named) {
        if (asksForHelp(first.toLocal8Bit().constData())) {
            print(stdout, overview());
            return done;
        }
        print(stderr, refusal(first, foreign) + QLatin1String("\n\n") + overview());
        return badUsage;
    }
    const Command &command = *named;
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption json(QStringLiteral("json"));
    parser.addOption(help);
    if (command.json)
        parser.addOption(json);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeAt(1);
    const bool parsed = parser.parse(arguments);
    Run run(command, parser.positionalArguments(), command.json && parser.isSet(json), [setUp, setUpForReading, argv] {
        if (!setUp)
            setUpForReading(argv); // returns only when the new start failed
        return setUp;
    }, QByteArrayList(argv + 2, argv + argc));
    // Refused as the whole command line is, by the option as it was typed.
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        const bool known = argument == QLatin1String("-h") || argument == QLatin1String("--help")
            || (command.json && argument == QLatin1String("--json"));
        if (argument.startsWith(u'-') && argument != QLatin1String("-") && !known)
            return run.usageError(notAnOption(argument));
    }
    if (!parsed)
        return run.usageError(parser.errorText());
    if (parser.isSet(help)) {
        print(stdout, helpText(command));
        return done;
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < command.minArguments || (command.maxArguments >= 0 && count > command.maxArguments))
        return run.usageError(usage(command));
    return run.execute();
}

} // namespace AutomationCommand
