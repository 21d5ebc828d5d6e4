// The self-test's harness, its guards and its process: what it prints, when
// it passes, and that it stays inside its test environment.
#include "AppModel.h"
#include "SelfTest.h"
#include "SelfTestScenario.h"
#include "ScopedEnv.h"
#include "Store.h"
#include "TestEnvironment.h"
#include "TestSupport.h"

#include <QDialog>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct Printed
{
    QStringList lines;
    SelfTest::Output output()
    {
        return [this](const QString &line) { lines.append(line); };
    }
};

QProcessEnvironment selfTestEnvironment(const QString &root)
{
    QProcessEnvironment environment = TestSupport::isolatedEnvironment(root);
    environment.insert(QStringLiteral("APP_STORE"), root + QStringLiteral("/test.store"));
    return environment;
}

TestSupport::ProcessRun runSelfTest(const QProcessEnvironment &environment)
{
    return TestSupport::run(QStringLiteral(FILEWRIGHT_BINARY), {QStringLiteral("--selftest")}, environment);
}

const QString refusal = QStringLiteral("SELFTEST refused: set APP_STORE and APP_HOME to paths in /tmp");

// A writable folder that is not below any temporary folder, wherever the
// build tree lies (a checkout under /tmp is below it); empty when there is none.
QString outsideTemporary()
{
    for (const QString &candidate : {QStringLiteral("/var/tmp"), QStringLiteral("/dev/shm"), QDir::currentPath()}) {
        const QFileInfo info(candidate);
        if (info.isDir() && info.isWritable() && !TestEnvironment::belowTemporary(candidate + QStringLiteral("/x")))
            return candidate;
    }
    return {};
}

} // namespace

TEST(SelfTestHarness, PrintsOneLinePerCheckAndPassesOnlyWhenEveryCheckWasMadeAndPassed)
{
    Printed printed;
    SelfTest test(printed.output(), 3);
    QSignalSpy finished(&test, &SelfTest::finished);
    // An unfinished run has not passed.
    EXPECT_NE(test.exitCode(), 0);
    test.check(QStringLiteral("one"), true, QStringLiteral("never shown"));
    test.check(QStringLiteral("two"), true);
    EXPECT_NE(test.exitCode(), 0);
    test.check(QStringLiteral("three"), true);
    test.tally();
    EXPECT_EQ(printed.lines,
              QStringList({QStringLiteral("PASS one"), QStringLiteral("PASS two"), QStringLiteral("PASS three"),
                           QStringLiteral("SELFTEST PASS 3 checks")}));
    EXPECT_EQ(test.exitCode(), 0);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.constFirst().constFirst().toInt(), 0);
    // After the end nothing more is counted or printed.
    test.check(QStringLiteral("late"), false);
    test.tally();
    EXPECT_EQ(printed.lines.size(), 4);
    EXPECT_EQ(test.exitCode(), 0);
    EXPECT_EQ(finished.size(), 1);

    Printed failed;
    SelfTest failing(failed.output(), 3);
    failing.check(QStringLiteral("bare"), false);
    failing.check(QStringLiteral("with detail"), false, QStringLiteral("/tmp/x/y.pdf"));
    failing.check(QStringLiteral("fine"), true);
    failing.tally();
    EXPECT_EQ(failed.lines,
              QStringList({QStringLiteral("FAIL bare"), QStringLiteral("FAIL with detail: /tmp/x/y.pdf"),
                           QStringLiteral("PASS fine"), QStringLiteral("SELFTEST FAIL 2 of 3 checks")}));
    EXPECT_EQ(failing.exitCode(), 1);

    // Checks that were never made count as failed: a short run never passes.
    Printed shortRun;
    SelfTest incomplete(shortRun.output(), 20);
    for (int i = 0; i < 18; ++i)
        incomplete.check(QStringLiteral("check %1").arg(i), true);
    incomplete.tally();
    EXPECT_EQ(shortRun.lines.constLast(), QStringLiteral("SELFTEST FAIL 2 of 20 checks"));
    EXPECT_EQ(incomplete.exitCode(), 1);

    EXPECT_TRUE(SelfTest::isRequested({QStringLiteral("filewright"), QStringLiteral("--selftest")}));
    for (const QString &other : {QStringLiteral("--selftest=1"), QStringLiteral("selftest")})
        EXPECT_FALSE(SelfTest::isRequested({QStringLiteral("filewright"), other})) << other.toStdString();
}

