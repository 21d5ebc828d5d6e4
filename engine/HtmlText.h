// The text of a web page, read in one pass without laying the page out: tags
// are dropped, block elements end lines, table cells are separated by tabs,
// character references are decoded (every named one of HTML), Unicode spaces
// become blanks, scripts, styles, the title and comments are left out (a
// comment ends where a browser ends it, and "<?" begins one that the next ">"
// ends), and a text area's content is kept as written. Time grows with
// the input and memory with the text kept, however the page nests its
// elements, and no graphical application object is needed (a text document's
// HTML import needs one, and takes quadratic time on pages that never close
// their elements).
#pragma once

#include <QString>
#include <QStringView>

class TextBudget;

class HtmlText
{
public:
    explicit HtmlText(TextBudget &budget);

    // Reads the next chunk of the page; chunks may split anything anywhere.
    void feed(QStringView chunk);
    // The page has ended: a reference still open is written out.
    void finish();

    // The text of a whole page, at most `characters` characters of it.
    static QString read(QStringView html, int characters);

private:
    enum class State {
        text,
        reference,
        tagOpen,
        endTagOpen, // after "</"
        tagName,
        attributes,
        quoted,
        markup,
        comment,
        bogusComment, // a declaration, "<?...", "</ ..." and the like, up to ">"
        rawText,
    };

    void step(QChar c);
    void put(QChar c);
    void putSpace();
    void endLine();
    void endTag();
    void endReference(bool terminated);
    void releaseRawHeld();

    TextBudget &m_budget;
    State m_state = State::text;
    // A tag name as a number, six bits a letter or digit and case ignored,
    // so that telling what a tag means costs no allocation. Names of more
    // than ten characters mean nothing to the reader.
    struct TagName
    {
        quint64 key = 0;
        int length = 0;

        void add(QChar c);
        bool isKnowable() const { return length > 0 && length <= 10; }
    };

    TagName m_name; // the tag name read so far
    bool m_endTag = false;
    bool m_afterEquals = false; // an attribute's "=" was the last thing read in a tag
    QChar m_quote;              // the quote that closes the attribute value being read
    QString m_reference; // a character reference after "&", at most a few characters
    State m_referenceFrom = State::text; // where the reference began, and reading goes on
    QString m_markup;    // what follows "<!", until it tells a comment from a declaration
    int m_dashes = 0;    // dashes just read inside a comment, at most two
    bool m_bang = false; // a comment's "--!" was just read
    bool m_onlyDashes = false; // the comment so far is nothing but dashes
    TagName m_rawName;   // the element whose content is skipped up to its end tag
    QString m_rawEnd;    // its end tag's beginning, "</" and the name in lower case
    int m_rawMatched = 0; // characters of m_rawEnd matched so far
    QString m_rawHeld;   // those characters as the page wrote them
    bool m_rawKept = false; // the content is text (a text area), not code
    bool m_dropNewline = false; // a text area has just begun
    int m_preformatted = 0;
    bool m_pendingSpace = false;
};
