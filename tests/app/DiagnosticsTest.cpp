// The diagnostics text for support: its lines in order, and that it gives
// away no path, name or message of the user's; the failure codes; the mail.
#include "Diagnostics.h"

#include "AppModel.h"
#include "MetricsStore.h"
#include "Prefs.h"
#include "ScopedEnv.h"
#include "Store.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

struct Fixture
{
    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    ScopedEnv data{"XDG_DATA_HOME", dir.path().toUtf8()};
    ScopedEnv sandbox{"APP_SANDBOX_CONTAINER_ID", std::nullopt};
    ScopedEnv flatpak{"FLATPAK_ID", std::nullopt};
    AppModel model{Store::open(dir.filePath(QStringLiteral("diagnostics.store")))};
};

JournalEntry entry(const QString &status, const QDateTime &date, const QString &message)
{
    JournalEntry result({}, QStringLiteral("jdoe's taxes"), QStringLiteral("/home/jdoe/Downloads/Lohn.pdf"),
                        QStringLiteral("/home/jdoe/Steuer/Lohn.pdf"), JournalEntry::Status::done);
    result.statusRaw = status;
    result.date = date;
    result.message = message;
    return result;
}

} // namespace

TEST(DiagnosticsTest, LinesInOrderWithCountsAndCodesButNoPathsNamesOrMessages)
{
    Fixture fixture;
    Prefs::setValue(QString::fromUtf16(Prefs::minimumWaitKey), 2.9);
    QStringList lines = Diagnostics::text(fixture.model).split(u'\n');
    ASSERT_EQ(lines.size(), 11) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Filewright " FILEWRIGHT_VERSION " (" FILEWRIGHT_BUILD ")"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(", Linux "))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" GB")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Language: ")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Local language model: ")));
    EXPECT_EQ(lines.mid(4), (QStringList{QStringLiteral("Sandbox: off"),
                                         QStringLiteral("Folders: 0 watched, 0 places, 0 need access again"),
                                         QStringLiteral("Rules: 0, 0 on, 0 read content"), QStringLiteral("Journal: "),
                                         QStringLiteral("Recognitions stored: 0"), QStringLiteral("Wait before acting: 2 s"),
                                         QStringLiteral("Crash and hang reports: none")}));

    // Planted paths, names and messages of the user's stay out of it.
    Store &store = fixture.model.store();
    WatchedFolder watched(QStringLiteral("/home/jdoe/Secret Papers"), "bookmark", true);
    WatchedFolder place(QStringLiteral("/home/jdoe/Steuer"), "bookmark", false);
    place.needsReselect = true;
    ASSERT_TRUE(store.insert(watched));
    ASSERT_TRUE(store.insert(place));
    Rule reading{QUuid::createUuid(), QStringLiteral("jdoe's taxes"),
                 {Condition{QUuid::createUuid(), Condition::Field::sender, Condition::Operator::contains, QStringLiteral("Finanzamt")}},
                 {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("/home/jdoe/Steuer")}}};
    Rule off = reading;
    off.conditions = {};
    off.isEnabled = false;
    StoredRule first(reading, watched.uuid, 1);
    StoredRule second(off, std::nullopt, 2);
    ASSERT_TRUE(store.insert(first));
    ASSERT_TRUE(store.insert(second));

    const QDateTime base(QDate(2026, 3, 1), QTime(9, 15), Qt::UTC);
    const QStringList messages{
        QStringLiteral("“Lohn.pdf” couldn’t be moved to “/home/jdoe/Steuer”: Permission denied; not found."),
        QStringLiteral("Kein Zugriff auf /home/jdoe"), QStringLiteral("The file doesn’t exist."),
        QStringLiteral("Nicht genug Speicher"), QStringLiteral("No such file or directory"), QStringLiteral(""),
        QStringLiteral("jdoe pressed cancel")};
    for (int i = 0; i < messages.size(); ++i) {
        JournalEntry failed = entry(QStringLiteral("failed"), base.addSecs(60 * i), messages[i]);
        ASSERT_TRUE(store.insert(failed));
    }
    for (const QString &status : {QStringLiteral("done"), QStringLiteral("review"), QStringLiteral("weird")}) {
        JournalEntry other = entry(status, base.addDays(1), QStringLiteral("Access denied for jdoe"));
        ASSERT_TRUE(store.insert(other));
    }
    MetricsStore::append({QStringLiteral("2026-03-01 crash 1 signal 11 "), QStringLiteral("2026-03-02 hang 1 3.1 s")});

    const QString text = Diagnostics::text(fixture.model);
    lines = text.split(u'\n');
    ASSERT_EQ(lines.size(), 19) << text.toStdString();
    EXPECT_EQ(lines.mid(5, 3),
              (QStringList{QStringLiteral("Folders: 1 watched, 1 places, 1 need access again"),
                           QStringLiteral("Rules: 2, 1 on, 1 read content"),
                           QStringLiteral("Journal: done 1, failed 7, review 1, weird 1")}));
    EXPECT_EQ(lines.mid(10),
              (QStringList{QStringLiteral("Last failures:"), QStringLiteral("  2026-03-01T09:21:00Z other"),
                           QStringLiteral("  2026-03-01T09:20:00Z other"), QStringLiteral("  2026-03-01T09:19:00Z missing-file"),
                           QStringLiteral("  2026-03-01T09:18:00Z disk-full"), QStringLiteral("  2026-03-01T09:17:00Z missing-file"),
                           QStringLiteral("Crash and hang reports: "), QStringLiteral("  2026-03-01 crash 1 signal 11 "),
                           QStringLiteral("  2026-03-02 hang 1 3.1 s")}));
    for (const char *secret : {"jdoe", "/home", "Secret", "Steuer", "Lohn", "Finanzamt", "cancel"})
        EXPECT_FALSE(text.contains(QLatin1String(secret), Qt::CaseInsensitive)) << secret;

    // The first keyword of the table decides, not the first in the message.
    EXPECT_EQ(Diagnostics::errorCode(messages[0]), QStringLiteral("no-access"));
    EXPECT_EQ(Diagnostics::errorCode(messages[1]), QStringLiteral("no-access"));
}

TEST(DiagnosticsTest, TheSupportMailCarriesTheSubjectOnly)
{
    const QUrl url = Diagnostics::mailUrl();
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.toEncoded(), QByteArray("mailto:support@filewright.example.org?subject=Filewright%20" FILEWRIGHT_VERSION));
}
