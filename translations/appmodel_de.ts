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
