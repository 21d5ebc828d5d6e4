#include "Snapshot.h"

#include "AppModel.h"
#include "RulesPage.h"
#include "SettingsTab.h"
#include "SidebarItem.h"
#include "SnapshotHooks.h"
#include "Store.h"
#include "WindowList.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QWidget>

#include <qcoro/qcorosignal.h>
#include <qcoro/qcorotimer.h>

#include <array>
#include <cmath>
#include <cstdio>

namespace {

using namespace std::chrono_literals;

// The pacing of the tour: time for the windows to settle after each change.
constexpr std::chrono::milliseconds beforeFirstStep = 1500ms;
constexpr std::chrono::milliseconds afterPageChange = 800ms;
constexpr std::chrono::milliseconds afterSheetOpens = 1200ms;
constexpr std::chrono::milliseconds afterSheetCloses = 600ms;
constexpr std::chrono::milliseconds afterSettingsOpen = 1000ms;
constexpr std::chrono::milliseconds afterTabChange = 800ms;
// The longest a picture waits for a page to catch up with the store; one
// that keeps changing is taken as it stands then.
constexpr std::chrono::milliseconds settleLimit = 30s;

constexpr std::array appearances{Appearance::Mode::light, Appearance::Mode::dark};

// The sheets of the tour, in order: how each is opened and closed.
enum class Sheet { editor, onboarding, review, palette };
constexpr std::array sheetOrder{Sheet::editor, Sheet::onboarding, Sheet::review, Sheet::palette};

QString sheetName(Sheet sheet)
{
    switch (sheet) {
    case Sheet::editor:
        return QStringLiteral("editor");
    case Sheet::onboarding:
        return QStringLiteral("onboarding");
    case Sheet::review:
        return QStringLiteral("review");
    case Sheet::palette:
        return QStringLiteral("palette");
    }
    return {};
}

const QString refusalLine = QStringLiteral("SNAPSHOT refused: set APP_STORE to a file in /tmp");

void printLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// Keeps the display from going dark during the tour where a screen saver
// service listens; the inhibition ends with the process.
void keepDisplayAwake()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    const QString object = QStringLiteral("/org/freedesktop/ScreenSaver");
    bus.asyncCall(QDBusMessage::createMethodCall(service, object, service, QStringLiteral("SimulateUserActivity")));
    QDBusMessage inhibit = QDBusMessage::createMethodCall(service, object, service, QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("Filewright") << QStringLiteral("Snapshots");
    bus.asyncCall(inhibit);
}

} // namespace

QString Snapshot::label(Appearance::Mode appearance)
{
    return appearance == Appearance::Mode::light ? QStringLiteral("light") : QStringLiteral("dark");
}

std::optional<QString> Snapshot::refusal()
{
    if (qEnvironmentVariable("APP_SNAPSHOT").isEmpty() || Store::isOverridden())
        return std::nullopt;
    return refusalLine;
}

std::unique_ptr<Snapshot> Snapshot::runIfRequested(AppModel &model, OpenSettings openSettings)
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString folder = environment.value(QStringLiteral("APP_SNAPSHOT"));
    if (folder.isEmpty())
        return nullptr;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    auto snapshot = std::make_unique<Snapshot>(model, std::move(openSettings), folder, selection(environment),
                                               timeScale(environment), printLine);
    if (const std::optional<QString> refused = refusal()) {
        printLine(*refused);
        snapshot->m_exitCode = 1;
        snapshot->finish();
        return snapshot;
    }
    // The tour runs on in the event loop; the application outlives it.
    snapshot->run();
    return snapshot;
}

std::optional<QSet<QString>> Snapshot::selection(const QProcessEnvironment &environment)
{
    const QString variable = QStringLiteral("APP_SNAPSHOT_PAGES");
    if (!environment.contains(variable))
        return std::nullopt;
    const QStringList words = environment.value(variable).split(QLatin1Char(','), Qt::SkipEmptyParts);
    return QSet<QString>(words.begin(), words.end());
}

double Snapshot::timeScale(const QProcessEnvironment &environment)
{
    bool ok = false;
    const double scale = environment.value(QStringLiteral("APP_SNAPSHOT_TIMESCALE")).toDouble(&ok);
    return ok && std::isfinite(scale) && scale > 0 ? scale : 1.0;
}

