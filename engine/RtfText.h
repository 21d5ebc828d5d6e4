// The text of a rich-text document, read by a small reader of our own: groups,
// control words and hex escapes; destinations (font tables, styles, pictures,
// "\*" groups ...) are skipped. It reads the file a chunk at a time, keeps
// only the text, and stops once the text is long enough.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

class TextBudget;

class RtfText
{
public:
    explicit RtfText(TextBudget &budget);

    // Reads the next chunk of the file; chunks may split anything anywhere.
    void feed(QByteArrayView chunk);
    // The file has ended.
    void finish();

private:
    struct Group
    {
        bool skip = false;
        int unicodeSkip = 1;
    };

    // Reads what it can of `data` and returns how much it read: at the end of
    // a chunk a control word may be incomplete and waits for the next.
    qsizetype parse(QByteArrayView data, bool last);
    qsizetype controlWord(QByteArrayView data, qsizetype start);
    void apply(QByteArrayView word, bool hasNumber, int number);
    void put(QChar c);

    TextBudget &m_budget;
    QByteArray m_carry;
    bool m_checked = false;
    bool m_isRtf = false;
    QList<Group> m_groups{Group{}};
    qsizetype m_deeper = 0; // groups nested beyond the depth kept; their content is skipped
    int m_pendingSkip = 0;  // fallback characters still to drop after "\u"
};
