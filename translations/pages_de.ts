<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>JournalDelegate</name>
    <message>
        <source>Move the file back and remove the tags Filewright added</source>
        <translation>Die Datei zurücklegen und die Tags entfernen, die Filewright hinzugefügt hat</translation>
    </message>
</context>
<context>
    <name>JournalPage</name>
    <message>
        <source>Journal</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Show everything, or only files waiting for you</source>
        <translation>Alles zeigen oder nur Dateien, die auf dich warten</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Please Check</source>
        <translation>Bitte prüfen</translation>
    </message>
    <message>
        <source>Nothing to Check</source>
        <translation>Nichts zu prüfen</translation>
    </message>
    <message>
        <source>Nothing Yet</source>
        <translation>Noch nichts</translation>
    </message>
    <message>
        <source>Files wait here when Filewright is unsure what it read.</source>
        <translation>Hier warten Dateien, wenn Filewright unsicher ist, was es gelesen hat.</translation>
    </message>
    <message>
        <source>When a rule files something, it shows up here. Every step can be undone.</source>
        <translation>Wenn eine Regel etwas ablegt, erscheint es hier. Jeder Schritt lässt sich rückgängig machen.</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager zeigen</translation>
    </message>
</context>
<context>
    <name>JournalRow</name>
    <message>
        <source>%1: tagged, stays in %2</source>
        <translation>%1: markiert, bleibt in %2</translation>
    </message>
    <message>
        <source>%1: was %2, now in %3</source>
        <translation>%1: war %2, jetzt in %3</translation>
    </message>
    <message>
        <source>%1 would file it as %2</source>
        <translation>%1 würde es als %2 ablegen</translation>
    </message>
    <message>
        <source>%1: undone, back in %2</source>
        <translation>%1: rückgängig gemacht, wieder in %2</translation>
    </message>
    <message>
        <source>%1: not filed, still in %2</source>
        <translation>%1: nicht abgelegt, noch in %2</translation>
    </message>
    <message>
        <source>%1: moved to the Trash</source>
        <translation>%1: in den Papierkorb gelegt</translation>
    </message>
    <message>
        <source>%1: skipped, stays in %2</source>
        <translation>%1: übersprungen, bleibt in %2</translation>
    </message>
    <message>
        <source>Please check</source>
        <translation>Bitte prüfen</translation>
    </message>
    <message>
        <source>Undone</source>
        <translation>Rückgängig gemacht</translation>
    </message>
    <message>
        <source>Not done</source>
        <translation>Nicht erledigt</translation>
    </message>
    <message>
        <source>In the Trash</source>
        <translation>Im Papierkorb</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Übersprungen</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message>
        <source>Yesterday</source>
        <translation>Gestern</translation>
    </message>
    <message>
        <source>Check…</source>
        <translation>Prüfen …</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Reading %1</source>
        <translation>%1 wird gelesen</translation>
    </message>
</context>
<context>
    <name>ReviewSheet</name>
    <message>
        <source>Filewright was not sure what it read. Check the values, then file it.</source>
        <translation>Filewright war sich nicht sicher, was es gelesen hat. Prüfe die Werte und lege die Datei dann ab.</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Recognized</source>
        <translation>Erkannt</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Sender</source>
        <translation>Absender</translation>
    </message>
    <message>
        <source>Document date</source>
        <translation>Belegdatum</translation>
    </message>
    <message>
        <source>Amount</source>
        <translation>Betrag</translation>
    </message>
    <message>
        <source>Currency</source>
        <translation>Währung</translation>
    </message>
    <message>
        <source>Recognized by the local language model on this computer. Please check.</source>
        <translation>Vom lokalen Sprachmodell auf diesem Computer erkannt. Bitte prüfen.</translation>
    </message>
    <message>
        <source>Read by text patterns on this computer. Please check.</source>
        <translation>Von Textmustern auf diesem Computer gelesen. Bitte prüfen.</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>Leave the file where it is</source>
        <translation>Die Datei dort lassen, wo sie ist</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>File It</source>
        <translation>Ablegen</translation>
    </message>
</context>
</TS>
