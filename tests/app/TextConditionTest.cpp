// Rules that test the document's text, on real files through the automation:
// filing and the dry run see the text as recognition reads it, and folders
// without such a rule have no text read.
#include "AutopilotFixture.h"

#include "TestSupport.h"

#include <QSignalSpy>

class TextConditionTest : public AutopilotFixture
{
protected:
    void SetUp() override
    {
        AutopilotFixture::SetUp();
        inbox = inboxAndSorted(); // the model is off: text needs none
        addRule(rule(QStringLiteral("Leases"), {condition(Field::text, Op::contains, QStringLiteral("Mietvertrag"))},
                     {action(Kind::move, QStringLiteral("~/Sorted/Leases"))}),
                inbox.uuid);
        addRule(rule(QStringLiteral("Other PDFs"),
                     {condition(Field::text, Op::doesNotContain, QStringLiteral("Mietvertrag")),
                      condition(Field::name, Op::endsWith, QStringLiteral(".pdf"))},
                     {action(Kind::move, QStringLiteral("~/Sorted/Other"))}),
                inbox.uuid);
    }

    QString inInbox(const QString &name) const { return inbox.displayPath + QLatin1Char('/') + name; }

    QString pdf(const QString &name, const QStringList &lines)
    {
        const QString path = inInbox(name);
        SampleDocuments::textPDF(lines, path);
        return path;
    }

    WatchedFolder inbox;
};

TEST_F(TextConditionTest, FilingTestsTheTextAsRecognitionReadsItAndReadsNoneWhereNoRuleAsks)
{
    const QString lease = pdf(QStringLiteral("scan1.pdf"), {QStringLiteral("Musterhaus Verwaltung"),
                                                             QStringLiteral("Mietvertrag über eine Wohnung"),
                                                             QStringLiteral("zwischen Vermieter und Mieterin")});
    const QString invoice = pdf(QStringLiteral("scan2.pdf"), {QStringLiteral("Nordlicht Hosting GmbH"),
                                                               QStringLiteral("Rechnung über Webhosting"),
                                                               QStringLiteral("Gesamtbetrag 12,34 €")});
    const QString note = oldFile(inInbox(QStringLiteral("note.txt")), "Kopie: MIETVERTRAG, bitte ablegen");
    // The word lies past the characters recognition reads.
    const QString longNote =
        oldFile(inInbox(QStringLiteral("long.txt")), QByteArray(20'000, 'x') + " Mietvertrag");

    QSignalSpy busy(autopilot.get(), &Autopilot::busyFilesChanged);
    for (const QString &file : {lease, invoice, note})
        EXPECT_EQ(handleNow(file, inbox), std::optional<bool>(true)) << file.toStdString();
    EXPECT_EQ(handleNow(longNote, inbox), std::optional<bool>(false));
    EXPECT_FALSE(busy.isEmpty()); // the texts were read

    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/Leases/scan1.pdf")));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/Other/scan2.pdf")));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/Leases/note.txt")));
    EXPECT_TRUE(QFileInfo::exists(longNote));

    // A folder whose rules test no text: its files are not read at all.
    const WatchedFolder desktop = watch(QStringLiteral("Desktop"));
    addRule(byEnding(QStringLiteral("PDFs"), QStringLiteral(".pdf"), Kind::move, QStringLiteral("~/Sorted/Desktop")),
            desktop.uuid);
    const QString other = desktop.displayPath + QStringLiteral("/lease.pdf");
    ASSERT_TRUE(QFile::copy(home + QStringLiteral("/Sorted/Leases/scan1.pdf"), other));
    busy.clear();
    EXPECT_EQ(handleNow(other, desktop), std::optional<bool>(true));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/Desktop/lease.pdf")));
    EXPECT_TRUE(busy.isEmpty());
}

TEST_F(TextConditionTest, TheDryRunTestsTheTextOfEachFile)
{
    pdf(QStringLiteral("lease.pdf"), {QStringLiteral("Musterhaus Verwaltung"), QStringLiteral("Mietvertrag über eine Wohnung"),
                                      QStringLiteral("zwischen Vermieter und Mieterin")});
    pdf(QStringLiteral("invoice.pdf"), {QStringLiteral("Nordlicht Hosting GmbH"), QStringLiteral("Rechnung über Webhosting"),
                                        QStringLiteral("Gesamtbetrag 12,34 €")});
    const StoredRule leases = store->rules().constFirst();

    QList<DryRunRow> rows;
    std::unique_ptr<DryRun> run =
        autopilot->dryRun(leases.rule(), inbox, [&rows](const QList<DryRunRow> &got) { rows = got; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return run->isFinished(); }, patienceMs));
    ASSERT_EQ(rows.size(), 2);
    QHash<QString, bool> planned;
    for (const DryRunRow &row : std::as_const(rows))
        planned.insert(QFileInfo(row.file).fileName(), row.plan.has_value());
    EXPECT_EQ(planned, (QHash<QString, bool>{{QStringLiteral("lease.pdf"), true}, {QStringLiteral("invoice.pdf"), false}}));
    // Nothing was filed.
    EXPECT_EQ(QDir(inbox.displayPath).entryList(QDir::Files).size(), 2);
}
