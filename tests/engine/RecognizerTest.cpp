#include "FakeModelServer.h"
#include "ModelReader.h"
#include "PatternReader.h"
#include "Recognizer.h"
#include "SampleDocumentFiles.h"
#include "TestSupport.h"
#include "TextCondenser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

const QString invoiceText = QStringLiteral(
    "Druckerei Beispiel KG\nRechnung Nr. 4711\nRechnungsdatum: 07.10.2026\nArtikel 12,00 €\nGesamtbetrag 15,00 €");

QJsonObject modelAnswer(const QString &kind, const QString &sender, const QString &date, double amount,
                        const QString &currency, const QString &title = QStringLiteral("Visitenkarten"))
{
    return ModelRecognition{kind, sender, date, amount, currency, title}.toJson();
}

QDateTime day(int year, int month, int dayOfMonth)
{
    return CalendarUtc::noon(QDate(year, month, dayOfMonth));
}

// Points the model layer at the tests' own server for the life of the object.
class ModelRoad : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("APP_MODEL_URL", server.baseUrl().toEncoded()); }
    void TearDown() override { qunsetenv("APP_MODEL_URL"); }

    Recognition readWith(const QJsonObject &answer, const QString &text = invoiceText)
    {
        server.queueChat(FakeModelServer::chatAnswer(answer));
        const Recognition recognition = Recognizer::recognize(text, QStringLiteral("Beleg.pdf"), true);
        checkLastQuestion(text);
        return recognition;
    }

    void checkLastQuestion(const QString &text)
    {
        const QJsonObject body = server.requests().last().json();
        const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
        ASSERT_EQ(messages.size(), 2);
        EXPECT_EQ(messages[0].toObject().value(QStringLiteral("content")).toString(), ModelReader::instructions());
        EXPECT_EQ(messages[1].toObject().value(QStringLiteral("content")).toString(),
                  QStringLiteral("File name: Beleg.pdf\n\nText:\n") + TextCondenser::condense(text, 2500));
        EXPECT_EQ(body.value(QStringLiteral("temperature")).toDouble(-1), 0.0);
        EXPECT_EQ(body.value(QStringLiteral("response_format")).toObject().value(QStringLiteral("json_schema")).toObject()
                      .value(QStringLiteral("schema")).toObject(),
                  QJsonDocument::fromJson(ModelReader::schema()).object());
    }

    FakeModelServer server;
};

} // namespace

TEST(Recognizer, DecidesCheapCasesByTheFileAlone)
{
    const Recognition installer = Recognizer::recognize(QStringLiteral("/nowhere/Setup.DMG"), true);
    EXPECT_EQ(installer.kind, DocumentKind::installer);
    EXPECT_EQ(installer.title, QStringLiteral("Setup"));
    EXPECT_EQ(installer.confidence, 1.0);
    EXPECT_TRUE(installer.notes.isEmpty());
    EXPECT_EQ(Recognizer::recognize(QStringLiteral("/nowhere/tool.AppImage"), false).kind, DocumentKind::installer);

    // The screenshot name on a PDF is no screenshot; an unreadable PDF has no text.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("Screenshot 2024-05-01 at 10.00.00.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(pdf, "%PDF-1.4 broken"));
    const Recognition notShot = Recognizer::recognize(pdf, true);
    EXPECT_EQ(notShot.kind, DocumentKind::other);
    EXPECT_EQ(notShot.notes, QStringList{QStringLiteral("no text")});
    EXPECT_EQ(notShot.confidence, 0.9);

    // A zero-byte picture is a photo (an image with no text).
    const QString empty = dir.filePath(QStringLiteral("IMG_0001.jpg"));
    ASSERT_TRUE(TestSupport::writeFile(empty, QByteArray()));
    EXPECT_EQ(Recognizer::recognize(empty, false).kind, DocumentKind::photo);
}

