<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AccentPreview</name>
    <message>
        <source>Preview of the accent color</source>
        <translation>Vorschau der Akzentfarbe</translation>
    </message>
    <message>
        <source>Inbox</source>
        <translation>Eingang</translation>
    </message>
    <message>
        <source>1 left</source>
        <translation>1 offen</translation>
    </message>
    <message>
        <source>Add Task</source>
        <translation>Aufgabe hinzufügen</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Fokus</translation>
    </message>
</context>
<context>
    <name>AppearanceSettings</name>
    <message>
        <source>Accent color</source>
        <translation>Akzentfarbe</translation>
    </message>
</context>
<context>
    <name>CommandPalette</name>
    <message>
        <source>Command Palette</source>
        <translation>Befehlspalette</translation>
    </message>
    <message>
        <source>Rules, folders, pages</source>
        <translation>Regeln, Ordner, Seiten</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>Keine Treffer</translation>
    </message>
    <message>
        <source>Go to %1</source>
        <translation>Gehe zu: %1</translation>
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
        <source>Show Items to Check</source>
        <translation>Zu prüfende Einträge anzeigen</translation>
    </message>
    <message>
        <source>Clean Up %1 Now</source>
        <translation>%1 jetzt aufräumen</translation>
    </message>
    <message>
        <source>Edit Rule “%1”</source>
        <translation>Regel „%1“ bearbeiten</translation>
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
        <source>Copy Diagnostics</source>
        <translation>Diagnose kopieren</translation>
    </message>
</context>
<context>
    <name>GeneralSettings</name>
    <message>
        <source>Recognition</source>
        <translation>Erkennung</translation>
    </message>
    <message>
        <source>Read file content with the local language model</source>
        <translation>Dateiinhalt mit dem lokalen Sprachmodell lesen</translation>
    </message>
    <message>
        <source>The local language model runs on this computer. Files and their text stay here.</source>
        <translation>Das lokale Sprachmodell läuft auf diesem Computer. Dateien und ihr Text bleiben hier.</translation>
    </message>
    <message>
        <source>Autopilot</source>
        <translation>Autopilot</translation>
    </message>
    <message>
        <source>3 seconds</source>
        <translation>3 Sekunden</translation>
    </message>
    <message>
        <source>10 seconds</source>
        <translation>10 Sekunden</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>Wait before acting</source>
        <translation>Wartezeit vor dem Ausführen</translation>
    </message>
    <message>
        <source>Notify me when a file is filed</source>
        <translation>Benachrichtigen, wenn eine Datei abgelegt wurde</translation>
    </message>
    <message>
        <source>Open at login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
    <message>
        <source>A file must stay unchanged this long before a rule runs, so downloads can finish.</source>
        <translation>So lange muss eine Datei unverändert bleiben, bevor eine Regel läuft, damit Downloads fertig werden.</translation>
    </message>
</context>
<context>
    <name>LoginItem</name>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Could not create the folder %1: %2</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Could not remove %1: %2</source>
        <translation>%1 konnte nicht entfernt werden: %2</translation>
    </message>
</context>
<context>
    <name>MenuBarPanel</name>
    <message>
        <source>Open Filewright</source>
        <translation>Filewright öffnen</translation>
    </message>
    <message>
        <source>Nothing filed yet. New files in your watched folders show up here.</source>
        <translation>Noch nichts abgelegt. Neue Dateien in deinen beobachteten Ordnern erscheinen hier.</translation>
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
    <message numerus="yes">
        <source>%n to Check</source>
        <translation>
            <numerusform>%n zu prüfen</numerusform>
            <numerusform>%n zu prüfen</numerusform>
        </translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
