// The automation end to end on a real folder: the time from a text PDF's
// close-after-writing to its journal entry, and a thousand text PDFs dropped
// at once, with the longest time the main thread was held up and the
// resident memory afterwards.
#include "BenchSupport.h"
#include "Autopilot.h"
#include "Prefs.h"
#include "RealHome.h"
#include "RuleTemplates.h"
#include "SampleDocumentFiles.h"
#include "Store.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <benchmark/benchmark.h>

#include <future>

namespace {

// A local model server that lists one model and answers every read with an
// error, so that the model counts as available and the patterns read.
class ModelStandIn : public QThread
{
public:
    ModelStandIn()
    {
        start();
        m_port = m_ready.get_future().get();
    }
    ~ModelStandIn() override
    {
        quit();
        wait();
    }
    QByteArray baseUrl() const { return "http://127.0.0.1:" + QByteArray::number(m_port) + "/v1"; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [&server] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    const QByteArray request = socket->peek(socket->bytesAvailable());
                    const qsizetype headerEnd = request.indexOf("\r\n\r\n");
                    if (headerEnd < 0)
                        return;
                    qsizetype length = 0;
                    for (const QByteArray &line : request.left(headerEnd).split('\n')) {
                        if (line.toLower().startsWith("content-length:"))
                            length = line.mid(15).trimmed().toLongLong();
                    }
                    if (request.size() < headerEnd + 4 + length)
                        return;
                    socket->readAll();
                    const bool models = request.startsWith("GET /v1/models");
                    const QByteArray body = models ? R"({"object":"list","data":[{"id":"stand-in","object":"model"}]})"
                                                   : R"({"error":{"message":"no reading here"}})";
                    socket->write((models ? "HTTP/1.1 200 OK" : "HTTP/1.1 500 X") + QByteArray("\r\nContent-Type: application/json\r\nContent-Length: ")
                                  + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
        m_ready.set_value(server.serverPort());
        exec();
    }

private:
    std::promise<quint16> m_ready;
    quint16 m_port = 0;
};

QStringList invoiceLines(int number)
{
    return {QStringLiteral("Nordlicht Hosting GmbH"),
            QStringLiteral("Wolkenweg 5, 12345 Musterstadt"),
            QStringLiteral("Rechnung"),
            QStringLiteral("Rechnungsnummer: NH-2026-%1").arg(number, 6, 10, QLatin1Char('0')),
            QStringLiteral("Rechnungsdatum: 12.10.2026"),
            QStringLiteral("Gesamtbetrag %1,%2 €").arg(number + 10).arg(number % 100, 2, 10, QLatin1Char('0'))};
}

// A started driver watching ~/Downloads with the starter rules.
struct Setup
{
    QTemporaryDir storeDir;
    std::unique_ptr<Store> store;
    std::unique_ptr<Autopilot> autopilot;
    QString downloads;

    Setup()
    {
        const QString home = RealHome::path();
        for (const char *name : {"Downloads", "Documents", "Pictures", "Desktop"})
            QDir(home + QLatin1Char('/') + QLatin1String(name)).removeRecursively();
        downloads = home + QStringLiteral("/Downloads");
        QDir().mkpath(downloads);
        QDir().mkpath(home + QStringLiteral("/Documents"));
        store = Store::open(storeDir.filePath(QStringLiteral("bench.store")));
        autopilot = std::make_unique<Autopilot>(*store);
        const WatchedFolder folder = *autopilot->addFolder(downloads, true);
        autopilot->addFolder(home + QStringLiteral("/Documents"), false);
        qint64 order = 0;
        for (const RuleTemplates::Template &starter : RuleTemplates::all(NameLanguage::de)) {
            StoredRule stored(starter.rule, folder.uuid, ++order);
            store->insert(stored);
        }
        autopilot->start();
    }
};

void BM_CloseToJournalEntry(benchmark::State &state)
{
    Setup setup;
    if (!setup.autopilot->modelStatus().isAvailable()) {
        state.SkipWithError("the model stand-in is not available");
        return;
    }
    QTemporaryDir staging;
    int number = 0;
    for (auto _ : state) {
        ++number;
        const QString rendered = staging.filePath(QStringLiteral("r%1.pdf").arg(number));
        SampleDocuments::textPDF(invoiceLines(number), rendered);
        QFile source(rendered);
        source.open(QIODevice::ReadOnly);
        const QByteArray bytes = source.readAll();
        const qint64 before = setup.store->count(Store::Model::journalEntry);

        QElapsedTimer timer;
        timer.start();
        QFile target(setup.downloads + QStringLiteral("/invoice-%1.pdf").arg(number));
        target.open(QIODevice::WriteOnly);
        target.write(bytes);
        target.close();
        if (!QTest::qWaitFor([&] { return setup.store->count(Store::Model::journalEntry) > before; }, 30000))
            state.SkipWithError("not filed");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    const JournalEntry last = setup.store->journal(1).first();
    if (last.status() != JournalEntry::Status::done)
        state.SkipWithError("not filed as done");
}
BENCHMARK(BM_CloseToJournalEntry)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ThousandPdfsDroppedAtOnce(benchmark::State &state)
{
    constexpr int count = 1000;
    for (auto _ : state) {
        state.PauseTiming();
        Setup setup;
        QTemporaryDir staging;
        QStringList rendered;
        for (int i = 0; i < count; ++i) {
            rendered.append(staging.filePath(QStringLiteral("Rechnung-%1.pdf").arg(i)));
            SampleDocuments::textPDF(invoiceLines(i), rendered.last());
        }
        // The heartbeat ticks every 5 ms while the main thread is free.
        QElapsedTimer sinceTick;
        qint64 longestGapMs = 0;
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        int gapsOver50Ms = 0;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 gap = sinceTick.restart();
            gapsOver50Ms += gap > 50 ? 1 : 0;
            longestGapMs = std::max(longestGapMs, gap);
        });
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        for (const QString &path : std::as_const(rendered))
            QFile::rename(path, setup.downloads + QLatin1Char('/') + QFileInfo(path).fileName());
        // The drop itself is the user's doing, not the application's.
        sinceTick.start();
        heartbeat.start(5);
        const bool filed = QTest::qWaitFor(
            [&] { return setup.store->count(Store::Model::journalEntry) >= count; }, 120000);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        heartbeat.stop();
        if (!filed)
            state.SkipWithError("not all filed");
        const QList<JournalEntry> done = setup.store->journal(JournalEntry::Status::done);
        state.counters["filed_done"] = double(done.size());
        state.counters["max_main_thread_block_ms"] = double(longestGapMs);
        state.counters["blocks_over_50ms"] = double(gapsOver50Ms);
        state.counters["rss_after_MB"] = double(BenchSupport::residentKilobytes()) / 1024.0;
    }
}
BENCHMARK(BM_ThousandPdfsDroppedAtOnce)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("OMP_THREAD_LIMIT", "1");
    QTemporaryDir sandbox;
    BenchSupport::useSeparateFolders(sandbox);
    QApplication app(argc, argv);
    ModelStandIn model;
    qputenv("APP_MODEL_URL", model.baseUrl());
    Prefs::registerDefaults();
    Prefs::setValue(QString::fromUtf16(Prefs::minimumWaitKey), 1.0);
    Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
