<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>MenuCommands</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Go</source>
        <translation>&amp;Gehe zu</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Rules</source>
        <translation>&amp;Regeln</translation>
    </message>
    <message>
        <source>&amp;Journal</source>
        <translation>&amp;Journal</translation>
    </message>
    <message>
        <source>&amp;Folders</source>
        <translation>&amp;Ordner</translation>
    </message>
    <message>
        <source>R&amp;eceipts</source>
        <translation>Be&amp;lege</translation>
    </message>
    <message>
        <source>&amp;New Rule</source>
        <translation>&amp;Neue Regel</translation>
    </message>
    <message>
        <source>&amp;Describe a Rule…</source>
        <translation>&amp;Regel beschreiben …</translation>
    </message>
    <message>
        <source>&amp;Add Folder…</source>
        <translation>&amp;Ordner hinzufügen …</translation>
    </message>
    <message>
        <source>&amp;Settings…</source>
        <translation>&amp;Einstellungen …</translation>
    </message>
    <message>
        <source>Set &amp;Up Filewright…</source>
        <translation>Filewright e&amp;inrichten …</translation>
    </message>
    <message>
        <source>&amp;Close Window</source>
        <translation>&amp;Fenster schließen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Show &amp;Sidebar</source>
        <translation>&amp;Seitenleiste anzeigen</translation>
    </message>
    <message>
        <source>Show &amp;Toolbar</source>
        <translation>Sy&amp;mbolleiste anzeigen</translation>
    </message>
    <message>
        <source>&amp;Command Palette…</source>
        <translation>&amp;Befehlspalette …</translation>
    </message>
    <message>
        <source>&amp;Show Items to Check</source>
        <translation>&amp;Zu prüfende Einträge anzeigen</translation>
    </message>
    <message>
        <source>Filewright &amp;Website</source>
        <translation>Filewright-&amp;Website</translation>
    </message>
    <message>
        <source>Write to &amp;Support…</source>
        <translation>An den &amp;Support schreiben …</translation>
    </message>
    <message>
        <source>Copy &amp;Diagnostics</source>
        <translation>&amp;Diagnose kopieren</translation>
    </message>
    <message>
        <source>Check for &amp;Updates…</source>
        <translation>Nach &amp;Updates suchen …</translation>
    </message>
    <message>
        <source>Show &amp;Panel</source>
        <translation>&amp;Übersicht anzeigen</translation>
    </message>
</context>
</TS>
