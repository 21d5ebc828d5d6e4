#include "CrashHandler.h"

#include "HangWatchdog.h"
#include "Store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr std::array fatalSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS};

// What the handler may touch: set once before it is installed, read only after.
int recordFile = -1;
char buildText[64] = {};
std::size_t buildLength = 0;

// Writes value in decimal at out; returns the number of characters. Only
// plain stores: safe inside a signal handler.
std::size_t writeDecimal(char *out, unsigned long long value)
{
    char digits[24];
    std::size_t count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = digits[count - 1 - i];
    return count;
}

// Runs on the alternate stack and calls only async-signal-safe functions.
void onFatalSignal(int signal, siginfo_t *, void *)
{
    if (recordFile >= 0) {
        // "<seconds since 1970> <signal> <build>\n"
        char record[128];
        std::size_t length = 0;
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        length += writeDecimal(record + length, static_cast<unsigned long long>(now.tv_sec));
        record[length++] = ' ';
        length += writeDecimal(record + length, static_cast<unsigned long long>(signal));
        record[length++] = ' ';
        for (std::size_t i = 0; i < buildLength; ++i)
            record[length++] = buildText[i];
        record[length++] = '\n';
        [[maybe_unused]] const ssize_t written = ::write(recordFile, record, length);
    }
    // The default action, once this handler returns: the system's own crash
    // handling goes on as if we had not been here.
    struct sigaction fallback{};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

} // namespace

namespace CrashHandler {

QString build()
{
    return QStringLiteral(FILEWRIGHT_BUILD);
}

QString pendingPath()
{
    return QFileInfo(MetricsStore::filePath()).absolutePath() + QStringLiteral("/pending-crashes");
}

QList<MetricsStore::Payload> parseRecords(const QByteArray &records)
{
    QList<MetricsStore::Payload> payloads;
    const QList<QByteArray> lines = records.split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 3 || fields[2].isEmpty())
            continue;
        bool timeOk = false;
        bool signalOk = false;
        const qint64 seconds = fields[0].toLongLong(&timeOk);
        const int signal = fields[1].toInt(&signalOk);
        if (!timeOk || !signalOk)
            continue;
        const MetricsStore::Crash crash{QString::fromUtf8(fields[2]), signal, std::nullopt};
        payloads.append(MetricsStore::Payload{QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC), {crash}, {}});
    }
    return payloads;
}

void collectPending()
{
    QFile file(pendingPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray records = file.readAll();
    file.close();
    MetricsStore::append(MetricsStore::lines(parseRecords(records)));
    file.remove();
}

bool install()
{
    if (recordFile >= 0)
        return true;
    const QString path = pendingPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray name = build().toUtf8().left(int(sizeof buildText) - 1).replace(' ', '_').replace('\n', '_');
    std::memcpy(buildText, name.constData(), std::size_t(name.size()));
    buildLength = std::size_t(name.size());
    recordFile = fd;

    // A stack overflow leaves no room on the thread's own stack.
    static std::vector<char> alternate(std::max<std::size_t>(SIGSTKSZ, 64 * 1024));
    stack_t stack{};
    stack.ss_sp = alternate.data();
    stack.ss_size = alternate.size();
    ::sigaltstack(&stack, nullptr);

    struct sigaction action{};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : fatalSignals)
        ::sigaction(signal, &action, nullptr);
    return true;
}

std::unique_ptr<HangWatchdog> startReporting()
{
    // Test and screenshot runs neither record nor report anything.
    if (Store::isOverridden())
        return nullptr;
    collectPending();
    install();
    return std::make_unique<HangWatchdog>(build());
}

} // namespace CrashHandler