</context>
<context>
    <name>NameSettings</name>
    <message>
        <source>File names</source>
        <translation>Dateinamen</translation>
    </message>
    <message>
        <source>German (Rechnung, Quittung)</source>
        <translation>Deutsch (Rechnung, Quittung)</translation>
    </message>
    <message>
        <source>English (Invoice, Receipt)</source>
        <translation>Englisch (Invoice, Receipt)</translation>
    </message>
    <message>
        <source>Words in names</source>
        <translation>Wörter in Namen</translation>
    </message>
    <message>
        <source>Date format</source>
        <translation>Datumsformat</translation>
    </message>
    <message>
        <source>Example</source>
        <translation>Beispiel</translation>
    </message>
    <message>
        <source>For {art}, {datum}, and {betrag} in rename and move actions.</source>
        <translation>Für {art}, {datum} und {betrag} beim Umbenennen und Verschieben.</translation>
    </message>
</context>
<context>
    <name>OnboardingView</name>
    <message>
        <source>Set Up Filewright</source>
        <translation>Filewright einrichten</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Welcome to Filewright</source>
        <translation>Willkommen bei Filewright</translation>
    </message>
    <message>
        <source>Filewright reads the new files in the folders you choose, recognizes what they are and files them by your rules.</source>
        <translation>Filewright liest die neuen Dateien in den Ordnern, die du auswählst, erkennt, was sie sind, und legt sie nach deinen Regeln ab.</translation>
    </message>
    <message>
        <source>Everything happens on this computer. No file and no text leaves it.</source>
        <translation>Alles geschieht auf diesem Computer. Keine Datei und kein Text verlässt ihn.</translation>
    </message>
    <message>
        <source>Every rule shows as a sentence, with a dry run before it runs.</source>
        <translation>Jede Regel erscheint als Satz, mit einem Probelauf, bevor sie läuft.</translation>
    </message>
    <message>
        <source>Every step lands in the journal and can be undone.</source>
        <translation>Jeder Schritt landet im Journal und lässt sich rückgängig machen.</translation>
    </message>
    <message>
        <source>Which folders should Filewright watch?</source>
        <translation>Welche Ordner soll Filewright beobachten?</translation>
    </message>
    <message>
        <source>You pick each folder once. Filewright only looks at the new files there and never deletes anything for good.</source>
        <translation>Du wählst jeden Ordner einmal aus. Filewright schaut sich dort nur die neuen Dateien an und löscht nie etwas endgültig.</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Invoices, installers, and other downloads.</source>
        <translation>Rechnungen, Installer und andere Downloads.</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Schreibtisch</translation>
    </message>
    <message>
        <source>Screenshots land here.</source>
        <translation>Bildschirmfotos landen hier.</translation>
    </message>
    <message>
        <source>Start with these rules?</source>
        <translation>Mit diesen Regeln beginnen?</translation>
    </message>
    <message>
        <source>They start switched on. You can change or remove each one later.</source>
        <translation>Sie sind zu Beginn eingeschaltet. Du kannst jede später ändern oder entfernen.</translation>
    </message>
    <message>
        <source>Tell you when it files something?</source>
        <translation>Dir Bescheid geben, wenn etwas abgelegt wird?</translation>
    </message>
    <message>
        <source>A short notification says what Filewright read and where the file went, and when a file waits for you to check it.</source>
        <translation>Eine kurze Benachrichtigung sagt, was Filewright gelesen hat und wohin die Datei kam, und meldet sich, wenn eine Datei darauf wartet, dass du sie prüfst.</translation>
    </message>
    <message>
        <source>Allow Notifications…</source>
        <translation>Benachrichtigungen erlauben …</translation>
    </message>
    <message>
        <source>Rules that file into Documents or Pictures ask for access to those folders on their card.</source>
        <translation>Regeln, die in Dokumente oder Bilder ablegen, bitten auf ihrer Karte um Zugriff auf diese Ordner.</translation>
    </message>
    <message>
        <source>Change…</source>
        <translation>Ändern …</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Auswählen …</translation>
    </message>
    <message>
        <source>Step %1 of %2</source>
        <translation>Schritt %1 von %2</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Los geht’s</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Asked</source>
        <translation>Gefragt</translation>
    </message>
    <message>
        <source>Filewright</source>
        <translation>Filewright</translation>
    </message>
    <message>
        <source>Notifications are on. Filewright tells you here when it files something.</source>
        <translation>Benachrichtigungen sind eingeschaltet. Filewright sagt dir hier Bescheid, wenn es etwas ablegt.</translation>
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
