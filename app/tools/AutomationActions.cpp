#include "AutomationActions.h"

#include "Autopilot.h"
#include "EndDeadline.h"
#include "LanguageTexts.h"
#include "PrivateFolder.h"
#include "ReceiptExport.h"
#include "ReceiptsPage.h"
#include "Recognizer.h"
#include "Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A text of these actions in the language asked for.
QString say(NameLanguage language, const char *source, int n = -1)
{
    return LanguageTexts::text(language, "AutomationActions", source, n);
}

} // namespace

// The recognise action's folder, removed with everything in it at the
// latest when it goes; a failure to remove is ignored.
class AutomationActions::WorkingFolder
{
public:
    explicit WorkingFolder(QString path) : m_path(std::move(path)) { }
    ~WorkingFolder() { remove(); }
    void remove() const
    {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(m_path).toStdString(), ignored);
    }
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;
    const QString &path() const { return m_path; }

private:
    const QString m_path;
};

AutomationActions::AutomationActions(Store &store, Autopilot &autopilot, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_autopilot(autopilot)
    , m_end(autopilot.endDeadline())
    , m_pool(std::make_unique<QThreadPool>())
{
    // Quit ends the actions' work at once and answers whoever waits for it.
    if (QCoreApplication *application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &AutomationActions::stop);
}

AutomationActions::~AutomationActions()
{
    stop();
    // The work owns nothing of the actions.
    m_end->finish(m_pool);
}

void AutomationActions::stop()
{
    m_stop.request_stop();
    m_end->start();
    // Each answer is given once: the list is taken before anyone is told.
    const std::map<quint64, std::function<void()>> pending = std::exchange(m_pending, {});
    for (const auto &[ticket, answer] : pending)
        answer();
}

QString AutomationActions::quitText(NameLanguage language)
{
    return say(language, QT_TRANSLATE_NOOP("AutomationActions", "Filewright was quit before it finished."));
}

template<typename T, typename R>
void AutomationActions::runAside(std::function<T()> work, std::function<ActionResult<R>(const T &)> result,
                                 NameLanguage language, Done<R> done)
{
    if (m_stop.stop_requested())
        return done(ActionError::failure(quitText(language)));
    const quint64 ticket = m_nextTicket++;
    auto *watcher = new QFutureWatcher<T>(this);
    auto shared = std::make_shared<Done<R>>(std::move(done));
    m_pending.emplace(ticket, [watcher, shared, language] {
        watcher->disconnect();
        watcher->deleteLater();
        (*shared)(ActionError::failure(quitText(language)));
    });
    connect(watcher, &QFutureWatcher<T>::finished, this, [this, ticket, watcher, shared, result = std::move(result)] {
        m_pending.erase(ticket);
        watcher->deleteLater();
        (*shared)(result(watcher->result()));
    });
    watcher->setFuture(QtConcurrent::run(m_pool.get(), std::move(work)));
}

void AutomationActions::cleanUp(const QUuid &id, NameLanguage language, Done<CleanUpResult> done)
{
    const QList<WatchedFolder> watched = folders().watchedFolders();
    const auto found = std::find_if(watched.begin(), watched.end(),
                                    [&id](const WatchedFolder &folder) { return folder.uuid == id; });
    if (found == watched.end())
        return done(ActionError::of(FilewrightIntentError::folderGone, language));
    WatchedFolder folder = *found;
    const std::optional<QString> path = m_autopilot.startAccess(folder);
    if (!(folder == *found))
        m_store.update(folder);
    if (!path)
        return done(ActionError::of(FilewrightIntentError::noAccess, language));
    const QString name = folder.name();
    if (m_stop.stop_requested())
        return done(ActionError::failure(quitText(language)));
    // Quit answers the clean-up at once; its readings end with the driver's.
    const quint64 ticket = m_nextTicket++;
    auto shared = std::make_shared<Done<CleanUpResult>>(std::move(done));
    m_pending.emplace(ticket, [shared, language] { (*shared)(ActionError::failure(quitText(language))); });
    QPointer<AutomationActions> self(this);
    m_autopilot.cleanUp(folder, [self, ticket, name, language, shared](int count) {
        if (self && self->m_pending.erase(ticket))
            (*shared)(CleanUpResult{
                count,
                say(language, QT_TRANSLATE_N_NOOP("AutomationActions", "Filewright handled %n file(s) in %1."), count)
                    .arg(name)});
    });
}

std::optional<QString> AutomationActions::workingFileName(const QString &name)
{
    if (name.contains(QChar(u'\0')))
        return std::nullopt;
    const QString last = name.section(QLatin1Char('/'), -1);
    if (last.isEmpty() || last == QLatin1String(".") || last == QLatin1String(".."))
        return QStringLiteral("document");
    return last;
}

void AutomationActions::recognize(const QString &name, const QByteArray &data, NameLanguage language,
                                  Done<RecognizedDocument> done)
{
    const std::optional<QString> fileName = workingFileName(name);
    if (!fileName)
        return done(ActionError::failure(
            say(language, QT_TRANSLATE_NOOP("AutomationActions", "A file name must not contain a NUL character."))));
    const ActionResult<QString> made = PrivateFolder::create(QStringLiteral("Filewright-"), language);
    if (const auto *error = std::get_if<ActionError>(&made))
        return done(*error);
    auto folder = std::make_shared<const WorkingFolder>(std::get<QString>(made));

    const QString path = folder->path() + QLatin1Char('/') + *fileName;
    QFile copy(path);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly) || copy.write(data) != data.size() || !copy.flush())
        return done(ActionError::failure(say(language, QT_TRANSLATE_NOOP("AutomationActions", "Could not write %1: %2"))
                                             .arg(path, copy.errorString())));
    copy.close();
    read(path, folder, language, std::move(done));
}