TEST(Recognizer, PatternsAloneGiveConfidenceAndNotes)
{
    const Recognition invoice = Recognizer::recognize(invoiceText, QStringLiteral("a.pdf"), false);
    EXPECT_EQ(invoice.kind, DocumentKind::invoice);
    EXPECT_EQ(invoice.amount, Decimal::fromString(u"15.00"));
    EXPECT_EQ(invoice.currency, QStringLiteral("EUR"));
    EXPECT_EQ(invoice.date, day(2026, 10, 7));
    EXPECT_EQ(invoice.source, Recognition::Source::rules);

    PatternReader::Result bare;
    bare.kind = DocumentKind::invoice;
    bare.kindScore = 0.6;
    const Recognition noTotal = Recognizer::fromPatterns(bare);
    EXPECT_EQ(noTotal.notes, (QStringList{QStringLiteral("no total found"), QStringLiteral("no date found"),
                                          QStringLiteral("no sender found")}));
    EXPECT_EQ(noTotal.confidence, 0.45);
    bare.kind = DocumentKind::letter;
    bare.kindScore = std::nan("");
    const Recognition letter = Recognizer::fromPatterns(bare);
    EXPECT_EQ(letter.notes, (QStringList{QStringLiteral("kind unclear"), QStringLiteral("no sender found")}));
    EXPECT_EQ(letter.confidence, 0.5);
    bare.kind = DocumentKind::other;
    bare.kindScore = 0.3;
    EXPECT_TRUE(Recognizer::fromPatterns(bare).notes.isEmpty());
    EXPECT_EQ(Recognizer::fromPatterns(bare).confidence, 0.65);
}

TEST_F(ModelRoad, AnAgreeingAnswerIsTaken)
{
    const Recognition read = readWith(modelAnswer(QStringLiteral("invoice"), QStringLiteral("Druckerei Beispiel KG"),
                                                  QStringLiteral("2026-10-07"), 15.0, QStringLiteral("eur")));
    EXPECT_EQ(read.source, Recognition::Source::model);
    EXPECT_EQ(read.kind, DocumentKind::invoice);
    EXPECT_EQ(read.amount, Decimal::fromString(u"15"));
    EXPECT_EQ(read.currency, QStringLiteral("EUR"));
    EXPECT_EQ(read.title, QStringLiteral("Visitenkarten"));
    EXPECT_EQ(read.confidence, 0.9);
    EXPECT_TRUE(read.notes.isEmpty());
}

TEST_F(ModelRoad, KindDisagreementFollowsAConfidentPatternReading)
{
    ASSERT_GE(PatternReader::read(invoiceText).kindScore, 0.5);
    const Recognition read = readWith(modelAnswer(QStringLiteral("letter"), QStringLiteral("Druckerei Beispiel KG"),
                                                  QStringLiteral("2026-10-07"), 15.0, QStringLiteral("EUR")));
    EXPECT_EQ(read.kind, DocumentKind::invoice);
    EXPECT_EQ(read.notes, QStringList{QStringLiteral("kind: model letter, patterns invoice")});
    EXPECT_EQ(read.confidence, 0.5);

    // Raw values are case-sensitive: "Invoice" is no kind, so it counts as other.
    const Recognition capital = readWith(modelAnswer(QStringLiteral("Invoice"), QStringLiteral("Druckerei Beispiel KG"),
                                                     QStringLiteral("2026-10-07"), 15.0, QStringLiteral("EUR")));
    EXPECT_EQ(capital.notes, QStringList{QStringLiteral("kind: model other, patterns invoice")});
}

