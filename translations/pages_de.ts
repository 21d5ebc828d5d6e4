<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>FolderRow</name>
    <message>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager anzeigen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Choose Again…</source>
        <translation>Erneut auswählen …</translation>
    </message>
    <message>
        <source>Filewright can no longer open this folder. Pick it once more.</source>
        <translation>Filewright kann diesen Ordner nicht mehr öffnen. Wähle ihn noch einmal aus.</translation>
    </message>
    <message>
        <source>Subfolders</source>
        <translation>Unterordner</translation>
    </message>
    <message>
        <source>Also look at new files in subfolders</source>
        <translation>Auch neue Dateien in Unterordnern ansehen</translation>
    </message>
    <message>
        <source>Watch</source>
        <translation>Beobachten</translation>
    </message>
</context>
<context>
    <name>FoldersPage</name>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Watch another folder (Ctrl+O)</source>
        <translation>Einen weiteren Ordner beobachten (Strg+O)</translation>
    </message>
    <message>
        <source>Watched folders</source>
        <translation>Beobachtete Ordner</translation>
    </message>
    <message>
        <source>Filewright looks at new files here. Downloads and Desktop are the usual ones.</source>
        <translation>Filewright schaut sich hier neue Dateien an. Üblich sind Downloads und Schreibtisch.</translation>
    </message>
    <message>
        <source>Add Folder…</source>
        <translation>Ordner hinzufügen …</translation>
    </message>
    <message>
        <source>Places</source>
        <translation>Orte</translation>
    </message>
    <message>
        <source>Rules may move and copy files into these folders and their subfolders. Filewright asks you once per folder.</source>
        <translation>Regeln dürfen Dateien in diese Ordner und ihre Unterordner verschieben und kopieren. Filewright fragt dich einmal pro Ordner.</translation>
    </message>
    <message>
        <source>Allow a Place…</source>
        <translation>Einen Ort erlauben …</translation>
    </message>
    <message>
        <source>Reading file content</source>
        <translation>Dateiinhalt lesen</translation>
    </message>
</context>
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
        <translation>Alles anzeigen oder nur Dateien, die auf dich warten</translation>
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
        <translation>Im Dateimanager anzeigen</translation>
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
        <translation>%1 würde sie als %2 ablegen</translation>
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
        <source>Not filed, still in %1</source>
        <translation>Nicht abgelegt, noch in %1</translation>
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
        <translation>Nicht ausgeführt</translation>
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
    <message>
        <source>Working…</source>
        <translation>In Arbeit …</translation>
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
    <name>MonthExport</name>
    <message>
        <source>Could not write the archive into “%1”: %2</source>
        <translation>Das Archiv konnte nicht in „%1“ geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Could not write the archive “%1”: %2</source>
        <translation>Das Archiv „%1“ konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>ReceiptsModel</name>
    <message>
        <source>Changed by you</source>
        <translation>Von dir geändert</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Sender</source>
        <translation>Absender</translation>
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
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
</context>
<context>
    <name>ReceiptsPage</name>
    <message>
        <source>Receipts</source>
        <translation>Belege</translation>
    </message>
    <message>
        <source>Archive saved</source>
        <translation>Archiv gesichert</translation>
    </message>
    <message>
        <source>No file manager could show the archive. It is saved as %1.</source>
        <translation>Kein Dateimanager konnte das Archiv zeigen. Es ist unter %1 gesichert.</translation>
    </message>
    <message>
        <source>Set up a file manager on this computer, or open this path in the one you use.</source>
        <translation>Richte auf diesem Computer einen Dateimanager ein, oder öffne diesen Pfad in dem, den du verwendest.</translation>
    </message>
    <message>
        <source>Previous Month</source>
        <translation>Vorheriger Monat</translation>
    </message>
    <message>
        <source>Next Month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>Export Month…</source>
        <translation>Monat exportieren …</translation>
    </message>
    <message>
        <source>Save the receipts of this month as a ZIP with a CSV list</source>
        <translation>Die Belege dieses Monats als ZIP mit einer CSV-Liste speichern</translation>
    </message>
    <message>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager anzeigen</translation>
    </message>
    <message>
        <source>No Receipts This Month</source>
        <translation>Keine Belege in diesem Monat</translation>
    </message>
    <message>
        <source>Invoices and receipts that Filewright reads show up here by their document date.</source>
        <translation>Rechnungen und Quittungen, die Filewright liest, erscheinen hier nach ihrem Belegdatum.</translation>
    </message>
    <message>
        <source>Recognized by the local language model on this computer. Please check.</source>
        <translation>Vom lokalen Sprachmodell auf diesem Computer erkannt. Bitte prüfen.</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Export Month</source>
        <translation>Monat exportieren</translation>
    </message>
    <message>
        <source>ZIP archive (*.zip)</source>
        <translation>ZIP-Archiv (*.zip)</translation>
    </message>
    <message>
        <source>The ZIP holds the files and a CSV list for a spreadsheet or your tax adviser.</source>
        <translation>Das ZIP enthält die Dateien und eine CSV-Liste für eine Tabellenkalkulation oder deine Steuerberatung.</translation>
    </message>
    <message>
        <source>Exporting the receipts of %1…</source>
        <translation>Die Belege von %1 werden exportiert …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Some receipts were left out</source>
        <translation>Einige Belege wurden ausgelassen</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Export fehlgeschlagen</translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 were left out because their files are no longer there.</source>
        <comment>%1 counts the receipts, as in “5 receipts”</comment>
        <translation>
            <numerusform>%n von %1 wurde ausgelassen, weil seine Datei nicht mehr da ist.</numerusform>
            <numerusform>%n von %1 wurden ausgelassen, weil ihre Dateien nicht mehr da sind.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n receipt(s)</source>
        <comment>after “of”, as in “2 of 5 receipts”</comment>
        <translation>
            <numerusform>%n Beleg</numerusform>
            <numerusform>%n Belegen</numerusform>
        </translation>
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
        <source>The year in %1 is not complete; the document keeps no date.</source>
        <translation>Das Jahr in %1 ist unvollständig; das Dokument bleibt ohne Datum.</translation>
    </message>
    <message>
        <source>There is no %1; the document keeps no date.</source>
        <translation>Den %1 gibt es nicht; das Dokument bleibt ohne Datum.</translation>
    </message>
    <message>
        <source>%1 is before the year %2; the document keeps no date.</source>
        <translation>%1 liegt vor dem Jahr %2; das Dokument bleibt ohne Datum.</translation>
    </message>
    <message>
        <source>%1 is after the year %2; the document keeps no date.</source>
        <translation>%1 liegt nach dem Jahr %2; das Dokument bleibt ohne Datum.</translation>
    </message>
    <message>
        <source>The year in %1 is not complete; the date stays %2.</source>
        <translation>Das Jahr in %1 ist unvollständig; das Datum bleibt %2.</translation>
    </message>
    <message>
        <source>There is no %1; the date stays %2.</source>
        <translation>Den %1 gibt es nicht; das Datum bleibt %2.</translation>
    </message>
    <message>
        <source>%1 is before the year %2; the date stays %3.</source>
        <translation>%1 liegt vor dem Jahr %2; das Datum bleibt %3.</translation>
    </message>
    <message>
        <source>%1 is after the year %2; the date stays %3.</source>
        <translation>%1 liegt nach dem Jahr %2; das Datum bleibt %3.</translation>
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
