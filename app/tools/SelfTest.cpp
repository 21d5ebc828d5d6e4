#include "SelfTest.h"

#include "SelfTestScenario.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QWidget>

#include <cstdio>

namespace {

const QString refusalLine = QStringLiteral("SELFTEST refused: set APP_STORE and APP_HOME to paths in /tmp");

void printLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// A folder of the environment that may be written only when it lies in the
// temporary area; otherwise it moves to `fallback`.
void keepBelowTemporary(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    if (!value.isEmpty() && TestEnvironment::belowTemporary(value))
        return;
    qputenv(name, QFile::encodeName(fallback));
}

} // namespace

bool SelfTest::isRequested(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--selftest"));
}

std::optional<QString> SelfTest::refusal()
{
    if (!TestEnvironment::store() || !TestEnvironment::home())
        return refusalLine;
    return std::nullopt;
}

void SelfTest::isolateEnvironment()
{
    const std::optional<QString> home = TestEnvironment::home();
    if (!home)
        return;
    keepBelowTemporary("XDG_CONFIG_HOME", *home + QStringLiteral("/.config"));
    keepBelowTemporary("XDG_DATA_HOME", *home + QStringLiteral("/.local/share"));
    keepBelowTemporary("XDG_CACHE_HOME", *home + QStringLiteral("/.cache"));
}

std::unique_ptr<SelfTest> SelfTest::runIfRequested(AppModel &model, const QStringList &arguments)
{
    if (!isRequested(arguments))
        return nullptr;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    auto test = std::make_unique<SelfTest>(printLine);
    if (refusal()) {
        test->refuse();
        return test;
    }
    auto *scenario = new SelfTestScenario(model, *test, test.get());
    test->start();
    scenario->run();
    return test;
}

SelfTest::SelfTest(Output output, int expectedChecks, QObject *parent)
    : QObject(parent)
    , m_output(std::move(output))
    , m_expectedChecks(expectedChecks)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SelfTest::timedOut);
}

SelfTest::~SelfTest() = default;

void SelfTest::start(std::chrono::milliseconds limit)
{
    m_limit = limit;
    m_timer.start(limit);
}

void SelfTest::check(const QString &name, bool ok, const QString &detail)
{
    if (m_finished)
        return;
    ++m_count;
    if (ok) {
        m_output(QStringLiteral("PASS ") + name);
        return;
    }
    ++m_failures;
    m_output(QStringLiteral("FAIL ") + name + (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail));
}

void SelfTest::tally()
{
    if (m_finished)
        return;
    const qint64 missing = std::max<qint64>(0, m_expectedChecks - m_count);
    const qint64 failed = m_failures + missing;
    if (failed == 0) {
        m_output(QStringLiteral("SELFTEST PASS %1 checks").arg(m_count));
        finish(0);
        return;
    }
    m_output(QStringLiteral("SELFTEST FAIL %1 of %2 checks").arg(failed).arg(std::max<qint64>(m_count, m_expectedChecks)));
    finish(1);
}

void SelfTest::refuse()
{
    if (m_finished)
        return;
    m_output(refusalLine);
    finish(1);
}

void SelfTest::finish(int code)
{
    if (m_finished)
        return;
    m_finished = true;
    m_exitCode = code;
    m_timer.stop();
    // Dialogs open on a window would keep their own event loop running.
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        const QList<QWidget *> windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            auto *dialog = qobject_cast<QDialog *>(window);
            if (dialog && dialog->isVisible())
                dialog->reject();
        }
    }
    Q_EMIT finished(code);
}

void SelfTest::timedOut()
{
    if (m_finished)
        return;
    const double seconds = double(m_limit.count()) / 1000.0;
    m_output(QStringLiteral("SELFTEST FAIL the run did not finish within %1 seconds (%2 of %3 checks made)")
                 .arg(seconds)
                 .arg(m_count)
                 .arg(m_expectedChecks));
    finish(1);
}
