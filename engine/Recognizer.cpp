#include "Recognizer.h"

#include "FileTimes.h"
#include "Graphemes.h"
#include "PatternReader.h"
#include "Recognition.h"
#include "TextCondenser.h"
#include "TextExtractor.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringList>

#include <cmath>

namespace Recognizer {

namespace {

// Texts of fewer letters than this in an image make it a photo.
constexpr int photoLetters = 30;
// The model's sender stands when the text holds this many of its first
// characters.
constexpr int senderCheckCharacters = 6;
// The model reads at most this many characters of the text.
constexpr int modelTextLimit = 2500;

bool namesImageType(const QString &lowerExtension)
{
    if (lowerExtension.isEmpty())
        return false;
    static const QMimeDatabase database;
    const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("x.") + lowerExtension);
    if (types.isEmpty())
        return false;
    const QMimeType &type = types.first();
    return type.name().startsWith(QLatin1String("image/")) || type.inherits(QStringLiteral("image/x-generic"));
}

Recognition byName(DocumentKind kind, double confidence)
{
    Recognition recognition;
    recognition.kind = kind;
    recognition.confidence = confidence;
    recognition.source = Recognition::Source::rules;
    recognition.readAt = QDateTime::currentDateTimeUtc();
    return recognition;
}

bool sameAmount(const Decimal &a, const Decimal &b)
{
    return std::abs(a.toDouble() - b.toDouble()) < 0.005;
}

// The first amount of the patterns that matches, if any.
const PatternReader::Money *matchingAmount(const QList<PatternReader::Money> &amounts, const Decimal &amount)
{
    const auto found = std::find_if(amounts.begin(), amounts.end(),
                                    [&](const PatternReader::Money &money) { return sameAmount(money.amount, amount); });
    return found == amounts.end() ? nullptr : &*found;
}

bool amongAmounts(const QList<PatternReader::Money> &amounts, const Decimal &amount)
{
    return matchingAmount(amounts, amount) != nullptr;
}

} // namespace

Recognition recognize(const QString &path, bool useModel, const QString &model, std::stop_token stop)
{
    const QFileInfo info(path);
    const QString extension = info.suffix().toLower();
    if (installerExtensions().contains(extension)) {
        Recognition installer = byName(DocumentKind::installer, 1.0);
        installer.title = info.completeBaseName();
        return installer;
    }
    if (TextExtractor::isScreenshot(path)) {
        Recognition screenshot = byName(DocumentKind::screenshot, 1.0);
        screenshot.date = fileDate(path);
        return screenshot;
    }
    const TextExtractor::Output output = TextExtractor::text(path, stop);
    if (namesImageType(extension) && TextExtractor::letterCount(output.text) < photoLetters) {
        Recognition photo = byName(DocumentKind::photo, 0.9);
        photo.date = fileDate(path);
        return photo;
    }
    return recognize(output.text, info.fileName(), useModel, model, std::move(stop));
}

QString documentText(const QString &path, std::stop_token stop)
{
    return TextExtractor::leftCharacters(TextExtractor::text(path, std::move(stop)).text,
                                         TextExtractor::maxTextCharacters);
}

Recognition recognize(const QString &text, const QString &fileName, bool useModel, const QString &model,
                      std::stop_token stop)
{
    const PatternReader::Result patterns = PatternReader::read(text);
    if (text.trimmed().isEmpty()) {
        Recognition empty = byName(DocumentKind::other, 0.9);
        empty.notes = QStringList{QStringLiteral("no text")};
        return empty;
    }
    // Without a model found before, the one the server offers now reads.
    QString reader = model;
    if (useModel
        && (!reader.isEmpty()
            || ModelStatus::current(true, LocalModelClient::fromEnvironment(), &reader, stop).isAvailable())) {
        try {
            const QString condensed = TextCondenser::condense(text, modelTextLimit);
            const ModelRecognition answer = ModelReader::read(condensed, fileName, reader, stop);
            return crossCheck(answer, patterns, text);
        } catch (const LocalModelError &) {
            // The patterns stand alone.
        }
    }
    return fromPatterns(patterns);
}

Recognition fromPatterns(const PatternReader::Result &result)
{
    QStringList notes;
    double confidence = 0.5;
    if (result.kindScore >= 0.5) {
        confidence = 0.8;
    } else if (result.kindScore >= 0.25) {
        confidence = 0.65;
    } else {
        // Also a score that is no number.
        notes << QStringLiteral("kind unclear");
    }
    if (DocumentKinds::isReceipt(result.kind)) {
        if (!result.total) {
            notes << QStringLiteral("no total found");
            confidence = 0.45;
        }
        if (!result.date) {
            notes << QStringLiteral("no date found");
            confidence = std::min(confidence, 0.45);
        }
    }
    if (!result.sender && result.kind != DocumentKind::other) {
        notes << QStringLiteral("no sender found");
        confidence = std::min(confidence, 0.55);
    }
    Recognition recognition = byName(result.kind, confidence);
    recognition.sender = result.sender;
    recognition.date = result.date;
    if (result.total) {
        recognition.amount = result.total->amount;
        recognition.currency = result.total->currency;
    }
    recognition.title = result.title;
    recognition.notes = notes;
    return recognition;
}

