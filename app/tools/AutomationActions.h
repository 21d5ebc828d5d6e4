// The three actions that scripts and other programs run without the
// windows: clean up a watched folder now, recognise one file (reading only),
// and export a month's receipts as a ZIP archive; and the watched folders
// they may pick from. They work on the store and automation driver they are
// given: the running application's, or a command's own. Each answers in the
// language it is asked in, its errors too.
#pragma once

#include "ActionError.h"
#include "FolderEntity.h"
#include "RecognizedDocument.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>

class Autopilot;
class EndDeadline;
class QThreadPool;
class Store;

class AutomationActions : public QObject
{
    Q_OBJECT

public:
    static constexpr int firstYear = 2000;
    static constexpr int lastYear = 2100;
    static bool isValidYear(int year) { return year >= firstYear && year <= lastYear; }
    static bool isValidMonth(int month) { return month >= 1 && month <= 12; }

    struct CleanUpResult
    {
        int count = 0;
        // "Filewright handled 3 files in Downloads."
        QString dialog;

        friend bool operator==(const CleanUpResult &, const CleanUpResult &) = default;
    };

    template<typename T>
    using Done = std::function<void(const ActionResult<T> &result)>;

    AutomationActions(Store &store, Autopilot &autopilot, QObject *parent = nullptr);
    // Stops, and waits for work that does not stop at once (loading the text
    // recognition's engine or laying out a page asks for no stop) until the
    // deadline that stopping started, which the actions share with the
    // automation driver's readings.
    ~AutomationActions() override;

    // Ends the actions' work: model requests stop at once, an export being
    // written removes its part, and every action still running is answered
    // that Filewright was quit. Later actions get the same answer. Quitting
    // the application calls it.
    void stop();

    // Runs the watched folder's newest files through the rules, as the
    // driver's clean-up does. done is called on this thread, possibly before
    // this returns, and only while the actions live (as for the others).
    void cleanUp(const QUuid &folder, NameLanguage language, Done<CleanUpResult> done);
    // Reads a copy of the file's data in a private working folder of its
    // own, which is removed afterwards; nothing is cached, journaled or filed.
    void recognize(const QString &name, const QByteArray &data, NameLanguage language, Done<RecognizedDocument> done);
    // Reads the regular file at an absolute path where it lies, as far as
    // the readers need it; nothing is copied, cached, journaled or filed.
    void recognizeFile(const QString &path, NameLanguage language, Done<RecognizedDocument> done);
    // Why the path cannot be read as a regular file; none when it can.
    static std::optional<QString> unreadable(const QString &path, NameLanguage language);
    // Writes the month's receipts into a new private export folder in the
    // temporary folder and gives the archive's path; a month without receipts leaves
    // nothing behind. The year and month must be valid.
    void exportReceipts(int year, int month, NameLanguage language, Done<QString> done);
    FolderQuery folders() const { return FolderQuery(m_store); }

    // The name a handed-in file is written under: only its last path
    // component, "document" for "", "." and ".."; none for a name holding NUL.
    static std::optional<QString> workingFileName(const QString &name);

private:
    class WorkingFolder;
    // What an action still running is answered when the actions stop.
    static QString quitText(NameLanguage language);
    // Runs work on the actions' threads and hands result's answer for its
    // value to done on this thread, unless the actions stopped before.
    template<typename T, typename R>
    void runAside(std::function<T()> work, std::function<ActionResult<R>(const T &)> result, NameLanguage language,
                  Done<R> done);
    // Recognises the file on a worker thread; the working folder (if any)
    // is removed before done hears the result.
    void read(const QString &path, std::shared_ptr<const WorkingFolder> folder, NameLanguage language,
              Done<RecognizedDocument> done);

    Store &m_store;
    Autopilot &m_autopilot;
    const std::shared_ptr<EndDeadline> m_end;
    std::unique_ptr<QThreadPool> m_pool;
    std::stop_source m_stop;
    // The answers that stopping gives the actions still running, by ticket.
    std::map<quint64, std::function<void()>> m_pending;
    quint64 m_nextTicket = 1;
};
