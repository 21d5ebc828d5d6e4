<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ActionRow</name>
    <message>
        <source>Choose an Application</source>
        <translation>Programm auswählen</translation>
    </message>
    <message>
        <source>Applications (*.desktop *)</source>
        <translation>Programme (*.desktop *)</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Choose Application</source>
        <translation>Programm auswählen</translation>
    </message>
    <message>
        <source>Move to</source>
        <translation>Verschieben nach</translation>
    </message>
    <message>
        <source>Rename to</source>
        <translation>Umbenennen in</translation>
    </message>
    <message>
        <source>Add tags</source>
        <translation>Markieren mit</translation>
    </message>
    <message>
        <source>Trash after days</source>
        <translation>Nach Tagen in den Papierkorb legen</translation>
    </message>
    <message>
        <source>Open with</source>
        <translation>Öffnen mit</translation>
    </message>
    <message>
        <source>Copy to</source>
        <translation>Kopieren nach</translation>
    </message>
    <message>
        <source>Other Application…</source>
        <translation>Anderes Programm …</translation>
    </message>
</context>
<context>
    <name>ConditionRow</name>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>Vergleich</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Read from the file content by the local language model on this computer</source>
        <translation>Vom lokalen Sprachmodell auf diesem Computer aus dem Dateiinhalt gelesen</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
</context>
<context>
    <name>DescribeRuleField</name>
    <message>
        <source>Describe what should happen, like “Invoices from Downloads to Documents/Invoices by year”</source>
        <translation>Beschreibe, was passieren soll, etwa „Rechnungen aus Downloads nach Dokumente/Rechnungen nach Jahr“</translation>
    </message>
    <message>
        <source>Make Rule</source>
        <translation>Regel erstellen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stoppen</translation>
    </message>
    <message>
        <source>Stop making this rule</source>
        <translation>Erstellen dieser Regel abbrechen</translation>
    </message>
    <message>
        <source>You get a draft to check. It only runs after you accept it.</source>
        <translation>Du bekommst einen Entwurf zum Prüfen. Er läuft erst, wenn du ihn übernimmst.</translation>
    </message>
    <message>
        <source>The local language model could not turn this into a rule. Try a shorter sentence, or build the rule with Ctrl+N.</source>
        <translation>Das lokale Sprachmodell konnte daraus keine Regel machen. Versuche einen kürzeren Satz oder erstelle die Regel mit Strg+N.</translation>
    </message>
</context>
<context>
    <name>DryRunRowView</name>
    <message>
        <source>would wait for you to check</source>
        <translation>würde auf deine Prüfung warten</translation>
    </message>
    <message>
        <source>Reading…</source>
        <translation>Wird gelesen …</translation>
    </message>
    <message>
        <source>No match, stays as it is</source>
        <translation>Passt nicht, bleibt, wie sie ist</translation>
    </message>
</context>
<context>
    <name>DryRunView</name>
    <message>
        <source>Dry Run: %1</source>
        <translation>Probelauf: %1</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Tags: %1</source>
        <translation>Tags: %1</translation>
    </message>
    <message>
        <source>open with %1</source>
        <translation>öffnen mit %1</translation>
    </message>
    <message>
        <source>No Folder</source>
        <translation>Kein Ordner</translation>
    </message>
    <message>
        <source>Folder Not Available</source>
        <translation>Ordner nicht verfügbar</translation>
    </message>
    <message>
        <source>Filewright can no longer open this folder.</source>
        <translation>Filewright kann diesen Ordner nicht mehr öffnen.</translation>
    </message>
    <message>
        <source>No Files</source>
        <translation>Keine Dateien</translation>
    </message>
    <message>
        <source>This folder has no files yet.</source>
        <translation>Dieser Ordner enthält noch keine Dateien.</translation>
    </message>
    <message>
        <source>This rule has no folder to try it on.</source>
        <translation>Diese Regel hat keinen Ordner zum Ausprobieren.</translation>
    </message>
    <message numerus="yes">
        <source>to the Trash after %n day(s)</source>
        <translation>
            <numerusform>nach %n Tag in den Papierkorb</numerusform>
            <numerusform>nach %n Tagen in den Papierkorb</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>What this rule would do with the newest %n file(s). Nothing is changed.</source>
        <translation>
            <numerusform>Was diese Regel mit der neuesten Datei tun würde. Nichts wird verändert.</numerusform>
            <numerusform>Was diese Regel mit den neuesten %n Dateien tun würde. Nichts wird verändert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 match.</source>
        <comment>%1 counts the files tried, as in “5 files”</comment>
        <translation>
            <numerusform>%n von %1 passt.</numerusform>
            <numerusform>%n von %1 passen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <comment>after “of”, as in “2 of 5 files”</comment>
        <translation>
            <numerusform>%n Datei</numerusform>
            <numerusform>%n Dateien</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RuleCard</name>
    <message>
        <source>Active</source>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Edit…</source>
        <translation>Bearbeiten …</translation>
    </message>
    <message>
        <source>Dry Run…</source>
        <translation>Probelauf …</translation>
    </message>
    <message>
        <source>No folder</source>
        <translation>Kein Ordner</translation>
    </message>
    <message>
        <source>Turn this rule off</source>
        <translation>Diese Regel ausschalten</translation>
    </message>
    <message>
        <source>Turn this rule on</source>
        <translation>Diese Regel einschalten</translation>
    </message>
    <message>
        <source>Paused: this rule reads file content and needs the local language model.</source>
        <translation>Angehalten: Diese Regel liest Dateiinhalte und braucht das lokale Sprachmodell.</translation>
    </message>
    <message>
        <source>Allow…</source>
        <translation>Erlauben …</translation>
    </message>
    <message>
        <source>Needs access to %1.</source>
        <translation>Braucht Zugriff auf %1.</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Delete Rule</source>
        <translation>Regel löschen</translation>
    </message>
