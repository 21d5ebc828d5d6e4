#include "FakeModelServer.h"
#include "ModelReader.h"
#include "PatternReader.h"
#include "Recognizer.h"
#include "SampleDocumentFiles.h"
#include "TestSupport.h"
#include "TextCondenser.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString invoiceText =
    u"Druckerei Beispiel KG\nRechnung Nr. 4711\nRechnungsdatum: 07.10.2026\nArtikel 12,00 €\nGesamtbetrag 15,00 €"_s;
const QString printer = u"Druckerei Beispiel KG"_s;

QJsonObject modelAnswer(const QString &kind, double amount, const QString &currency, const QString &sender = printer,
                        const QString &date = u"2026-10-07"_s, const QString &title = u"Visitenkarten"_s)
{
    return ModelRecognition{kind, sender, date, amount, currency, title}.toJson();
}

QDateTime day(int year, int month, int dayOfMonth)
{
    return CalendarUtc::noon(QDate(year, month, dayOfMonth));
}

QString messageContent(const QJsonObject &body, int index)
{
    return body.value(u"messages"_s).toArray()[index].toObject().value(u"content"_s).toString();
}

// What a reading came to: amount, currency, confidence and notes.
using Outcome = std::tuple<QString, QString, double, QStringList>;

Outcome outcome(const Recognition &read)
{
    return {read.amount ? read.amount->toFixed(2) : QString(), read.currency.value_or(QString()), read.confidence, read.notes};
}

Outcome outcome(const QString &amount, double confidence, const QStringList &notes = {})
{
    return {amount, u"EUR"_s, confidence, notes};
}

// Points the model layer at the tests' own server for the life of the object.
class ModelRoad : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("APP_MODEL_URL", server.baseUrl().toEncoded()); }
    void TearDown() override { qunsetenv("APP_MODEL_URL"); }

    // Reads the text with the model answering as given, and checks that the
    // model was asked about the condensed text (the rest of the question is
    // the model reader's own, tested there).
    Recognition readWith(const QJsonObject &answer, const QString &text = invoiceText)
    {
        server.queueChat(FakeModelServer::chatAnswer(answer));
        const Recognition recognition = Recognizer::recognize(text, u"Beleg.pdf"_s, true);
        const QJsonObject body = server.requests().last().json();
        EXPECT_EQ(messageContent(body, 0), ModelReader::instructions());
        EXPECT_EQ(messageContent(body, 1), u"File name: Beleg.pdf\n\nText:\n"_s + TextCondenser::condense(text, 2500));
        return recognition;
    }

    FakeModelServer server;
};

} // namespace

TEST(Recognizer, DecidesCheapCasesByTheFileAlone)
{
    const Recognition installer = Recognizer::recognize(u"/nowhere/Setup.DMG"_s, true);
    EXPECT_EQ(std::tuple(installer.kind, installer.title, installer.confidence, installer.notes),
              std::tuple(DocumentKind::installer, std::optional(u"Setup"_s), 1.0, QStringList()));
    EXPECT_EQ(Recognizer::recognize(u"/nowhere/tool.AppImage"_s, false).kind, DocumentKind::installer);

    // The screenshot name on a PDF is no screenshot; an unreadable PDF has no text.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"Screenshot 2024-05-01 at 10.00.00.pdf"_s);
    ASSERT_TRUE(TestSupport::writeFile(pdf, "%PDF-1.4 broken"));
    const Recognition notShot = Recognizer::recognize(pdf, true);
    EXPECT_EQ(std::tuple(notShot.kind, notShot.notes, notShot.confidence),
              std::tuple(DocumentKind::other, QStringList{u"no text"_s}, 0.9));

    // A zero-byte picture is a photo (an image with no text).
    const QString empty = dir.filePath(u"IMG_0001.jpg"_s);
    ASSERT_TRUE(TestSupport::writeFile(empty, QByteArray()));
    EXPECT_EQ(Recognizer::recognize(empty, false).kind, DocumentKind::photo);
}

