// Test entry point: every test binary runs with its own temporary home, data
// and config folders, so no test ever touches the user's files or settings.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdlib>
#include <optional>
#include <unistd.h>

#ifdef FILEWRIGHT_TEST_WIDGETS
#include "Translation.h"

#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

namespace {

// Fails a test that leaves the settings changed for the tests after it in
// the same process.
class SettingsKept : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override { m_before.emplace(); }
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        if (!m_before)
            return;
        const QStringList changed = m_before->changedKeys();
        EXPECT_TRUE(changed.isEmpty()) << "settings left changed: " << changed.join(QStringLiteral(", ")).toStdString();
        m_before->restore();
        m_before.reset();
    }

    std::optional<TestSupport::SettingsSnapshot> m_before;
};

int runAllTests(int &argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Before the printer, so that its failures are printed with the test.
    ::testing::TestEventListeners &listeners = ::testing::UnitTest::GetInstance()->listeners();
    ::testing::TestEventListener *printer = listeners.Release(listeners.default_result_printer());
    listeners.Append(new SettingsKept);
    listeners.Append(printer);
    return RUN_ALL_TESTS();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // OpenMP inside tesseract reads its thread limit when the library is
    // loaded, before main: without the limit in the environment from the
    // start, text recognition spins several threads and runs many times
    // slower. Start again with it.
    if (qEnvironmentVariableIsEmpty("OMP_THREAD_LIMIT")) {
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        ::execv("/proc/self/exe", argv);
    }

    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/filewright-test-XXXXXX"));
    const QString root = sandbox.path();
    for (const char *sub : {"home", "config", "data", "apphome"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    qputenv("HOME", (root + QStringLiteral("/home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("APP_HOME", (root + QStringLiteral("/apphome")).toUtf8());
    qputenv("APP_STORE", (root + QStringLiteral("/data/test.store")).toUtf8());

    // A run that checks what works where no graphical application exists
    // (the command-line subcommands): a core application only.
    if (qEnvironmentVariableIsSet("FILEWRIGHT_CORE_APPLICATION_ONLY")) {
        QCoreApplication core(argc, argv);
        return runAllTests(argc, argv);
    }

#ifdef FILEWRIGHT_TEST_WIDGETS
    // The windows speak English unless a run asks for German; counted texts
    // read as the application shows them ("1 file", "2 files").
    if (!qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de")))
        qputenv("LANGUAGE", "en");
#endif
    TestApplication app(argc, argv);
    TestApplication::setOrganizationName(QStringLiteral("Filewright"));
    TestApplication::setApplicationName(QStringLiteral("FilewrightTests"));
#ifdef FILEWRIGHT_TEST_WIDGETS
    Translation::install();
#endif
    return runAllTests(argc, argv);
}