TEST_F(ModelRoad, AmountsAreCheckedAgainstTheText)
{
    // Against a marked total the patterns win.
    const Recognition marked = readWith(modelAnswer(QStringLiteral("invoice"), QStringLiteral("Druckerei Beispiel KG"),
                                                    QStringLiteral("2026-10-07"), 12.0, QStringLiteral("EUR")));
    EXPECT_EQ(marked.notes, QStringList{QStringLiteral("amount: model 12, patterns 15")});
    EXPECT_EQ(marked.amount, Decimal::fromString(u"15.00"));
    EXPECT_EQ(marked.confidence, 0.45);

    // An amount of the text that beats an unmarked total stands.
    const QString unmarked = QStringLiteral(
        "Druckerei Beispiel KG\nRechnung Nr. 4711\nRechnungsdatum: 07.10.2026\nArtikel 58,90 €\nPorto 60,00 €");
    ASSERT_FALSE(PatternReader::read(unmarked).total->isTotal);
    const Recognition kept = readWith(modelAnswer(QStringLiteral("invoice"), QStringLiteral("Druckerei Beispiel KG"),
                                                  QStringLiteral("2026-10-07"), 58.9, QStringLiteral("EUR")),
                                      unmarked);
    EXPECT_EQ(kept.amount->toFixed(2), QStringLiteral("58.90"));
    EXPECT_TRUE(kept.notes.isEmpty());

    // No total in the patterns: the model's amount must at least be in the text.
    const QString letter = QStringLiteral(
        "Hausverwaltung Klee GmbH\nMusterstadt, 02.10.2026\nSehr geehrte Frau Beispiel,\nMit freundlichen Grüßen");
    ASSERT_FALSE(PatternReader::read(letter).total.has_value());
    const Recognition invented = readWith(modelAnswer(QStringLiteral("letter"), QStringLiteral("Hausverwaltung Klee GmbH"),
                                                      QStringLiteral("2026-10-02"), 12.0, QString()),
                                          letter);
    EXPECT_EQ(invented.notes, QStringList{QStringLiteral("amount not found in text")});
    EXPECT_EQ(invented.confidence, 0.5);
    EXPECT_EQ(invented.currency, QStringLiteral("EUR")); // an amount without currency

    // The model gives no amount: the pattern total is taken, with less confidence.
    const Recognition noAmount = readWith(modelAnswer(QStringLiteral("invoice"), QStringLiteral("Druckerei Beispiel KG"),
                                                      QStringLiteral("2026-10-07"), 0.0, QString()));
    EXPECT_EQ(noAmount.amount, Decimal::fromString(u"15.00"));
    EXPECT_EQ(noAmount.currency, QStringLiteral("EUR"));
    EXPECT_EQ(noAmount.confidence, 0.7);
    EXPECT_TRUE(noAmount.notes.isEmpty());
}

TEST_F(ModelRoad, DateAndSenderMustBeInTheText)
{
    const Recognition read = readWith(modelAnswer(QStringLiteral("invoice"), QStringLiteral("Stadtwerke Nord GmbH"),
                                                  QStringLiteral("2026-10-08"), 15.0, QStringLiteral("EUR")));
    EXPECT_EQ(read.notes, QStringList{QStringLiteral("date not found in text")});
    EXPECT_EQ(read.date, day(2026, 10, 7));
    EXPECT_EQ(read.confidence, 0.45);
    EXPECT_EQ(read.sender, QStringLiteral("Druckerei Beispiel KG")); // the pattern sender, without a note

    // The beginning of the model's sender is enough.
    const Recognition longer = readWith(modelAnswer(QStringLiteral("invoice"), QStringLiteral("  Druckerei Beispiel Kommanditgesellschaft\n"),
                                                    QString(), 15.0, QStringLiteral("EUR"), QString()));
    EXPECT_EQ(longer.sender, QStringLiteral("Druckerei Beispiel Kommanditgesellschaft"));
    EXPECT_EQ(longer.date, day(2026, 10, 7));
    EXPECT_EQ(longer.title, PatternReader::read(invoiceText).title);
}