</context>
<context>
    <name>RuleEditor</name>
    <message>
        <source>New Rule</source>
        <translation>Neue Regel</translation>
    </message>
    <message>
        <source>Edit Rule</source>
        <translation>Regel bearbeiten</translation>
    </message>
    <message>
        <source>Draft from your sentence. Check every line, then accept it.</source>
        <translation>Entwurf aus deinem Satz. Prüfe jede Zeile und übernimm ihn dann.</translation>
    </message>
    <message>
        <source>Rule name</source>
        <translation>Name der Regel</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Wenn</translation>
    </message>
    <message>
        <source>A new file arrives in</source>
        <translation>Eine neue Datei erscheint in</translation>
    </message>
    <message>
        <source>And</source>
        <translation>Und</translation>
    </message>
    <message>
        <source>Every condition must be true.</source>
        <translation>Jede Bedingung muss erfüllt sein.</translation>
    </message>
    <message>
        <source>Add Condition</source>
        <translation>Bedingung hinzufügen</translation>
    </message>
    <message>
        <source>Then</source>
        <translation>Dann</translation>
    </message>
    <message>
        <source>Placeholders: {datum} {jahr} {monat} {absender} {betrag} {waehrung} {art} {titel} {original} {zaehler}. “~” is your home folder.</source>
        <translation>Platzhalter: {datum} {jahr} {monat} {absender} {betrag} {waehrung} {art} {titel} {original} {zaehler}. „~“ ist dein Benutzerordner.</translation>
    </message>
    <message>
        <source>Add Action</source>
        <translation>Aktion hinzufügen</translation>
    </message>
    <message>
        <source>In one sentence</source>
        <translation>In einem Satz</translation>
    </message>
    <message>
        <source>Dry Run…</source>
        <translation>Probelauf …</translation>
    </message>
    <message>
        <source>See what this rule would do with the newest 50 files, without changing anything</source>
        <translation>Sehen, was diese Regel mit den neuesten 50 Dateien tun würde, ohne etwas zu verändern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Accept Rule</source>
        <translation>Regel übernehmen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Choose a folder</source>
        <translation>Ordner auswählen</translation>
    </message>
</context>
<context>
    <name>RuleRow</name>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
</context>
<context>
    <name>RulesPage</name>
    <message>
        <source>New Rule</source>
        <translation>Neue Regel</translation>
    </message>
    <message>
        <source>Build a rule step by step (Ctrl+N)</source>
        <translation>Eine Regel Schritt für Schritt erstellen (Strg+N)</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>Regeln</translation>
    </message>
    <message>
        <source>No Rules</source>
        <translation>Keine Regeln</translation>
    </message>
    <message>
        <source>Describe a rule above, or press Ctrl+N to build one step by step.</source>
        <translation>Beschreibe oben eine Regel oder drücke Strg+N, um eine Schritt für Schritt zu erstellen.</translation>
    </message>
</context>
</TS>