TEST(Recognizer, PatternsAloneGiveConfidenceAndNotes)
{
    const Recognition invoice = Recognizer::recognize(invoiceText, u"a.pdf"_s, false);
    EXPECT_EQ(std::tuple(invoice.kind, invoice.amount, invoice.currency, invoice.date, invoice.source),
              std::tuple(DocumentKind::invoice, Decimal::fromString(u"15.00"), u"EUR"_s, day(2026, 10, 7),
                         Recognition::Source::rules));

    const struct {
        DocumentKind kind;
        double score;
        QStringList notes;
        double confidence;
    } cases[] = {
        {DocumentKind::invoice, 0.6, {u"no total found"_s, u"no date found"_s, u"no sender found"_s}, 0.45},
        {DocumentKind::letter, std::nan(""), {u"kind unclear"_s, u"no sender found"_s}, 0.5},
        {DocumentKind::other, 0.3, {}, 0.65},
    };
    for (const auto &c : cases) {
        PatternReader::Result bare;
        bare.kind = c.kind;
        bare.kindScore = c.score;
        const Recognition read = Recognizer::fromPatterns(bare);
        EXPECT_EQ(read.notes, c.notes) << DocumentKinds::rawValue(c.kind).toStdString();
        EXPECT_EQ(read.confidence, c.confidence) << DocumentKinds::rawValue(c.kind).toStdString();
    }
}

TEST_F(ModelRoad, AnAgreeingAnswerIsTakenAndAKindDisagreementFollowsConfidentPatterns)
{
    const Recognition read = readWith(modelAnswer(u"invoice"_s, 15.0, u"eur"_s));
    EXPECT_EQ(std::tuple(read.source, read.kind, read.title), std::tuple(Recognition::Source::model, DocumentKind::invoice,
                                                                        std::optional(u"Visitenkarten"_s)));
    EXPECT_EQ(outcome(read), outcome(u"15.00"_s, 0.9));

    ASSERT_GE(PatternReader::read(invoiceText).kindScore, 0.5);
    const Recognition letter = readWith(modelAnswer(u"letter"_s, 15.0, u"EUR"_s));
    EXPECT_EQ(letter.kind, DocumentKind::invoice);
    EXPECT_EQ(outcome(letter), outcome(u"15.00"_s, 0.5, {u"kind: model letter, patterns invoice"_s}));
    // Raw values are case-sensitive: "Invoice" is no kind, so it counts as other.
    EXPECT_EQ(readWith(modelAnswer(u"Invoice"_s, 15.0, u"EUR"_s)).notes, QStringList{u"kind: model other, patterns invoice"_s});
}

TEST_F(ModelRoad, AmountsAreCheckedAgainstTheText)
{
    // Against a marked total the patterns win.
    EXPECT_EQ(outcome(readWith(modelAnswer(u"invoice"_s, 12.0, u"EUR"_s))),
              outcome(u"15.00"_s, 0.45, {u"amount: model 12, patterns 15"_s}));
    // The model gives no amount: the pattern total is taken, with less confidence.
    EXPECT_EQ(outcome(readWith(modelAnswer(u"invoice"_s, 0.0, QString()))), outcome(u"15.00"_s, 0.7));

    // An amount of the text that beats an unmarked total stands.
    const QString unmarked =
        u"Druckerei Beispiel KG\nRechnung Nr. 4711\nRechnungsdatum: 07.10.2026\nArtikel 58,90 €\nPorto 60,00 €"_s;
    ASSERT_FALSE(PatternReader::read(unmarked).total->isTotal);
    EXPECT_EQ(outcome(readWith(modelAnswer(u"invoice"_s, 58.9, u"EUR"_s), unmarked)), outcome(u"58.90"_s, 0.9));

    // No total in the patterns: the model's amount must at least be in the
    // text; an amount without currency is in euros.
    const QString letter =
        u"Hausverwaltung Klee GmbH\nMusterstadt, 02.10.2026\nSehr geehrte Frau Beispiel,\nMit freundlichen Grüßen"_s;
    ASSERT_FALSE(PatternReader::read(letter).total.has_value());
    const Recognition invented =
        readWith(modelAnswer(u"letter"_s, 12.0, QString(), u"Hausverwaltung Klee GmbH"_s, u"2026-10-02"_s), letter);
    EXPECT_EQ(invented.notes, QStringList{u"amount not found in text"_s});
    EXPECT_EQ(std::tuple(invented.confidence, invented.currency), std::tuple(0.5, std::optional(u"EUR"_s)));
}

