<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AppModel</name>
    <message>
        <source>Filewright looks at new files in this folder and runs your rules on them.</source>
        <translation>Filewright schaut sich neue Dateien in diesem Ordner an und wendet deine Regeln auf sie an.</translation>
    </message>
    <message>
        <source>Rules may file into this folder and its subfolders.</source>
        <translation>Regeln dürfen in diesen Ordner und seine Unterordner ablegen.</translation>
    </message>
    <message>
        <source>Watch Folder</source>
        <translation>Ordner beobachten</translation>
    </message>
    <message>
        <source>Allow Access</source>
        <translation>Zugriff erlauben</translation>
    </message>
    <message>
        <source>New Rule</source>
        <translation>Neue Regel</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>einem Ordner</translation>
    </message>
    <message>
        <source>Cleaning up %1…</source>
        <translation>%1 wird aufgeräumt …</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n file(s) handled</source>
        <translation>
            <numerusform>%1: %n Datei verarbeitet</numerusform>
            <numerusform>%1: %n Dateien verarbeitet</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Condition</name>
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
        <translation>Dokumentdatum</translation>
    </message>
    <message>
        <source>Amount</source>
        <translation>Betrag</translation>
    </message>
    <message>
        <source>File type</source>
        <translation>Dateityp</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Age in days</source>
        <translation>Alter in Tagen</translation>
    </message>
    <message>
        <source>Size in MB</source>
        <translation>Größe in MB</translation>
    </message>
    <message>
        <source>Document text</source>
        <translation>Dokumenttext</translation>
    </message>
    <message>
        <source>is</source>
        <translation>ist</translation>
    </message>
    <message>
        <source>is not</source>
        <translation>ist nicht</translation>
    </message>
    <message>
        <source>contains</source>
        <translation>enthält</translation>
    </message>
    <message>
        <source>does not contain</source>
        <translation>enthält nicht</translation>
    </message>
    <message>
        <source>starts with</source>
        <translation>beginnt mit</translation>
    </message>
    <message>
        <source>ends with</source>
        <translation>endet mit</translation>
    </message>
    <message>
        <source>is over</source>
        <translation>ist über</translation>
    </message>
    <message>
        <source>is under</source>
        <translation>ist unter</translation>
    </message>
    <message>
        <source>is before</source>
        <translation>ist vor</translation>
    </message>
    <message>
        <source>is after</source>
        <translation>ist nach</translation>
    </message>
</context>
<context>
    <name>DocumentKind</name>
    <message>
        <source>Invoice</source>
        <translation>Rechnung</translation>
    </message>
    <message>
        <source>Receipt</source>
        <translation>Quittung</translation>
    </message>
    <message>
        <source>Contract</source>
        <translation>Vertrag</translation>
    </message>
    <message>
        <source>Bank statement</source>
        <translation>Kontoauszug</translation>
    </message>
    <message>
        <source>Payslip</source>
        <translation>Lohnabrechnung</translation>
    </message>
    <message>
        <source>Letter</source>
        <translation>Brief</translation>
    </message>
    <message>
        <source>Screenshot</source>
        <translation>Bildschirmfoto</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>Foto</translation>
    </message>
    <message>
        <source>Installer</source>
        <translation>Installationsprogramm</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Sonstiges</translation>
    </message>
</context>
<context>
    <name>FileCategory</name>
    <message>
        <source>PDF</source>
        <translation>PDF</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Screenshot</source>
        <translation>Bildschirmfoto</translation>
    </message>
    <message>
        <source>Installer (.deb, .AppImage)</source>
        <translation>Installationsprogramm (.deb, .AppImage)</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>Dokument</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
</context>
<context>
    <name>FilewrightApp</name>
    <message>
        <source>Show Panel</source>
        <translation>Übersicht anzeigen</translation>
    </message>
</context>
<context>
    <name>MenuCommands</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Close Window</source>
        <translation>Fenster schließen</translation>
    </message>
    <message>
        <source>New Rule</source>
        <translation>Neue Regel</translation>
    </message>
    <message>
        <source>Describe a Rule…</source>
        <translation>Regel beschreiben …</translation>
    </message>
    <message>
        <source>Add Folder…</source>
        <translation>Ordner hinzufügen …</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Set Up Filewright…</source>
        <translation>Filewright einrichten …</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Show Sidebar</source>
        <translation>Seitenleiste anzeigen</translation>
    </message>
    <message>
        <source>Show Status Bar</source>
        <translation>Statusleiste anzeigen</translation>
    </message>
    <message>
        <source>&amp;Go</source>
        <translation>&amp;Gehe zu</translation>
    </message>
    <message>
        <source>Command Palette…</source>
        <translation>Befehlspalette …</translation>
    </message>
    <message>
        <source>Show Items to Check</source>
        <translation>Zu prüfende Einträge anzeigen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Filewright Website</source>
        <translation>Filewright-Website</translation>
    </message>
    <message>
        <source>Write to Support…</source>
        <translation>An den Support schreiben …</translation>
    </message>
    <message>
        <source>Copy Diagnostics</source>
        <translation>Diagnose kopieren</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen …</translation>
    </message>
</context>
<context>
    <name>SettingsTab</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Names</source>
        <translation>Namen</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Darstellung</translation>
    </message>
</context>
<context>
    <name>SidebarItem</name>
    <message>
        <source>Rules</source>
        <translation>Regeln</translation>
    </message>
    <message>
        <source>Journal</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Receipts</source>
        <translation>Belege</translation>
    </message>
</context>
</TS>
