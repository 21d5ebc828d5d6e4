<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>MenuBarPanel</name>
    <message>
        <source>Open Filewright</source>
        <translation>Filewright öffnen</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Filewright Settings</source>
        <translation>Filewright-Einstellungen</translation>
    </message>
</context>
</TS>
