// One pass of one new file through the automation: it waits until the file
// has settled, takes the rules of its folder that may run now, has the file
// read when a rule needs that, and hands the plan of the first rule that
// matches to the Autopilot for filing. A file that cannot be handled is left
// alone without a word, except one whose name is not valid UTF-8, which gets
// a failed journal entry where a rule could have filed it. The pass lives on the main thread, never blocks it,
// and deletes itself when it leaves the file.
#pragma once

#include "FileReadiness.h"
#include "Models.h"
#include "Recognition.h"
#include "Rule.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class Autopilot;

class FilePass : public QObject
{
    Q_OBJECT

public:
    // How many times the settle test runs at most, the first included.
    static constexpr int maxSettleChecks = 20;
    // The shortest settle wait, whatever "minimumWait" says.
    static constexpr std::chrono::milliseconds minimumSettleWait{1000};
    // The wait for a file lying untouched in its folder for a minute or more.
    static constexpr std::chrono::milliseconds settledWait{50};

    // Called once, when the pass leaves the file: whether a journal entry was made.
    using Done = std::function<void(bool entryMade)>;

    // The pass is the Autopilot's child; the Autopilot has already put path
    // in hand and takes it back when the pass ends.
    FilePass(Autopilot &autopilot, const QString &path, const WatchedFolder &folder, bool settled, Done done);

    void begin();

    // The settle wait of one file: 0.05 s for a file the caller knows to be
    // lying in its folder whose content last changed more than a minute
    // before now, else "minimumWait" (in seconds), but never below 1 s.
    static std::chrono::milliseconds settleWait(bool settled, const std::optional<QDateTime> &modified,
                                                double minimumWaitSeconds, const QDateTime &now);

    // Whether path's text stands for a file whose name is not valid UTF-8,
    // which no rule can file: a regular file with content that its name does
    // not say to leave alone.
    static bool refusesName(const QString &path);
    // Why such a file is not filed, as its failed journal entry says.
    static QString nameRefusal();

private:
    void checkSettled();
    void settleAnswered(FileReadiness::State state);
    void takeRules();
    // Takes the rules of the folder that may run now into m_rules; whether
    // one of them needs the document read.
    bool takeRunnableRules();
    // A name that is not valid UTF-8 cannot be filed: a failed entry says so.
    void refuseName();
    // Has the document's text read when a rule tests it, then chooses.
    void readText(const std::optional<Recognition> &recognition);
    void choose(const std::optional<Recognition> &recognition, const std::optional<QString> &text);
    // The file is still the one that arrived, at its place, and readable,
    // and no approve or undo has taken it meanwhile.
    bool stillHere() const;
    void leave(bool entryMade = false);

    Autopilot &m_autopilot;
    const QString m_path;
    const WatchedFolder m_folder;
    const bool m_settled;
    Done m_done;
    quint64 m_fileID = 0;
    std::chrono::milliseconds m_wait{0};
    int m_settleChecks = 0;
    QList<Rule> m_rules;
    bool m_left = false;
};