Snapshot::Snapshot(AppModel &model, OpenSettings openSettings, QString folder, std::optional<QSet<QString>> selection,
                   double timeScale, WindowCapture::Output output, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_openSettings(std::move(openSettings))
    , m_folder(std::move(folder))
    , m_selection(std::move(selection))
    , m_timeScale(timeScale)
    , m_output(output)
    , m_capture(std::move(output), timeScale)
{
}

Snapshot::~Snapshot() = default;

bool Snapshot::selected(const QString &word) const
{
    return !m_selection || m_selection->contains(word);
}

QString Snapshot::path(const QString &name) const
{
    return m_folder + QLatin1Char('/') + name;
}

QCoro::Task<> Snapshot::wait(std::chrono::milliseconds duration) const
{
    co_await QCoro::sleepFor(std::chrono::milliseconds(qRound64(double(duration.count()) * m_timeScale)));
}

QCoro::Task<> Snapshot::settle() const
{
    // The rules page makes its cards a slice per turn: the fixed pauses above
    // run out before the last slice on a busy machine.
    if (QWidget *main = WindowList::mainWindow()) {
        for (RulesPage *each : main->findChildren<RulesPage *>()) {
            const QPointer<RulesPage> page(each);
            while (page && page->isSettling()) {
                const auto emitted = co_await qCoro(page.data(), &RulesPage::settled, settleLimit);
                if (!emitted)
                    break;
            }
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

QCoro::Task<> Snapshot::shoot(QString name, QWidget *window)
{
    co_await settle();
    // Awaited as a statement of its own: g++ 12 frees this frame too early
    // when the await stands in an if condition and the capture suspends (as
    // it does between tries), and the capture then resumes freed memory.
    const bool written = co_await m_capture.capture(path(name), window);
    if (!written)
        m_exitCode = 1;
}

QCoro::Task<> Snapshot::run()
{
    keepDisplayAwake();
    QDir().mkpath(m_folder); // a folder that cannot be made shows in the captures
    co_await wait(beforeFirstStep);
    co_await pages();
    if (selected(QStringLiteral("sheets")))
        co_await sheets();
    if (selected(QStringLiteral("settings")))
        co_await settings();
    m_output(QStringLiteral("SNAPSHOT done ") + m_folder);
    finish();
}

QCoro::Task<> Snapshot::pages()
{
    for (const Appearance::Mode appearance : appearances) {
        Appearance::apply(appearance); // even when no page is selected
        for (const SidebarItem page : SidebarItems::allCases) {
            const QString raw = SidebarItems::rawValue(page);
            if (!selected(raw))
                continue;
            m_model.setSidebar(page);
            co_await wait(afterPageChange);
            co_await shoot(raw + QLatin1Char('-') + label(appearance) + QStringLiteral(".png"), nullptr);
        }
    }
}

QCoro::Task<> Snapshot::sheets()
{
    const QList<StoredRule> rules = m_model.store().rules();
    const std::optional<StoredRule> firstRule = rules.isEmpty() ? std::nullopt : std::optional(rules.constFirst());
    const QList<JournalEntry> waiting = m_model.store().journal(JournalEntry::Status::review, 1);
    const std::optional<qint64> review = waiting.isEmpty() ? std::nullopt : std::optional(waiting.constFirst().id);

    for (const Sheet sheet : sheetOrder) {
        for (const Appearance::Mode appearance : appearances) {
            Appearance::apply(appearance);
            switch (sheet) {
            case Sheet::editor:
                m_model.setSidebar(SidebarItem::rules);
                if (firstRule)
                    m_model.edit(*firstRule);
                break;
            case Sheet::onboarding:
                m_model.setShowOnboarding(true);
                break;
            case Sheet::review:
                m_model.setSidebar(SidebarItem::journal);
                SnapshotHooks::shared().setReview(review);
                break;
            case Sheet::palette:
                m_model.setSidebar(SidebarItem::rules);
                m_model.setShowPalette(true);
                break;
            }
            co_await wait(afterSheetOpens);
            co_await shoot(QStringLiteral("sheet-") + sheetName(sheet) + QLatin1Char('-') + label(appearance)
                               + QStringLiteral(".png"),
                           WindowList::visibleSheet());
            switch (sheet) {
            case Sheet::editor:
                m_model.setEditing(std::nullopt);
                break;
            case Sheet::onboarding:
                m_model.setShowOnboarding(false);
                break;
            case Sheet::review:
                SnapshotHooks::shared().setReview(std::nullopt);
                break;
            case Sheet::palette:
                m_model.setShowPalette(false);
                break;
            }
            co_await wait(afterSheetCloses);
        }
    }
}

QCoro::Task<> Snapshot::settings()
{
    const QPointer<QWidget> main = WindowList::mainWindow();
    if (m_openSettings)
        m_openSettings();
    co_await wait(afterSettingsOpen);
    for (const Appearance::Mode appearance : appearances) {
        Appearance::apply(appearance);
        for (const SettingsTab tab : SettingsTabs::allCases) {
            m_model.setSettingsTab(tab);
            co_await wait(afterTabChange);
            QWidget *window = nullptr;
            for (QWidget *candidate : WindowList::ordered()) {
                if (candidate->isVisible() && candidate != main && !WindowList::isSheet(candidate)) {
                    window = candidate;
                    break;
                }
            }
            co_await shoot(QStringLiteral("settings-") + SettingsTabs::rawValue(tab) + QLatin1Char('-')
                               + label(appearance) + QStringLiteral(".png"),
                           window);
        }
    }
}

void Snapshot::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    // Sheets left open would keep their windows' modal state past the end.
    for (QWidget *window : WindowList::ordered()) {
        if (WindowList::isSheet(window) && window->isVisible())
            static_cast<QDialog *>(window)->reject();
    }
    Q_EMIT finished();
}
