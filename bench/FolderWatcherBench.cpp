// How soon the folder watcher reports a file after it was closed, and whether
// a burst of files written at once is reported completely.
#include "FolderWatcher.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {
// Records when each path was first handed to the handler.
class Arrivals
{
public:
    FolderWatcher::Handler handler()
    {
        return [this](const QString &, const QStringList &files) {
            const auto now = Clock::now();
            std::unique_lock lock(m_mutex);
            for (const QString &file : files)
                m_seen.try_emplace(file, now);
            lock.unlock();
            m_changed.notify_all();
            if (m_hold) {
                std::unique_lock gate(m_mutex);
                m_changed.wait(gate, [this] { return !m_hold; });
            }
        };
    }

    bool waitForCount(std::size_t count, std::chrono::seconds bound)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, bound, [&] { return m_seen.size() >= count; });
    }

    void hold(bool on)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_hold = on;
        }
        m_changed.notify_all();
    }

    std::optional<Clock::time_point> arrival(const QString &path) const
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_seen.find(path);
        return found == m_seen.end() ? std::nullopt : std::optional(found->second);
    }

    std::size_t count() const
    {
        const std::lock_guard lock(m_mutex);
        return m_seen.size();
    }

    void clear()
    {
        const std::lock_guard lock(m_mutex);
        m_seen.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::unordered_map<QString, Clock::time_point> m_seen;
    bool m_hold = false;
};

// Writes a small file and returns the moment its close returned.
Clock::time_point writeAndClose(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return Clock::now();
    const char content[] = "%PDF-1.4 benchmark\n";
    if (::write(fd, content, sizeof content - 1) < 0) {
        // the close below still happens; the file is reported either way
    }
    ::close(fd);
    return Clock::now();
}

int kernelQueueLimit()
{
    int limit = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
    return limit;
}
} // namespace

// Time from each file's close to the handler's call, 1,000 files written one
// after another, with the real 0.5-second window.
static void BM_CloseToHandler(benchmark::State &state)
{
    constexpr int files = 1000;
    std::vector<double> latencies;
    for (auto _ : state) {
        QTemporaryDir root;
        Arrivals arrivals;
        FolderWatcher watcher(arrivals.handler());
        watcher.watch(root.path(), false);
        std::vector<std::pair<QString, Clock::time_point>> closed;
        closed.reserve(files);
        const auto start = Clock::now();
        for (int i = 0; i < files; ++i) {
            const QString path = root.path() + QStringLiteral("/document%1.pdf").arg(i);
            closed.emplace_back(path, writeAndClose(path));
        }
        if (!arrivals.waitForCount(files, 30s))
            state.SkipWithError("not every file was reported");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        for (const auto &[path, when] : closed) {
            if (const auto arrived = arrivals.arrival(path))
                latencies.push_back(std::chrono::duration<double, std::milli>(*arrived - when).count());
        }
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty())
        return;
    double sum = 0;
    for (const double latency : latencies)
        sum += latency;
    state.counters["files"] = double(latencies.size());
    state.counters["mean_ms"] = sum / double(latencies.size());
    state.counters["p50_ms"] = latencies[latencies.size() / 2];
    state.counters["p99_ms"] = latencies[latencies.size() * 99 / 100];
    state.counters["max_ms"] = latencies.back();
    state.counters["max_over_window_ms"] = latencies.back() - 500.0;
}
BENCHMARK(BM_CloseToHandler)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Time from a lone file's close to the handler's call: the window plus the
// watcher's own overhead.
static void BM_LoneFileToHandler(benchmark::State &state)
{
    QTemporaryDir root;
    Arrivals arrivals;
    FolderWatcher watcher(arrivals.handler());
    watcher.watch(root.path(), false);
    double worst = 0;
    int i = 0;
    for (auto _ : state) {
        const QString path = root.path() + QStringLiteral("/lone%1.pdf").arg(i++);
        const auto closed = writeAndClose(path);
        if (!arrivals.waitForCount(std::size_t(i), 10s)) {
            state.SkipWithError("the file was not reported");
            break;
        }
        const double latency = std::chrono::duration<double>(*arrivals.arrival(path) - closed).count();
        worst = std::max(worst, latency);
        state.SetIterationTime(latency);
    }
    state.counters["max_over_window_ms"] = worst * 1000.0 - 500.0;
}
BENCHMARK(BM_LoneFileToHandler)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// 10,000 files written at once: every one is reported. With the handler held
// busy meanwhile, the kernel's queue runs over and the rescan finds the rest.
static void BM_Burst(benchmark::State &state)
{
    constexpr int files = 10000;
    const bool handlerBusy = state.range(0) != 0;
    for (auto _ : state) {
        QTemporaryDir root;
        Arrivals arrivals;
        FolderWatcher watcher(arrivals.handler());
        watcher.watch(root.path(), false);
        if (handlerBusy) {
            arrivals.hold(true);
            writeAndClose(root.path() + QStringLiteral("/first.pdf"));
            arrivals.waitForCount(1, 10s); // the handler now keeps the queue waiting
            arrivals.clear();
        }
        const auto start = Clock::now();
        for (int i = 0; i < files; ++i)
            writeAndClose(root.path() + QStringLiteral("/burst%1.pdf").arg(i));
        const double writing = std::chrono::duration<double>(Clock::now() - start).count();
        arrivals.hold(false);
        arrivals.waitForCount(files, 60s);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        std::size_t reported = 0;
        for (int i = 0; i < files; ++i)
            reported += arrivals.arrival(root.path() + QStringLiteral("/burst%1.pdf").arg(i)) ? 1 : 0;
        state.counters["written"] = files;
        state.counters["reported"] = double(reported);
        state.counters["writing_s"] = writing;
        state.counters["kernel_queue_limit"] = kernelQueueLimit();
        if (reported != std::size_t(files))
            state.SkipWithError("files were lost");
    }
}
BENCHMARK(BM_Burst)->Arg(0)->Arg(1)->ArgName("handler_busy")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