TEST_F(ModelRoad, AFailingModelLeavesThePatternsStanding)
{
    const Recognition patterns = Recognizer::fromPatterns(PatternReader::read(invoiceText));
    for (const FakeModelServer::Reply &reply :
         {FakeModelServer::Reply{500, R"({"error":{"message":"out of memory"}})"},
          FakeModelServer::Reply{200, R"({"choices":[{"message":{"content":"{\"kind\":\"invoice\"}"}}]})"}}) {
        server.queueChat(reply);
        Recognition read = Recognizer::recognize(invoiceText, QStringLiteral("Beleg.pdf"), true);
        read.readAt = patterns.readAt;
        EXPECT_EQ(read, patterns);
    }
    // White space alone never reaches the model.
    const qsizetype asked = server.requests().size();
    const Recognition blank = Recognizer::recognize(QStringLiteral(" \n\t"), QStringLiteral("a.pdf"), true);
    EXPECT_EQ(blank.notes, QStringList{QStringLiteral("no text")});
    EXPECT_EQ(server.requests().size(), asked);
    // Switched off: the model is not asked either.
    Recognizer::recognize(invoiceText, QStringLiteral("a.pdf"), false);
    EXPECT_EQ(server.requests().size(), asked);
}

TEST_F(ModelRoad, AFileGoesAllTheWayThroughTheModel)
{
    QTemporaryDir dir;
    const QString path = SampleDocuments::write(dir.path(), {SampleDocuments::all().at(0)}).first();
    server.queueChat(FakeModelServer::chatAnswer(modelAnswer(QStringLiteral("invoice"), QStringLiteral("Nordlicht Hosting GmbH"),
                                                             QStringLiteral("2026-10-12"), 12.34, QStringLiteral("EUR"))));
    const Recognition read = Recognizer::recognize(path, true);
    EXPECT_EQ(read.source, Recognition::Source::model);
    EXPECT_EQ(read.amount, Decimal::fromString(u"12.34"));
    EXPECT_TRUE(read.notes.isEmpty());
    const QString prompt = server.requests().last().json().value(QStringLiteral("messages")).toArray()[1].toObject()
                               .value(QStringLiteral("content")).toString();
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("File name: Rechnung_2026_000123.pdf\n\nText:\nNordlicht Hosting GmbH\n")));
}

TEST(Recognizer, ARealInvoiceFromFileToRecognition)
{
    const Recognition read = Recognizer::recognize(TestSupport::dataPath(QStringLiteral("invoices/sample-invoice-2014.pdf")), false);
    EXPECT_EQ(read.kind, DocumentKind::invoice);
    EXPECT_EQ(read.sender, QStringLiteral("Bei Spiel GmbH"));
    EXPECT_EQ(read.date, day(2014, 5, 22));
    EXPECT_EQ(read.amount, Decimal::fromString(u"571.04"));
    EXPECT_EQ(read.currency, QStringLiteral("EUR"));
    // The others must at least come through without harm.
    for (const char *name : {"invoices/correction-invoice.pdf", "invoices/service-charge-statement.pdf"})
        EXPECT_EQ(Recognizer::recognize(TestSupport::dataPath(QString::fromLatin1(name)), false).kind, DocumentKind::invoice);
}

TEST(Recognizer, TwoFilesAtOnceReadAsOneAtATime)
{
    // The automation reads two files at a time: each thread has its own
    // recognition engine, and nothing else is shared.
    QTemporaryDir dir;
    const QList<SampleDocuments::Sample> &all = SampleDocuments::all();
    const QStringList paths = SampleDocuments::write(dir.path(), {all.at(4), all.at(6), all.at(15), all.at(16), all.at(0)});
    QList<Recognition> alone;
    for (const QString &path : paths)
        alone << Recognizer::recognize(path, false);
    QList<Recognition> first(paths.size());
    QList<Recognition> second(paths.size());
    std::thread a([&] {
        for (qsizetype i = 0; i < paths.size(); ++i)
            first[i] = Recognizer::recognize(paths[i], false);
    });
    std::thread b([&] {
        for (qsizetype i = paths.size() - 1; i >= 0; --i)
            second[i] = Recognizer::recognize(paths[i], false);
    });
    a.join();
    b.join();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        for (QList<Recognition> *together : {&first, &second}) {
            Recognition read = (*together)[i];
            read.readAt = alone[i].readAt;
            EXPECT_EQ(read, alone[i]) << paths[i].toStdString();
        }
    }
}
