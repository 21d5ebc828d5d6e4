<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>FolderRow</name>
    <message>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager zeigen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Choose Again…</source>
        <translation>Erneut wählen …</translation>
    </message>
    <message>
        <source>Filewright can no longer open this folder. Pick it once more.</source>
        <translation>Filewright kann diesen Ordner nicht mehr öffnen. Wähle ihn noch einmal.</translation>
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
        <translation>Regeln dürfen Dateien in diese Ordner und ihre Unterordner bewegen und kopieren. Filewright fragt dich einmal pro Ordner.</translation>
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
    <name>MainWindow</name>
    <message>
        <source>Reading %1</source>
        <translation>%1 wird gelesen</translation>
    </message>
    <message>
        <source>Command Palette</source>
        <translation>Befehlspalette</translation>
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
        <translation>Die Belege dieses Monats als ZIP mit einer CSV-Liste sichern</translation>
    </message>
    <message>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager zeigen</translation>
    </message>
    <message>
        <source>No Receipts This Month</source>
        <translation>Keine Belege in diesem Monat</translation>
    </message>
    <message>
        <source>Invoices and receipts that Filewright reads show up here by their document date.</source>
        <translation>Rechnungen und Quittungen, die Filewright liest, erscheinen hier nach ihrem Dokumentdatum.</translation>
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
        <source>%1 of %2 receipts were left out because their files are no longer there.</source>
        <translation>%1 von %2 Belegen wurden ausgelassen, weil ihre Dateien nicht mehr da sind.</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Export fehlgeschlagen</translation>
    </message>
</context>
</TS>