std::optional<QString> AutomationActions::unreadable(const QString &path, NameLanguage language)
{
    // Opened without waiting, so that a named pipe cannot hold the caller.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return say(language, QT_TRANSLATE_NOOP("AutomationActions", "Cannot read %1: %2"))
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    const bool regular = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    ::close(descriptor);
    if (!regular)
        return say(language, QT_TRANSLATE_NOOP("AutomationActions", "Cannot read %1: not a regular file")).arg(path);
    return std::nullopt;
}

void AutomationActions::recognizeFile(const QString &path, NameLanguage language, Done<RecognizedDocument> done)
{
    if (!QDir::isAbsolutePath(path))
        return done(ActionError::failure(
            say(language, QT_TRANSLATE_NOOP("AutomationActions", "Cannot read %1: the path is not absolute"))
                .arg(path)));
    if (const std::optional<QString> refusal = unreadable(path, language))
        return done(ActionError::failure(*refusal));
    read(path, nullptr, language, std::move(done));
}

void AutomationActions::read(const QString &path, std::shared_ptr<const WorkingFolder> folder, NameLanguage language,
                             Done<RecognizedDocument> done)
{
    const bool useModel = m_autopilot.modelStatus() == ModelStatus::available;
    // The working folder is gone before the answer is given (or with the actions).
    runAside<Recognition, RecognizedDocument>(
        [path, useModel, stop = m_stop.get_token()] { return Recognizer::recognize(path, useModel, {}, stop); },
        [folder = std::move(folder), language](const Recognition &recognition) -> ActionResult<RecognizedDocument> {
            if (folder)
                folder->remove();
            return RecognizedDocument::from(recognition, language);
        },
        language, std::move(done));
}

void AutomationActions::exportReceipts(int year, int month, NameLanguage language, Done<QString> done)
{
    Q_ASSERT(isValidYear(year) && isValidMonth(month));
    const QList<RecognitionRecord> records = m_store.receipts(year, month);
    if (records.isEmpty())
        return done(ActionError::of(FilewrightIntentError::noReceipts, language));
    const ActionResult<QString> made = PrivateFolder::create(QStringLiteral("Filewright-export-"), language);
    if (const auto *error = std::get_if<ActionError>(&made))
        return done(*error);
    const QString folder = std::get<QString>(made);
    const QList<ReceiptLine> lines = ReceiptsPage::lines(records);
    runAside<ActionResult<QString>, QString>(
        [lines, year, month, folder, stop = m_stop.get_token()]() -> ActionResult<QString> {
            try {
                // Stopped, the export removes its part: no half archive is left.
                const QString archive =
                    ReceiptExport::write(lines, year, month, folder, QDateTime::currentDateTime(),
                                         [stop](qsizetype, qsizetype) { return !stop.stop_requested(); });
                QFile::setPermissions(archive, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
                return archive;
            } catch (const ReceiptExport::Error &error) {
                // Nothing is left behind: the export leaves its folder empty then.
                QDir().rmdir(folder);
                return ActionError::failure(error.message());
            }
        },
        [](const ActionResult<QString> &result) { return result; }, language, std::move(done));
}
