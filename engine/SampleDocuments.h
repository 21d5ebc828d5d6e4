// Twenty built-in sample documents from fictional firms, each with the
// recognition it is meant to yield. The self-test and the seed data of test
// stores write them as files; the writers live in SampleDocumentFiles.
#pragma once

#include "Decimal.h"
#include "Recognition.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace SampleDocuments {

// How a sample is rendered.
enum class Style {
    text, // a one-page PDF with real text
    scan, // a one-page PDF whose only content is a picture of the text
    photo, // a JPEG picture of a sheet of paper lying slightly rotated on a grey surface
};

// What reading the sample is meant to yield.
struct Expected
{
    DocumentKind kind = DocumentKind::other;
    std::optional<QString> sender;
    std::optional<QString> date; // the document date as "2026-10-12"
    std::optional<Decimal> amount; // the total
    std::optional<QString> currency; // ISO 4217 code

    friend bool operator==(const Expected &, const Expected &) = default;
};

struct Sample
{
    QString fileName; // extension included
    Style style = Style::text;
    QStringList lines; // one text per line; an empty text is an empty line
    Expected expected;

    friend bool operator==(const Sample &, const Sample &) = default;
};

// The twenty samples, in their fixed order; built once, never changed.
const QList<Sample> &all();

} // namespace SampleDocuments