TEST(SelfTestHarness, ARunPastItsTimeLimitFailsAndSaysSo)
{
    Printed printed;
    SelfTest test(printed.output(), 20);
    QSignalSpy finished(&test, &SelfTest::finished);
    test.start(20ms);
    test.check(QStringLiteral("made before"), true);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(printed.lines.constLast(),
              QStringLiteral("SELFTEST FAIL the run did not finish within 0.02 seconds (1 of 20 checks made)"));
    EXPECT_EQ(test.exitCode(), 1);
    // The run's late answers change nothing.
    for (int i = 0; i < 19; ++i)
        test.check(QStringLiteral("late"), true);
    test.tally();
    EXPECT_EQ(printed.lines.size(), 2);
    EXPECT_EQ(test.exitCode(), 1);
}

TEST(SelfTestHarness, FinishingEndsOpenDialogsAndRefusalFails)
{
    QDialog dialog;
    dialog.show();
    ASSERT_TRUE(dialog.isVisible());
    Printed printed;
    SelfTest test(printed.output());
    test.refuse();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(printed.lines, QStringList({refusal}));
    EXPECT_EQ(test.exitCode(), 1);
    EXPECT_TRUE(test.isFinished());
}

TEST(TestEnvironmentTest, AcceptsOnlyPathsThatResolveStrictlyBelowTheTemporaryFolder)
{
    QTemporaryDir sandbox; // in the temporary folder
    ASSERT_TRUE(sandbox.isValid());
    const QString root = *TestEnvironment::resolved(sandbox.path());
    const QString tmp = *TestEnvironment::resolved(QDir::tempPath());

    EXPECT_EQ(TestEnvironment::belowTemporary(root), root);
    EXPECT_EQ(TestEnvironment::belowTemporary(root + QStringLiteral("/not/yet/there")),
              root + QStringLiteral("/not/yet/there"));
    EXPECT_EQ(TestEnvironment::belowTemporary(root + QStringLiteral("/a/../b/./c")), root + QStringLiteral("/b/c"));

    for (const QString &refused : {tmp, tmp + QStringLiteral("/"), tmp + QStringLiteral("/x/.."),
                                   tmp + QStringLiteral("/../home/x"), tmp + QStringLiteral("foo"),
                                   tmp + QStringLiteral("foo/x"), QStringLiteral("relative/x"), QString()})
        EXPECT_FALSE(TestEnvironment::belowTemporary(refused)) << refused.toStdString();

    // Links are followed: out of the temporary folder is refused, within it is fine.
    ASSERT_TRUE(QFile::link(QStringLiteral("/"), root + QStringLiteral("/root")));
    EXPECT_FALSE(TestEnvironment::belowTemporary(root + QStringLiteral("/root/home/x")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/real")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/real"), root + QStringLiteral("/inside")));
    EXPECT_EQ(TestEnvironment::belowTemporary(root + QStringLiteral("/inside/x")), root + QStringLiteral("/real/x"));
    // ".." after a link goes to the link target's parent, as the system goes.
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share"), root + QStringLiteral("/share")));
    EXPECT_FALSE(TestEnvironment::belowTemporary(root + QStringLiteral("/share/../x")));
    // A dangling link cannot be resolved.
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/gone"), root + QStringLiteral("/dangling")));
    EXPECT_FALSE(TestEnvironment::belowTemporary(root + QStringLiteral("/dangling/x")));
}

TEST(TestEnvironmentTest, TheSelfTestRefusesAStoreOrHomeOutsideTheTemporaryFolder)
{
    const QString outside = outsideTemporary();
    if (outside.isEmpty())
        GTEST_SKIP() << "no writable folder outside the temporary folders";
    QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QByteArray home = QFile::encodeName(sandbox.filePath(QStringLiteral("home")));
    const QByteArray store = QFile::encodeName(sandbox.filePath(QStringLiteral("test.store")));
    {
        const ScopedEnv h("APP_HOME", home), s("APP_STORE", store);
        EXPECT_EQ(SelfTest::refusal(), std::nullopt);
    }
    using Value = std::optional<QByteArray>;
    // Which paths count as below it is the path check's own test; here each
    // variable is refused unset, empty and outside.
    for (const Value &bad : {Value(), Value(""), Value(QFile::encodeName(outside + QStringLiteral("/x")))}) {
        const ScopedEnv h1("APP_HOME", bad), s1("APP_STORE", store);
        EXPECT_EQ(SelfTest::refusal(), refusal) << bad.value_or("(unset)").constData();
        const ScopedEnv h2("APP_HOME", home), s2("APP_STORE", bad);
        EXPECT_EQ(SelfTest::refusal(), refusal) << bad.value_or("(unset)").constData();
    }
}

