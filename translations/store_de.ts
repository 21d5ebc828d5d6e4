<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
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
        <translation>Belegdatum</translation>
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
        <translation>Gehaltsabrechnung</translation>
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
        <translation>Installer</translation>
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
        <translation>Installer (.deb, .AppImage)</translation>
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
</TS>