TEST_F(ModelRoad, DateAndSenderMustBeInTheText)
{
    // The pattern sender stands, without a note.
    const Recognition read = readWith(modelAnswer(u"invoice"_s, 15.0, u"EUR"_s, u"Stadtwerke Nord GmbH"_s, u"2026-10-08"_s));
    EXPECT_EQ(outcome(read), outcome(u"15.00"_s, 0.45, {u"date not found in text"_s}));
    EXPECT_EQ(std::tuple(read.date, read.sender), std::tuple(day(2026, 10, 7), std::optional(printer)));

    // The beginning of the model's sender is enough.
    const Recognition longer = readWith(
        modelAnswer(u"invoice"_s, 15.0, u"EUR"_s, u"  Druckerei Beispiel Kommanditgesellschaft\n"_s, QString(), QString()));
    EXPECT_EQ(std::tuple(longer.sender, longer.date, longer.title),
              std::tuple(std::optional(u"Druckerei Beispiel Kommanditgesellschaft"_s), std::optional(day(2026, 10, 7)),
                         PatternReader::read(invoiceText).title));
}

// The model's sender stands when the text holds its first six characters as
// a reader counts them: a letter with its mark, or an emoji, is one.
TEST_F(ModelRoad, TheModelsSenderIsCheckedOnItsFirstSixCharacters)
{
    const QString mueller = u"Mu\u0308ller Bau GmbH"_s;
    const struct
    {
        QString sender;
        QString text;
        std::optional<QString> kept;
    } cases[] = {
        {mueller, u"Abfuhr am 02.10.2026 durch Mu\u0308lle-Dienst"_s, std::nullopt},
        {u"🍎🍎🍎 Shop"_s, u"Bon 4711 vom 02.10.2026 🍎🍎🍎"_s, std::nullopt},
        {mueller, u"Rechnung 4711 vom 02.10.2026 von MU\u0308LLER BAU"_s, mueller},
        // Only whole characters of the text count: not an e that bears an
        // accent there, not flags made of halves of the text's flags (A D,
        // E F, R), not a letter that a sign joins to the next.
        {u"Mueller Bau GmbH"_s, u"Abfuhr am 02.10.2026 durch Muelle\u0301-Dienst"_s, std::nullopt},
        {u"Mueller Bau GmbH"_s, u"Muelle\u0301-Dienst und MUELLER BAU am 02.10.2026"_s, u"Mueller Bau GmbH"_s},
        {u"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"_s,
         u"Bon 4711 vom 02.10.2026 \U0001F1E6\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"_s, std::nullopt},
        {u"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"_s, u"Bon 4711 vom 02.10.2026 \U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"_s,
         u"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"_s},
        {u"\u0915"_s, u"Bon 4711 vom 02.10.2026 \u0915\u094D\u0937\u0947\u0924\u094D\u0930"_s, std::nullopt},
        {u"\u0915\u092E\u0932"_s, u"\u0915\u092E\u0932, 02.10.2026"_s, u"\u0915\u092E\u0932"_s},
    };
    for (const auto &[sender, text, kept] : cases) {
        ASSERT_FALSE(PatternReader::read(text).sender) << text.toStdString();
        const Recognition read = readWith(modelAnswer(u"letter"_s, 0.0, QString(), sender), text);
        EXPECT_EQ(read.sender, kept) << sender.toStdString() << " in " << text.toStdString();
    }
}