TEST(SelfTestProcess, ARefusedRunTouchesNothingAndFails)
{
    QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString kept = sandbox.filePath(QStringLiteral("apphome/keep.txt"));
    ASSERT_TRUE(TestSupport::writeFile(kept, "keep"));
    auto expectRefused = [&](const std::optional<QString> &store) {
        QProcessEnvironment environment = selfTestEnvironment(sandbox.path());
        environment.remove(QStringLiteral("APP_STORE"));
        if (store)
            environment.insert(QStringLiteral("APP_STORE"), *store);
        const TestSupport::ProcessRun run = runSelfTest(environment);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.lines, QStringList({refusal}));
        EXPECT_TRUE(QFile::exists(kept));
    };
    expectRefused(std::nullopt);

    // A store outside the temporary folder is not even opened.
    if (outsideTemporary().isEmpty())
        GTEST_SKIP() << "no writable folder outside the temporary folders";
    QTemporaryDir outside(outsideTemporary() + QStringLiteral("/selftest-XXXXXX"));
    ASSERT_TRUE(outside.isValid());
    expectRefused(outside.filePath(QStringLiteral("user.store")));
    EXPECT_FALSE(QFile::exists(outside.filePath(QStringLiteral("user.store"))));
}

TEST(SelfTestProcess, TheRunWritesItsSettingsOnlyInsideItsTestEnvironment)
{
    QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid());
    // Settings the user would keep outside the temporary folder.
    if (outsideTemporary().isEmpty())
        GTEST_SKIP() << "no writable folder outside the temporary folders";
    QTemporaryDir userConfig(outsideTemporary() + QStringLiteral("/selftest-config-XXXXXX"));
    ASSERT_TRUE(userConfig.isValid());
    QProcessEnvironment environment = selfTestEnvironment(sandbox.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), userConfig.path());
    const TestSupport::ProcessRun run = runSelfTest(environment);
    ASSERT_FALSE(run.lines.isEmpty());
    EXPECT_TRUE(run.lines.constLast().startsWith(QLatin1String("SELFTEST "))) << run.lines.join(u'\n').toStdString();
    EXPECT_TRUE(QDir(userConfig.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    const QSettings written(sandbox.filePath(QStringLiteral("apphome/.config/Filewright/Filewright.conf")),
                            QSettings::IniFormat);
    EXPECT_EQ(written.value(QStringLiteral("minimumWait")).toDouble(), 1.0);
}

TEST(SelfTestScenarioTest, AHomeThatCannotBeMadeFailsTheRunButEveryCheckIsReported)
{
    const TestSupport::ScopedSettings settings; // the run shortens the settle wait
    QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid());
    // A file where the home's parent folder should be: no folder, no
    // filing and no sample can be written below it.
    const QString blocker = sandbox.filePath(QStringLiteral("blocker"));
    ASSERT_TRUE(TestSupport::writeFile(blocker, "x"));
    const QString home = blocker + QStringLiteral("/home");
    const ScopedEnv appHome("APP_HOME", QFile::encodeName(home));

    AppModel model(Store::open(sandbox.filePath(QStringLiteral("scenario.store"))));
    Printed printed;
    SelfTest test(printed.output());
    SelfTestScenario scenario(model, test, home);
    QSignalSpy finished(&test, &SelfTest::finished);
    test.start(60s);
    scenario.run();
    ASSERT_TRUE(finished.wait(30000));

    // Every check gets its line, whatever failed before it; the two that read
    // the sample go on with the reason it could not be written.
    ASSERT_EQ(printed.lines.size(), 21) << printed.lines.join(u'\n').toStdString();
    EXPECT_EQ(printed.lines.constFirst(), QStringLiteral("FAIL a watched folder is stored with a bookmark"));
    for (const int i : {18, 19})
        EXPECT_TRUE(printed.lines.at(i).contains(QStringLiteral(": the sample could not be written: ")))
            << printed.lines.at(i).toStdString();
    EXPECT_EQ(printed.lines.constLast(), QStringLiteral("SELFTEST FAIL 17 of 20 checks"));
    EXPECT_EQ(test.exitCode(), 1);
    EXPECT_EQ(model.store().count(Store::Model::recognitionRecord), 0);
}
