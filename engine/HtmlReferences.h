// The named character references of HTML ("&amp;", "&rarr;", "&AMP;" ...),
// as the standard lists them. The table is generated; see
// scripts/generate-html-references.
#pragma once

#include <QStringView>

#include <span>

namespace HtmlReferences {

struct Reference
{
    const char *name; // without the closing semicolon; case matters
    char32_t first;
    char32_t second;         // 0 for the references of one code point
    bool withoutSemicolon;   // a legacy name that counts without ";" too
};

// Every reference, sorted by the bytes of its name.
std::span<const Reference> all();

// The reference of exactly that name, or null.
const Reference *find(QStringView name);

} // namespace HtmlReferences
