<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ActionError</name>
    <message>
        <source>This folder is no longer watched by Filewright.</source>
        <translation>Filewright beobachtet diesen Ordner nicht mehr.</translation>
    </message>
    <message>
        <source>Filewright has no access to this folder. Choose it again under Folders.</source>
        <translation>Filewright hat keinen Zugriff auf diesen Ordner. Wähle ihn unter „Ordner“ erneut aus.</translation>
    </message>
    <message>
        <source>Filewright found no receipts for this month.</source>
        <translation>Filewright hat für diesen Monat keine Belege gefunden.</translation>
    </message>
</context>
<context>
    <name>AutomationActions</name>
    <message>
        <source>Could not create the folder %1: %2</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>A file name must not contain a NUL character.</source>
        <translation>Ein Dateiname darf kein NUL-Zeichen enthalten.</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: not a regular file</source>
        <translation>%1 kann nicht gelesen werden: keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>Cannot read %1: the path is not absolute</source>
        <translation>%1 kann nicht gelesen werden: der Pfad ist nicht absolut</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message numerus="yes">
        <source>Filewright handled %n file(s) in %1.</source>
        <translation>
            <numerusform>Filewright hat %n Datei in %1 verarbeitet.</numerusform>
            <numerusform>Filewright hat %n Dateien in %1 verarbeitet.</numerusform>
        </translation>
    </message>
    <message>
        <source>Filewright was quit before it finished.</source>
        <translation>Filewright wurde beendet, bevor es fertig war.</translation>
    </message>
</context>
<context>
    <name>AutomationClient</name>
    <message>
        <source>Filewright ended before it finished.</source>
        <translation>Filewright hat sich beendet, bevor es fertig war.</translation>
    </message>
</context>
<context>
    <name>AutomationCommand</name>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Clean Up Folder Now</source>
        <translation>Ordner jetzt aufräumen</translation>
    </message>
    <message>
        <source>Recognize File</source>
        <translation>Datei erkennen</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Export Receipts for Month</source>
        <translation>Belege eines Monats exportieren</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Runs the newest files of a watched folder through your rules now. FOLDER is an id that &quot;filewright folders&quot; lists.</source>
        <translation>Wendet deine Regeln jetzt auf die neuesten Dateien eines beobachteten Ordners an. ORDNER ist eine ID, die „filewright folders“ auflistet.</translation>
    </message>
    <message>
        <source>Reads a PDF, image, text or RTF file and tells its kind, sender, date, amount, currency and whether it needs checking, as a &quot;Recognized Document&quot;. The file is neither moved nor kept.</source>
        <translation>Liest eine PDF-, Bild-, Text- oder RTF-Datei und nennt Art, Absender, Datum, Betrag, Währung und ob sie zu prüfen ist, als „Erkanntes Dokument“. Die Datei wird weder verschoben noch aufbewahrt.</translation>
    </message>
    <message>
        <source>Writes the month&apos;s invoices and receipts with their list into a ZIP archive and prints its path. YEAR is from %1 to %2, MONTH from 1 to 12.</source>
        <translation>Schreibt die Rechnungen und Quittungen des Monats mit ihrer Liste in ein ZIP-Archiv und gibt dessen Pfad aus. JAHR liegt zwischen %1 und %2, MONAT zwischen 1 und 12.</translation>
    </message>
    <message>
        <source>Lists the watched folders, oldest first, one &quot;Watched Folder&quot; per line as id, name and path; with ids, only those folders.</source>
        <translation>Listet die beobachteten Ordner, die ältesten zuerst, je Zeile ein „Beobachteter Ordner“ mit ID, Name und Pfad auf; mit IDs nur diese Ordner.</translation>
    </message>
    <message>
        <source>Try &quot;filewright %1 --help&quot;.</source>
        <translation>Siehe „filewright %1 --help“.</translation>
    </message>
    <message>
        <source>Filewright could not start again to read files.</source>
        <translation>Filewright konnte sich zum Lesen von Dateien nicht neu starten.</translation>
    </message>
    <message>
        <source>%1 is not a folder id.</source>
        <translation>%1 ist keine Ordner-ID.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Sender</source>
        <translation>Absender</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
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
        <source>Needs checking</source>
        <translation>Zu prüfen</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>The year must be a number from %1 to %2.</source>
        <translation>Das Jahr muss eine Zahl von %1 bis %2 sein.</translation>
    </message>
    <message>
        <source>The month must be a number from 1 to 12.</source>
        <translation>Der Monat muss eine Zahl von 1 bis 12 sein.</translation>
    </message>
    <message>
        <source>Usage: filewright %1 [options] %2</source>
        <translation>Aufruf: filewright %1 [Optionen] %2</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Optionen:</translation>
    </message>
    <message>
        <source>Print the result as JSON.</source>
        <translation>Das Ergebnis als JSON ausgeben.</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Diese Hilfe anzeigen.</translation>
    </message>
    <message>
        <source>Run a watched folder&apos;s newest files through your rules now.</source>
        <translation>Die neuesten Dateien eines beobachteten Ordners jetzt nach deinen Regeln ablegen.</translation>
    </message>
    <message>
        <source>Tell a file&apos;s kind, sender, date, amount and currency.</source>
        <translation>Art, Absender, Datum, Betrag und Währung einer Datei nennen.</translation>
    </message>
    <message>
        <source>Write a month&apos;s receipts into a ZIP archive.</source>
        <translation>Die Belege eines Monats in ein ZIP-Archiv schreiben.</translation>
    </message>
    <message>
        <source>List the watched folders.</source>
        <translation>Die beobachteten Ordner auflisten.</translation>
    </message>
    <message>
        <source>Usage: filewright [COMMAND [options] [ARGUMENTS]]</source>
        <translation>Aufruf: filewright [BEFEHL [Optionen] [ARGUMENTE]]</translation>
    </message>
    <message>
        <source>Without a command, Filewright starts.</source>
        <translation>Ohne Befehl startet Filewright.</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>Befehle:</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Die Version anzeigen.</translation>
    </message>
    <message>
        <source>&quot;filewright COMMAND --help&quot; tells more about a command.</source>
        <translation>„filewright BEFEHL --help“ erklärt einen Befehl genauer.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a Filewright command.</source>
        <translation>„%1“ ist kein Befehl von Filewright.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an option of Filewright.</source>
        <translation>„%1“ ist keine Option von Filewright.</translation>
    </message>
    <message>
        <source>The command &quot;%1&quot; comes first, before any option.</source>
        <translation>Der Befehl „%1“ steht vorn, vor jeder Option.</translation>
    </message>
    <message>
        <source>Another Filewright process is working with the store. Try again when it has finished.</source>
        <translation>Ein anderer Filewright-Prozess arbeitet mit dem Datenspeicher. Versuche es erneut, wenn er fertig ist.</translation>
    </message>
</context>
<context>
    <name>AutomationService</name>
    <message>
        <source>%1 is not a folder id.</source>
        <translation>%1 ist keine Ordner-ID.</translation>
    </message>
    <message>
        <source>The year must lie between %1 and %2 and the month between 1 and 12.</source>
        <translation>Das Jahr muss zwischen %1 und %2 liegen und der Monat zwischen 1 und 12.</translation>
    </message>
</context>
<context>
    <name>MetricsStore</name>
    <message>
        <source>%1 s</source>
        <comment>a hang&apos;s duration in seconds</comment>
        <translation>%1 s</translation>
    </message>
</context>
</TS>
