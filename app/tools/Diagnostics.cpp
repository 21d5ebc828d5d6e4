#include "Diagnostics.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "Prefs.h"
#include "Store.h"

#include <QDesktopServices>
#include <QFile>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>

namespace Diagnostics {

void mailSupport()
{
    QUrl url(QStringLiteral("mailto:") + QLatin1String(supportAddress));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Filewright " FILEWRIGHT_VERSION));
    url.setQuery(query);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

QString text(const AppModel &model)
{
    QFile product(QStringLiteral("/sys/devices/virtual/dmi/id/product_name"));
    const QString machine = product.open(QIODevice::ReadOnly) ? QString::fromUtf8(product.readAll()).trimmed() : QString();
    const Store &store = model.store();
    QStringList lines{
        QStringLiteral("Filewright " FILEWRIGHT_VERSION),
        QStringLiteral("%1, kernel %2").arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion()),
        QStringLiteral("Machine: %1").arg(machine.isEmpty() ? QStringLiteral("unknown") : machine),
        QStringLiteral("Name language: %1, date format: %2")
            .arg(NameLanguages::rawValue(Prefs::nameLanguage()), Prefs::dateFormat()),
        QStringLiteral("Local language model: %1").arg(model.autopilot().modelStatus().rawValue()),
        QStringLiteral("Folders: %1, rules: %2, journal entries: %3, recognitions: %4")
            .arg(store.count(Store::Model::watchedFolder))
            .arg(store.count(Store::Model::storedRule))
            .arg(store.count(Store::Model::journalEntry))
            .arg(store.count(Store::Model::recognitionRecord)),
        QStringLiteral("Settle wait: %1 s").arg(Prefs::doubleValue(QString::fromUtf16(Prefs::minimumWaitKey))),
    };
    return lines.join(u'\n') + u'\n';
}

} // namespace Diagnostics