// A model amount that the text's total (or another amount of the text)
// confirms is in that amount's currency when the model names none; only
// an amount the patterns have no total for falls back to euros.
TEST(Recognizer, AConfirmedAmountWithoutCurrencyTakesTheTextsCurrency)
{
    const QString usd = u"Coffee Corner\nReceipt 0815\nDate: 2026-10-07\nLatte 4.50 USD\nTOTAL USD 23.17"_s;
    const QString unmarked =
        u"Druckerei Beispiel KG\nRechnung Nr. 4711\nRechnungsdatum: 07.10.2026\nArtikel 58,90 CHF\nPorto 60,00 GBP"_s;
    const QString letter = u"Hausverwaltung Klee GmbH\nMusterstadt, 02.10.2026\nSehr geehrte Frau Beispiel,\n"
                           u"die Gebühr von 12.00 USD ist erstattet.\nMit freundlichen Grüßen"_s;
    ASSERT_TRUE(PatternReader::read(usd).total && PatternReader::read(usd).total->isTotal);
    ASSERT_FALSE(PatternReader::read(unmarked).total->isTotal);
    ASSERT_FALSE(PatternReader::read(letter).total.has_value());
    const struct
    {
        QString text;
        double amount;
        QString currency; // as the model gives it
        QString amountRead;
        QString currencyRead;
    } cases[] = {
        {usd, 23.17, QString(), u"23.17"_s, u"USD"_s},        // the total's
        {usd, 23.17, u"cad"_s, u"23.17"_s, u"CAD"_s},         // the model's own stands
        {usd, 0.0, QString(), u"23.17"_s, u"USD"_s},          // the total taken
        {usd, 12.0, QString(), u"23.17"_s, u"USD"_s},         // the total wins
        {unmarked, 58.9, QString(), u"58.90"_s, u"CHF"_s},    // the amount it matched, not the total's
        {unmarked, 60.0, QString(), u"60.00"_s, u"GBP"_s},   // the total's
        {letter, 12.0, QString(), u"12.00"_s, u"EUR"_s},      // no total: euros
    };
    for (const auto &c : cases) {
        const PatternReader::Result patterns = PatternReader::read(c.text);
        const Recognition read = Recognizer::crossCheck(
            ModelRecognition{u"receipt"_s, QString(), QString(), c.amount, c.currency, QString()}, patterns, c.text);
        EXPECT_EQ(std::tuple(read.amount ? read.amount->toFixed(2) : QString(), read.currency.value_or(QString())),
                  std::tuple(c.amountRead, c.currencyRead))
            << c.text.toStdString() << " " << c.amount;
    }
}

TEST_F(ModelRoad, AFailingModelLeavesThePatternsStanding)
{
    const Recognition patterns = Recognizer::fromPatterns(PatternReader::read(invoiceText));
    for (const FakeModelServer::Reply &reply :
         {FakeModelServer::Reply{500, R"({"error":{"message":"out of memory"}})"},
          FakeModelServer::Reply{200, R"({"choices":[{"message":{"content":"{\"kind\":\"invoice\"}"}}]})"}}) {
        server.queueChat(reply);
        Recognition read = Recognizer::recognize(invoiceText, u"Beleg.pdf"_s, true);
        read.readAt = patterns.readAt;
        EXPECT_EQ(read, patterns);
    }
    // White space alone never reaches the model, nor does anything when it is switched off.
    const qsizetype asked = server.requests().size();
    EXPECT_EQ(Recognizer::recognize(u" \n\t"_s, u"a.pdf"_s, true).notes, QStringList{u"no text"_s});
    Recognizer::recognize(invoiceText, u"a.pdf"_s, false);
    EXPECT_EQ(server.requests().size(), asked);
}

TEST(Recognizer, ARealInvoiceFromFileToRecognition)
{
    const Recognition read = Recognizer::recognize(TestSupport::dataPath(u"invoices/sample-invoice-2014.pdf"_s), false);
    EXPECT_EQ(std::tuple(read.kind, read.sender, read.date),
              std::tuple(DocumentKind::invoice, std::optional(u"Bei Spiel GmbH"_s), std::optional(day(2014, 5, 22))));
    EXPECT_EQ(std::tuple(read.amount, read.currency), std::tuple(Decimal::fromString(u"571.04"), std::optional(u"EUR"_s)));
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
