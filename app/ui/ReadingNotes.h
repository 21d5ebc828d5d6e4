// The notes a reading keeps about what it doubted ("amount: model 280.00,
// patterns 312.50", "no date found") are stored in English, as the reader
// wrote them; people read them in the windows' language.
#pragma once

#include <QCoreApplication>
#include <QString>

class ReadingNotes
{
    Q_DECLARE_TR_FUNCTIONS(ReadingNotes)

public:
    // The message of a journal entry as shown: when it is a list of reading
    // notes, each note in the windows' language with kinds and amounts as
    // they read there; a file operation's failure stored in English in the
    // windows' language too; any other message as it is.
    static QString shown(const QString &message);
};
