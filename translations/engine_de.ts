<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>FileOperationError</name>
    <message>
        <source>The file is no longer at %1. It was moved or renamed after Filewright filed it.</source>
        <translation>Die Datei liegt nicht mehr unter %1. Sie wurde verschoben oder umbenannt, nachdem Filewright sie abgelegt hat.</translation>
    </message>
    <message>
        <source>The tags of “%1” couldn’t be read.</source>
        <translation>Die Tags von „%1“ konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The tags of “%1” couldn’t be saved because its file system cannot store tags.</source>
        <translation>Die Tags von „%1“ konnten nicht geschrieben werden, weil das Dateisystem der Datei keine Tags aufnehmen kann.</translation>
    </message>
    <message>
        <source>The tags of “%1” couldn’t be saved: %2.</source>
        <translation>Die Tags von „%1“ konnten nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>The folder “%1” couldn’t be created: %2.</source>
        <translation>Der Ordner „%1“ konnte nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>“%1” couldn’t be moved to “%2”: %3.</source>
        <translation>„%1“ konnte nicht nach „%2“ verschoben werden: %3.</translation>
    </message>
    <message>
        <source>“%1” was copied to “%2”, but the original couldn’t be removed completely.</source>
        <translation>„%1“ wurde nach „%2“ kopiert, aber das Original konnte nicht ganz entfernt werden.</translation>
    </message>
    <message>
        <source>“%1” couldn’t be copied to “%2”: %3.</source>
        <translation>„%1“ konnte nicht nach „%2“ kopiert werden: %3.</translation>
    </message>
    <message>
        <source>“%1” couldn’t be moved to the Trash: %2.</source>
        <translation>„%1“ konnte nicht in den Papierkorb gelegt werden: %2.</translation>
    </message>
    <message>
        <source>an item with the same name already exists</source>
        <translation>ein Objekt mit demselben Namen ist schon vorhanden</translation>
    </message>
    <message>
        <source>no Trash folder could be used on its file system</source>
        <translation>auf dem Dateisystem der Datei war kein Papierkorb nutzbar</translation>
    </message>
    <message>
        <source>“%1” is no longer in %2.</source>
        <translation>„%1“ liegt nicht mehr in %2.</translation>
    </message>
</context>
<context>
    <name>ReceiptExport</name>
    <message>
        <source>Several files in “%1” have names that read as “%2”. Rename them and export again.</source>
        <translation>Mehrere Dateien in „%1“ haben Namen, die sich als „%2“ lesen. Benenne sie um und exportiere noch einmal.</translation>
    </message>
    <message>
        <source>Could not write the archive into “%1”: %2</source>
        <translation>Das Archiv konnte nicht in „%1“ geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Could not write “%1”: %2</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Could not write the archive “%1”: %2</source>
        <translation>Das Archiv „%1“ konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Could not find a free name for the archive.</source>
        <translation>Für das Archiv wurde kein freier Name gefunden.</translation>
    </message>
    <message>
        <source>The export was cancelled.</source>
        <translation>Der Export wurde abgebrochen.</translation>
    </message>
</context>
<context>
    <name>ZipWriter</name>
    <message>
        <source>The archive has no valid date to stamp its entries with.</source>
        <translation>Das Archiv hat kein gültiges Datum für seine Einträge.</translation>
    </message>
    <message>
        <source>The date %1 cannot be stamped into a ZIP archive, which holds the years 1980 to 2107 only.</source>
        <translation>Das Datum %1 passt nicht in ein ZIP-Archiv, das nur die Jahre 1980 bis 2107 kennt.</translation>
    </message>
    <message>
        <source>“%1” cannot be the name of a file in a ZIP archive.</source>
        <translation>„%1“ kann nicht der Name einer Datei in einem ZIP-Archiv sein.</translation>
    </message>
    <message>
        <source>The archive would hold more than 65,535 entries, more than a ZIP archive can list.</source>
        <translation>Das Archiv hätte mehr als 65.535 Einträge, mehr als ein ZIP-Archiv verzeichnen kann.</translation>
    </message>
    <message>
        <source>The name “%1” is longer than the 65,535 bytes a ZIP archive allows.</source>
        <translation>Der Name „%1“ ist länger als die 65.535 Bytes, die ein ZIP-Archiv erlaubt.</translation>
    </message>
    <message>
        <source>The archive would be larger than 4 GiB with “%1”, more than a ZIP archive can hold.</source>
        <translation>Mit „%1“ wäre das Archiv größer als 4 GiB, mehr als ein ZIP-Archiv fassen kann.</translation>
    </message>
    <message>
        <source>Could not write “%1”: %2</source>
        <translation>„%1“ konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
</TS>
