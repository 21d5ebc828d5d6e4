<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ExternalLink</name>
    <message>
        <source>No mail program could be opened to write to %1.</source>
        <translation>Es ließ sich kein E-Mail-Programm öffnen, um an %1 zu schreiben.</translation>
    </message>
    <message>
        <source>Set up a mail program on this computer, or write to this address from the one you use.</source>
        <translation>Richte auf diesem Computer ein E-Mail-Programm ein oder schreib an diese Adresse mit dem Programm, das du verwendest.</translation>
    </message>
    <message>
        <source>No web browser could be opened for %1.</source>
        <translation>Für %1 ließ sich kein Webbrowser öffnen.</translation>
    </message>
    <message>
        <source>Set up a web browser on this computer, or copy the address into the one you use.</source>
        <translation>Richte auf diesem Computer einen Webbrowser ein oder kopiere die Adresse in den Browser, den du verwendest.</translation>
    </message>
</context>
<context>
    <name>ModelStatusText</name>
    <message>
        <source>The local language model is on. Filewright reads files with the local language model on this computer.</source>
        <translation>Das lokale Sprachmodell ist eingeschaltet. Filewright liest Dateien mit dem lokalen Sprachmodell auf diesem Computer.</translation>
    </message>
    <message>
        <source>This computer cannot run the local language model. Rules by name, type, age, size, and text still work.</source>
        <translation>Dieser Computer kann das lokale Sprachmodell nicht ausführen. Regeln nach Name, Typ, Alter, Größe und Text funktionieren weiterhin.</translation>
    </message>
    <message>
        <source>The local language model is off. Start a local model server to sort by kind, sender, date, and amount.</source>
        <translation>Das lokale Sprachmodell ist ausgeschaltet. Starte einen lokalen Modellserver, um nach Art, Absender, Datum und Betrag zu sortieren.</translation>
    </message>
    <message>
        <source>The local language model is not ready yet. Filewright tries again later.</source>
        <translation>Das lokale Sprachmodell ist noch nicht bereit. Filewright versucht es später erneut.</translation>
    </message>
    <message>
        <source>Reading file content is off in Settings. Rules by name, type, age, size, and text still work.</source>
        <translation>Das Lesen von Dateiinhalten ist in den Einstellungen ausgeschaltet. Regeln nach Name, Typ, Alter, Größe und Text funktionieren weiterhin.</translation>
    </message>
</context>
<context>
    <name>RecognitionLine</name>
    <message>
        <source>recognized</source>
        <translation>erkannt</translation>
    </message>
</context>
<context>
    <name>ReadingNotes</name>
    <message>
        <source>kind unclear</source>
        <translation>Art unklar</translation>
    </message>
    <message>
        <source>no total found</source>
        <translation>kein Gesamtbetrag gefunden</translation>
    </message>
    <message>
        <source>no date found</source>
        <translation>kein Datum gefunden</translation>
    </message>
    <message>
        <source>no sender found</source>
        <translation>kein Absender gefunden</translation>
    </message>
    <message>
        <source>amount not found in text</source>
        <translation>Betrag nicht im Text gefunden</translation>
    </message>
    <message>
        <source>date not found in text</source>
        <translation>Datum nicht im Text gefunden</translation>
    </message>
    <message>
        <source>no text</source>
        <translation>kein Text</translation>
    </message>
    <message>
        <source>kind: language model %1, text patterns %2</source>
        <translation>Art: Sprachmodell %1, Textmuster %2</translation>
    </message>
    <message>
        <source>amount: language model %1, text patterns %2</source>
        <translation>Betrag: Sprachmodell %1, Textmuster %2</translation>
    </message>
</context>
</TS>
