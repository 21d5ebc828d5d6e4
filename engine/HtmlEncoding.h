// Decoding a web page's bytes as a browser does: a byte order mark decides,
// else the first character set that a <meta> element near the page's start
// declares (its "charset", or its "content" when its "http-equiv" is
// "content-type"; found as the HTML Standard's prescan finds it, so that a
// "charset=" in a comment, a script or another attribute counts for
// nothing) by a label of the Encoding Standard. A declared UTF-16 means
// UTF-8 (a page whose markup reads as ASCII is no UTF-16 page); ISO-8859-1,
// ASCII and x-user-defined mean windows-1252; a label the Standard does not
// know, and a set no page can be written in, are passed over. A page that
// declares nothing is UTF-8 when its bytes are, else windows-1252 (the set
// a browser falls back to for English and German pages): ASCII reads the
// same in both, so the choice waits for the first byte above 0x7F and is
// made on the bytes from there to the end of the piece that holds it. The
// legacy sets are decoded as the Standard decodes them.
#pragma once

#include "TextDecoder.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

class HtmlDecoder
{
public:
    // How many bytes at the page's start are searched for a declaration.
    static constexpr qsizetype prescanBytes = 1024;

    // Chooses the character set from the page's first bytes.
    explicit HtmlDecoder(QByteArrayView start);

    // The text of the next chunk; a character split between chunks comes
    // out whole with the later one.
    QString decode(QByteArrayView chunk);
    // The page has ended: a character cut off at its end becomes U+FFFD;
    // a page that declares nothing and ends inside its first character
    // above 0x7F is windows-1252.
    QString finish();

    // The character set chosen, by its name in the Standard; UTF-8 while a
    // page that declares none has shown only ASCII.
    QByteArray characterSet() const { return m_decoder.name(); }

    // The labels of the character sets that the meta elements among a
    // page's first prescanBytes bytes declare, in lower case and in order;
    // empty when they declare none.
    static QByteArrayList declaredCharacterSets(QByteArrayView start);

private:
    // A piece of a page that declares no character set, read before and
    // when its first byte above 0x7F chooses the set.
    QString readUndeclared(QByteArrayView chunk);

    TextDecoder m_decoder{"UTF-8"};
    qsizetype m_skip = 0; // bytes of a byte order mark still to pass over
    // The page declares no character set, and the bytes so far are ASCII.
    bool m_undecided = false;
    // The start of a character that the end of a piece cut off, when it is
    // the first byte above 0x7F: the next piece decides.
    QByteArray m_held;
};
