<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Autopilot</name>
    <message>
        <source>Filewright could not keep access to %1.</source>
        <translation>Filewright konnte den Zugriff auf %1 nicht behalten.</translation>
    </message>
    <message>
        <source>Please check</source>
        <translation>Bitte prüfen</translation>
    </message>
    <message>
        <source>%1 is waiting for you in the journal.</source>
        <translation>%1 wartet im Journal auf dich.</translation>
    </message>
    <message>
        <source>No access to %1. Add the folder under Folders &gt; Places.</source>
        <translation>Kein Zugriff auf %1. Füge den Ordner unter Ordner &gt; Orte hinzu.</translation>
    </message>
    <message>
        <source>Filed as %1</source>
        <translation>Abgelegt als %1</translation>
    </message>
</context>
<context>
    <name>FilePass</name>
    <message>
        <source>The file&apos;s name is not valid UTF-8, so Filewright cannot file it. Rename the file to have it filed.</source>
        <translation>Der Name der Datei ist kein gültiges UTF-8, daher kann Filewright sie nicht ablegen. Benenne die Datei um, damit sie abgelegt wird.</translation>
    </message>
</context>
</TS>
