// "filewright recognize" of a text PDF as a whole process, start-up
// included: run in its own process, and handed to a running application on
// a private session bus.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

namespace {

const QString binary = QStringLiteral(FILEWRIGHT_BINARY);
const QString pdf = QStringLiteral(FILEWRIGHT_TEST_DATA "/invoices/sample-invoice-2014.pdf");

// A throw-away home, store and temporary folder for every process started here.
QProcessEnvironment sandbox(const QTemporaryDir &root)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *sub : {"home", "config", "data", "tmp", "runtime"})
        QDir(root.path()).mkpath(QLatin1String(sub));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("APP_HOME"), root.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("TMPDIR"), root.filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("APP_STORE"), root.filePath(QStringLiteral("bench.store")));
    environment.insert(QStringLiteral("APP_MODEL_URL"), QStringLiteral("http://127.0.0.1:9/v1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // As a user's shell starts it: the process sets its own thread limit.
    environment.remove(QStringLiteral("OMP_THREAD_LIMIT"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    return environment;
}

void recognize(benchmark::State &state, const QProcessEnvironment &environment)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess command;
        command.setProcessEnvironment(environment);
        command.start(binary, {QStringLiteral("recognize"), pdf});
        if (!command.waitForFinished(60000) || command.exitCode() != 0)
            state.SkipWithError("recognize failed");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void BM_RecognizeInItsOwnProcess(benchmark::State &state)
{
    const QTemporaryDir root;
    recognize(state, sandbox(root));
}
BENCHMARK(BM_RecognizeInItsOwnProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RecognizeHandedToTheApplication(benchmark::State &state)
{
    const QTemporaryDir root;
    QProcessEnvironment environment = sandbox(root);
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                               QStringLiteral("--print-address")});
    if (!bus.waitForReadyRead(10000)) {
        state.SkipWithError("no dbus-daemon");
        return;
    }
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(bus.readLine()).trimmed());
    QProcess application;
    application.setProcessEnvironment(environment);
    application.start(binary, {});
    // Ready once it answers on the bus.
    QProcess ask;
    ask.setProcessEnvironment(environment);
    for (int tries = 0; tries < 100; ++tries) {
        ask.start(binary, {QStringLiteral("folders")});
        ask.waitForFinished(10000);
        if (ask.exitCode() == 0)
            break;
        QThread::msleep(100);
    }
    QThread::msleep(500);
    recognize(state, environment);
    application.terminate();
    application.waitForFinished(10000);
    bus.terminate();
    bus.waitForFinished(10000);
}
BENCHMARK(BM_RecognizeHandedToTheApplication)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
