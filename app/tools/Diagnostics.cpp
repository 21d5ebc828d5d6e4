#include "Diagnostics.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "ExternalLink.h"
#include "MetricsStore.h"
#include "Prefs.h"
#include "Store.h"

#include <QFile>
#include <QMap>
#include <QSysInfo>
#include <QUrlQuery>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace Diagnostics {

namespace {

const QString product = QStringLiteral("Filewright");

qint64 memoryGiB()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return (qint64(pages) * qint64(pageSize)) >> 30;
}

// Whole seconds toward zero; a value no setting stores shows as 0.
qint64 wholeSeconds(double seconds)
{
    if (!std::isfinite(seconds) || std::abs(seconds) > 1e12)
        return 0;
    return qint64(std::trunc(seconds));
}

} // namespace

QString machine()
{
    QFile file(QStringLiteral("/sys/devices/virtual/dmi/id/product_name"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).simplified();
}

QString errorCode(const QString &message)
{
    struct Keyword
    {
        const char *word;
        const char *code;
    };
    // The first keyword of the table that occurs decides. "no such file" is
    // how the system words a missing file.
    static constexpr std::array keywords{
        Keyword{"access", "no-access"},         Keyword{"zugriff", "no-access"},
        Keyword{"permission", "no-access"},     Keyword{"exist", "missing-file"},
        Keyword{"gibt es", "missing-file"},     Keyword{"not found", "missing-file"},
        Keyword{"no such file", "missing-file"}, Keyword{"space", "disk-full"},
        Keyword{"speicher", "disk-full"},
    };
    const QString lower = message.toLower();
    for (const Keyword &keyword : keywords) {
        if (lower.contains(QLatin1String(keyword.word)))
            return QLatin1String(keyword.code);
    }
    return QStringLiteral("other");
}

QString text(const AppModel &model)
{
    const Store &store = model.store();
    const QList<JournalEntry> journal = store.journal();
    const QList<StoredRule> rules = store.rules();
    const QList<WatchedFolder> folders = store.folders();

    QStringList lines;
    lines.append(QStringLiteral("%1 %2 (%3)").arg(product, QStringLiteral(FILEWRIGHT_VERSION), QStringLiteral(FILEWRIGHT_BUILD)));
    lines.append(QStringLiteral("%1, Linux %2, %3, %4 GB")
                     .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion(), machine())
                     .arg(memoryGiB()));
    const NameLanguage windows = Prefs::sentenceLanguage();
    const NameLanguage names = Prefs::nameTemplate().language == NameLanguage::en ? NameLanguage::en : NameLanguage::de;
    lines.append(QStringLiteral("Language: %1, names: %2").arg(NameLanguages::rawValue(windows), NameLanguages::rawValue(names)));
    lines.append(QStringLiteral("Local language model: ") + model.autopilot().modelStatus().rawValue());
    const bool sandboxed = qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID") || qEnvironmentVariableIsSet("FLATPAK_ID");
    lines.append(QStringLiteral("Sandbox: ") + (sandboxed ? QStringLiteral("on") : QStringLiteral("off")));

    const auto watched = std::count_if(folders.begin(), folders.end(), [](const WatchedFolder &f) { return f.isWatched; });
    const auto reselect = std::count_if(folders.begin(), folders.end(), [](const WatchedFolder &f) { return f.needsReselect; });
    lines.append(QStringLiteral("Folders: %1 watched, %2 places, %3 need access again")
                     .arg(watched)
                     .arg(folders.size() - watched)
                     .arg(reselect));

    qsizetype enabled = 0;
    qsizetype reading = 0;
    for (const StoredRule &stored : rules) {
        const Rule rule = stored.rule();
        enabled += rule.isEnabled ? 1 : 0;
        reading += rule.usesRecognition() ? 1 : 0;
    }
    lines.append(QStringLiteral("Rules: %1, %2 on, %3 read content").arg(rules.size()).arg(enabled).arg(reading));

    // Sorted by the status text's code units, which orders these ASCII words
    // as code points do.
    QMap<QString, qsizetype> statuses;
    for (const JournalEntry &entry : journal)
        ++statuses[entry.statusRaw];
    QStringList counts;
    for (auto it = statuses.cbegin(); it != statuses.cend(); ++it)
        counts.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
    lines.append(QStringLiteral("Journal: ") + counts.join(QStringLiteral(", ")));

    lines.append(QStringLiteral("Recognitions stored: %1").arg(store.count(Store::Model::recognitionRecord)));
    lines.append(QStringLiteral("Wait before acting: %1 s")
                     .arg(wholeSeconds(Prefs::doubleValue(QString::fromUtf16(Prefs::minimumWaitKey)))));

    QList<JournalEntry> failures;
    const QString failed = JournalEntry::statusRawValue(JournalEntry::Status::failed);
    std::copy_if(journal.begin(), journal.end(), std::back_inserter(failures),
                 [&failed](const JournalEntry &entry) { return entry.statusRaw == failed; });
    if (!failures.isEmpty()) {
        std::stable_sort(failures.begin(), failures.end(),
                         [](const JournalEntry &a, const JournalEntry &b) { return a.date > b.date; });
        lines.append(QStringLiteral("Last failures:"));
        for (const JournalEntry &entry : failures.mid(0, 5))
            lines.append(QStringLiteral("  %1 %2").arg(entry.date.toUTC().toString(Qt::ISODate), errorCode(entry.message)));
    }

    const QStringList reports = MetricsStore::recent();
    if (reports.isEmpty()) {
        lines.append(QStringLiteral("Crash and hang reports: none"));
    } else {
        lines.append(QStringLiteral("Crash and hang reports: "));
        for (const QString &report : reports)
            lines.append(QStringLiteral("  ") + report);
    }
    return lines.join(QLatin1Char('\n'));
}

QUrl mailUrl()
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(QLatin1String(supportAddress));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Filewright " FILEWRIGHT_VERSION));
    url.setQuery(query);
    return url;
}

void mailSupport()
{
    const QUrl url = mailUrl();
    if (url.isValid())
        ExternalLink::open(url);
}

} // namespace Diagnostics