Recognition crossCheck(const ModelRecognition &model, const PatternReader::Result &patterns, const QString &text)
{
    const QString lowerText = text.toLower();
    double confidence = 0.9;
    QStringList notes;

    // Kind: a confident pattern reading outweighs the model.
    const DocumentKind modelKind = DocumentKinds::fromRawValue(model.kind).value_or(DocumentKind::other);
    DocumentKind kind = modelKind;
    if (modelKind != patterns.kind && patterns.kindScore >= 0.5) {
        kind = patterns.kind;
        notes << QStringLiteral("kind: model ") + DocumentKinds::rawValue(modelKind) + QStringLiteral(", patterns ")
                + DocumentKinds::rawValue(patterns.kind);
        confidence = 0.5;
    }

    // Amount and currency; the model's number is a double, rounded to cents.
    std::optional<Decimal> modelAmount;
    if (model.amount > 0)
        modelAmount = Decimal::fromString(QString::asprintf("%.2f", model.amount));
    std::optional<QString> modelCurrency;
    if (!model.currency.isEmpty())
        modelCurrency = model.currency.toUpper();

    std::optional<Decimal> amount;
    std::optional<QString> currency;
    if (!modelAmount) {
        if (patterns.total) {
            amount = patterns.total->amount;
            currency = patterns.total->currency;
            confidence = std::min(confidence, 0.7);
        } else {
            currency = modelCurrency;
        }
    } else if (!patterns.total) {
        amount = modelAmount;
        currency = modelCurrency;
        if (!amongAmounts(patterns.amounts, *modelAmount)) {
            notes << QStringLiteral("amount not found in text");
            confidence = std::min(confidence, 0.5);
        }
    } else if (sameAmount(*modelAmount, patterns.total->amount)) {
        // The model's amount is the text's total: without a currency of its
        // own it is in the total's, not in euros by default.
        amount = modelAmount;
        currency = modelCurrency.value_or(patterns.total->currency);
    } else if (const PatternReader::Money *matched = patterns.total->isTotal ? nullptr
                                                     : matchingAmount(patterns.amounts, *modelAmount)) {
        amount = modelAmount;
        currency = modelCurrency.value_or(matched->currency);
    } else {
        notes << QStringLiteral("amount: model ") + modelAmount->toString() + QStringLiteral(", patterns ")
                + patterns.total->amount.toString();
        amount = patterns.total->amount;
        currency = patterns.total->currency;
        confidence = 0.45;
    }
    if (DocumentKinds::isReceipt(kind) && !amount) {
        notes << QStringLiteral("no total found");
        confidence = 0.45;
    }

    // Date: the model's only when the text holds it.
    std::optional<QDateTime> date = patterns.date;
    if (const std::optional<QDateTime> modelDate = parseISO(model.documentDate)) {
        if (patterns.dates.contains(*modelDate)) {
            date = modelDate;
        } else {
            notes << QStringLiteral("date not found in text");
            confidence = std::min(confidence, 0.45);
        }
    }
    if (DocumentKinds::isReceipt(kind) && !date) {
        notes << QStringLiteral("no date found");
        confidence = std::min(confidence, 0.45);
    }

    // Sender: the model's when the text holds its beginning, its first
    // characters as a reader sees them (a letter with its marks is one), as
    // whole characters of the text: not the start of a letter that bears an
    // accent there, nor flags made of halves of the text's flags.
    std::optional<QString> sender;
    const QString modelSender = model.sender.trimmed();
    if (!modelSender.isEmpty()
        && Graphemes::indexOfWhole(lowerText, Graphemes::left(modelSender, senderCheckCharacters).toLower()) != -1)
        sender = modelSender;
    else if (patterns.sender && !patterns.sender->isEmpty())
        sender = patterns.sender;

    const QString modelTitle = model.title.trimmed();

    if (!currency && amount)
        currency = QStringLiteral("EUR");

    Recognition recognition = byName(kind, confidence);
    recognition.sender = sender;
    recognition.date = date;
    recognition.amount = amount;
    recognition.currency = currency;
    recognition.title = modelTitle.isEmpty() ? patterns.title : std::optional<QString>(modelTitle);
    recognition.source = Recognition::Source::model;
    recognition.notes = notes;
    return recognition;
}

const QSet<QString> &installerExtensions()
{
    static const QSet<QString> extensions{
        QStringLiteral("dmg"), QStringLiteral("pkg"), QStringLiteral("mpkg"), QStringLiteral("iso"),
        QStringLiteral("deb"), QStringLiteral("rpm"), QStringLiteral("appimage"),
        QStringLiteral("flatpakref"), QStringLiteral("snap"), QStringLiteral("run")};
    return extensions;
}

std::optional<QDateTime> fileDate(const QString &path)
{
    const FileTimes times = FileTimes::read(path);
    const std::optional<QDateTime> instant = times.created ? times.created : times.added;
    if (!instant)
        return std::nullopt;
    const QDate local = instant->toLocalTime().date();
    return PatternReader::makeDate(local.year(), local.month(), local.day());
}

std::optional<QDateTime> parseISO(const QString &text)
{
    QList<int> numbers;
    for (const QString &piece : text.split(u'-', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = piece.toInt(&ok, 10);
        // Whole decimal numbers only: no signs, blanks or other characters.
        if (ok && std::all_of(piece.begin(), piece.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            numbers.append(value);
    }
    if (numbers.size() != 3)
        return std::nullopt;
    return PatternReader::makeDate(numbers[0], numbers[1], numbers[2]);
}

} // namespace Recognizer
