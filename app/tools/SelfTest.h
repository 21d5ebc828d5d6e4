// The self-test mode: "filewright --selftest" runs one fixed scenario through
// the real engine, store and automation against a test store and a
// throw-away home, prints one line per check and a tally, and ends the
// process with 0 only when every check was made and passed.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AppModel;

class SelfTest : public QObject
{
    Q_OBJECT

public:
    static constexpr int scenarioChecks = 20;
    // A run that has not reached its tally by then has failed.
    static constexpr std::chrono::milliseconds timeLimit{std::chrono::minutes(2)};

    static bool isRequested(const QStringList &arguments);
    // The refusal line when APP_STORE or APP_HOME does not lie strictly
    // below the temporary folder; none when the run may go ahead.
    static std::optional<QString> refusal();
    // Keeps the run's settings and data (the Trash included) inside the test
    // environment: XDG_CONFIG_HOME and XDG_DATA_HOME move into the test home
    // unless they already lie strictly below the temporary folder. Called
    // before anything reads settings.
    static void isolateEnvironment();

    // When the arguments ask for the self-test: makes standard output
    // line-buffered and starts the scenario on the model, or refuses. The
    // returned run tells its exit code; none when not asked for.
    static std::unique_ptr<SelfTest> runIfRequested(AppModel &model, const QStringList &arguments);

    using Output = std::function<void(const QString &line)>;
    explicit SelfTest(Output output, int expectedChecks = scenarioChecks, QObject *parent = nullptr);
    ~SelfTest() override;

    qint64 count() const { return m_count; }
    qint64 failures() const { return m_failures; }
    // Non-zero until the tally found every expected check made and passed.
    int exitCode() const { return m_exitCode; }
    bool isFinished() const { return m_finished; }

    // Starts the time bound; a run that has not finished by then fails.
    void start(std::chrono::milliseconds limit = timeLimit);
    // Counts the check and prints "PASS name" or "FAIL name[: detail]".
    void check(const QString &name, bool ok, const QString &detail = {});
    // Prints the tally and finishes: a check that was never made counts as failed.
    void tally();
    void refuse();
    // Keeps the code, ends open dialogs and announces the end. Once only;
    // checks after it are not counted.
    void finish(int code);

Q_SIGNALS:
    void finished(int exitCode);

private:
    void timedOut();

    Output m_output;
    int m_expectedChecks;
    qint64 m_count = 0;
    qint64 m_failures = 0;
    int m_exitCode = 1;
    bool m_finished = false;
    std::chrono::milliseconds m_limit{timeLimit};
    QTimer m_timer;
};
