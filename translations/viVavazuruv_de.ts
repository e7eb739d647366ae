<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CaughtError</name>
    <message>
        <source>The host raised an error that carries no description.</source>
        <translation>Die Host-Anwendung hat einen Fehler ohne Beschreibung gemeldet.</translation>
    </message>
</context>
<context>
    <name>Connection</name>
    <message>
        <source>The host lent no database connection.</source>
        <translation>Die Host-Anwendung hat keine Datenbankverbindung bereitgestellt.</translation>
    </message>
    <message>
        <source>The host&apos;s database connection &quot;%1&quot; is not open.</source>
        <translation>Die Datenbankverbindung „%1“ der Host-Anwendung ist nicht geöffnet.</translation>
    </message>
    <message>
        <source>The statement failed: %1</source>
        <translation>Die Anweisung ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>CopiedRows</name>
    <message>
        <source>A value of %1 bytes is too long to read.</source>
        <translation>Ein Wert mit %1 Bytes ist zu lang zum Lesen.</translation>
    </message>
</context>
<context>
    <name>DemoHost</name>
    <message>
        <source>viVavazuruv demo host</source>
        <translation>viVavazuruv-Demo-Host</translation>
    </message>
    <message>
        <source>Cannot remove &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Cannot count the rows of %1: %2</source>
        <translation>Die Zeilen von %1 können nicht gezählt werden: %2</translation>
    </message>
    <message>
        <source>Unexpected argument &quot;%1&quot;; see --help.</source>
        <translation>Unerwartetes Argument „%1“; siehe --help.</translation>
    </message>
    <message>
        <source>--office needs a number above 0.</source>
        <translation>--office erwartet eine Zahl größer als 0.</translation>
    </message>
    <message>
        <source>The data folder &quot;%1&quot; cannot be created; give --database.</source>
        <translation>Der Datenordner „%1“ kann nicht angelegt werden; geben Sie --database an.</translation>
    </message>
    <message>
        <source>--fresh works only with an sqlite: file address.</source>
        <translation>--fresh funktioniert nur mit einer sqlite:-Dateiadresse.</translation>
    </message>
    <message>
        <source>Cannot open the database</source>
        <translation>Die Datenbank kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>%1

(error %2)</source>
        <translation>%1

(Fehler %2)</translation>
    </message>
    <message>
        <source>the database address holds a password, which every user of this computer can read while the program runs; keep it in ~/.pgpass or a service file instead</source>
        <translation>die Datenbankadresse enthält ein Passwort, das jeder Benutzer dieses Computers lesen kann, solange das Programm läuft; legen Sie es stattdessen in ~/.pgpass oder einer Dienstdatei ab</translation>
    </message>
</context>
<context>
    <name>DriverRows</name>
    <message>
        <source>The query failed: %1</source>
        <translation>Die Abfrage ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Reading the rows failed: %1</source>
        <translation>Das Lesen der Zeilen ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>GridCellDelegate</name>
    <message>
        <source>Column %1</source>
        <translation>Spalte %1</translation>
    </message>
</context>
<context>
    <name>GridMenu</name>
    <message>
        <source>Select Codes</source>
        <translation>Codes auswählen</translation>
    </message>
    <message>
        <source>Select Letter</source>
        <translation>Brief auswählen</translation>
    </message>
</context>
<context>
    <name>HostConnection</name>
    <message>
        <source>The connection to %1 was closed as the application ended.</source>
        <translation>Die Verbindung zu %1 wurde beim Beenden der Anwendung geschlossen.</translation>
    </message>
    <message>
        <source>The database file &quot;%1&quot; was removed or replaced while the host had it open; the host writes nothing more to it. Restore the file, then start again.</source>
        <translation>Die Datenbankdatei „%1“ wurde entfernt oder ersetzt, während die Host-Anwendung sie geöffnet hatte; es wird nichts mehr in sie geschrieben. Stellen Sie die Datei wieder her und starten Sie dann neu.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost while rows were being saved.</source>
        <translation>Die Verbindung zu %1 ging verloren, während Zeilen gespeichert wurden.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost and could not be made again: %2</source>
        <translation>Die Verbindung zu %1 ging verloren und konnte nicht wiederhergestellt werden: %2</translation>
    </message>
    <message>
        <source>The host could not prepare a statement: %1</source>
        <translation>Die Host-Anwendung konnte eine Anweisung nicht vorbereiten: %1</translation>
    </message>
    <message>
        <source>The list could not be saved: another workstation kept the database busy for too long (%1).</source>
        <translation>Die Liste konnte nicht gespeichert werden: Ein anderer Arbeitsplatz hat die Datenbank zu lange belegt (%1).</translation>
    </message>
    <message>
        <source>The saved rows could not be committed: %1</source>
        <translation>Die gespeicherten Zeilen konnten nicht festgeschrieben werden: %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be used as an SQLite database: %2</source>
        <translation>„%1“ kann nicht als SQLite-Datenbank verwendet werden: %2</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; for the SQLite database does not exist.</source>
        <translation>Der Ordner „%1“ für die SQLite-Datenbank existiert nicht.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an SQLite database file.</source>
        <translation>„%1“ ist ein Ordner, keine SQLite-Datenbankdatei.</translation>
    </message>
    <message>
        <source>The SQLite driver (QSQLITE) is not available.</source>
        <translation>Der SQLite-Treiber (QSQLITE) ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>Cannot open the SQLite database &quot;%1&quot;: %2</source>
        <translation>Die SQLite-Datenbank „%1“ kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>The SQLite database &quot;%1&quot; cannot be found after opening it.</source>
        <translation>Die SQLite-Datenbank „%1“ ist nach dem Öffnen nicht auffindbar.</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>Keine Verbindung zu %1 möglich: %2</translation>
    </message>
    <message>
        <source>The PostgreSQL driver (VVPSQL) is not available.</source>
        <translation>Der PostgreSQL-Treiber (VVPSQL) ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>Cannot create the schema &quot;%1&quot; in %2: %3</source>
        <translation>Das Schema „%1“ kann in %2 nicht angelegt werden: %3</translation>
    </message>
    <message>
        <source>The schema name &quot;%1&quot; is not a plain name (letters, digits, underscores).</source>
        <translation>Der Schemaname „%1“ ist kein einfacher Name (Buchstaben, Ziffern, Unterstriche).</translation>
    </message>
    <message>
        <source>The address setting &quot;%1&quot; takes a whole number from %2 to %3.</source>
        <translation>Die Adresseinstellung „%1“ erwartet eine ganze Zahl von %2 bis %3.</translation>
    </message>
    <message>
        <source>The PostgreSQL address has &quot;%1&quot; without &quot;=&quot; and a value.</source>
        <translation>Die PostgreSQL-Adresse enthält „%1“ ohne „=“ und Wert.</translation>
    </message>
    <message>
        <source>The PostgreSQL address has an unterminated quoted value for &quot;%1&quot;.</source>
        <translation>Die PostgreSQL-Adresse enthält einen nicht abgeschlossenen Wert in Anführungszeichen für „%1“.</translation>
    </message>
    <message>
        <source>The database address &quot;sqlite:&quot; names no database file.</source>
        <translation>Die Datenbankadresse „sqlite:“ nennt keine Datenbankdatei.</translation>
    </message>
    <message>
        <source>The database address must begin with &quot;sqlite:&quot; or &quot;postgresql://&quot;, or be PostgreSQL keywords and values (such as &quot;service=office&quot;).</source>
        <translation>Die Datenbankadresse muss mit „sqlite:“ oder „postgresql://“ beginnen oder aus PostgreSQL-Schlüsselwörtern und -Werten bestehen (etwa „service=office“).</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>kein Speicher mehr verfügbar</translation>
    </message>
    <message>
        <source>The PostgreSQL address is not valid: %1</source>
        <translation>Die PostgreSQL-Adresse ist ungültig: %1</translation>
    </message>
</context>
<context>
    <name>HostSchema</name>
    <message>
        <source>Creating the host&apos;s tables failed: %1</source>
        <translation>Das Anlegen der Tabellen der Host-Anwendung ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>%1 has no %2 column the host can make case-free.</source>
        <translation>%1 hat keine Spalte %2, die die Host-Anwendung von Groß- und Kleinschreibung unabhängig machen kann.</translation>
    </message>
    <message>
        <source>Keeping %1&apos;s key counter failed: %2</source>
        <translation>Der Schlüsselzähler von %1 konnte nicht beibehalten werden: %2</translation>
    </message>
    <message>
        <source>The database holds host tables of version %1; this host knows version %2 at most.</source>
        <translation>Die Datenbank enthält Host-Tabellen der Version %1; diese Host-Anwendung kennt höchstens Version %2.</translation>
    </message>
    <message>
        <source>Recording the host tables&apos; version failed: %1</source>
        <translation>Das Festhalten der Version der Host-Tabellen ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>ListEditSession</name>
    <message>
        <source>    %1: &quot;%2&quot;, now &quot;%3&quot;<byte value="xd"/>
</source>
        <translation>    %1: „%2“, jetzt „%3“<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed at another workstation since you started editing it:<byte value="xd"/>
%2<byte value="xd"/>
Yes: save your version over theirs.<byte value="xd"/>
No: keep theirs and drop your change.</source>
        <translation>„%1“ wurde an einem anderen Arbeitsplatz geändert, seit Sie mit der Bearbeitung begonnen haben:<byte value="xd"/>
%2<byte value="xd"/>
Ja: Ihre Fassung über die andere speichern.<byte value="xd"/>
Nein: die andere Fassung behalten und Ihre Änderung verwerfen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was moved to another list or office at another workstation since you started editing it; your change to it is not saved.</source>
        <translation>„%1“ wurde an einem anderen Arbeitsplatz in eine andere Liste oder Praxis verschoben, seit Sie mit der Bearbeitung begonnen haben; Ihre Änderung daran wird nicht gespeichert.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted at another workstation since you started editing it.<byte value="xd"/>
<byte value="xd"/>
Yes: add your version again.<byte value="xd"/>
No: leave it deleted.</source>
        <translation>„%1“ wurde an einem anderen Arbeitsplatz gelöscht, seit Sie mit der Bearbeitung begonnen haben.<byte value="xd"/>
<byte value="xd"/>
Ja: Ihre Fassung erneut hinzufügen.<byte value="xd"/>
Nein: gelöscht lassen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed at another workstation since you started editing:<byte value="xd"/>
%2<byte value="xd"/>
Delete it all the same?</source>
        <translation>„%1“ wurde an einem anderen Arbeitsplatz geändert, seit Sie mit der Bearbeitung begonnen haben:<byte value="xd"/>
%2<byte value="xd"/>
Trotzdem löschen?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this record?</source>
        <translation>Möchten Sie diesen Eintrag wirklich löschen?</translation>
    </message>
    <message>
        <source>Delete Record</source>
        <translation>Eintrag löschen</translation>
    </message>
    <message>
        <source>Row %1 has no record key (&quot;%2&quot;); it cannot be updated.</source>
        <translation>Zeile %1 hat keinen Datensatzschlüssel („%2“); sie kann nicht aktualisiert werden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by %2 at %3 at another workstation since you started editing it:<byte value="xd"/>
%4<byte value="xd"/>
Yes: save your version over theirs.<byte value="xd"/>
No: keep theirs and drop your change.</source>
        <translation>„%1“ wurde von %2 um %3 an einem anderen Arbeitsplatz geändert, seit Sie mit der Bearbeitung begonnen haben:<byte value="xd"/>
%4<byte value="xd"/>
Ja: Ihre Fassung über die andere speichern.<byte value="xd"/>
Nein: die andere Fassung behalten und Ihre Änderung verwerfen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted by %2 at %3 at another workstation since you started editing it.<byte value="xd"/>
<byte value="xd"/>
Yes: add your version again.<byte value="xd"/>
No: leave it deleted.</source>
        <translation>„%1“ wurde von %2 um %3 an einem anderen Arbeitsplatz gelöscht, seit Sie mit der Bearbeitung begonnen haben.<byte value="xd"/>
<byte value="xd"/>
Ja: Ihre Fassung erneut hinzufügen.<byte value="xd"/>
Nein: gelöscht lassen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by %2 at %3 at another workstation since you started editing:<byte value="xd"/>
%4<byte value="xd"/>
Delete it all the same?</source>
        <translation>„%1“ wurde von %2 um %3 an einem anderen Arbeitsplatz geändert, seit Sie mit der Bearbeitung begonnen haben:<byte value="xd"/>
%4<byte value="xd"/>
Trotzdem löschen?</translation>
    </message>
</context>
<context>
    <name>ListHistory</name>
    <message>
        <source>Reading the list history failed: %1</source>
        <translation>Das Lesen des Listenverlaufs ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a date (YYYY-MM-DD) or a time (YYYY-MM-DDTHH:MM:SS)</source>
        <translation>„%1“ ist kein Datum (JJJJ-MM-TT) und keine Zeit (JJJJ-MM-TTTHH:MM:SS)</translation>
    </message>
    <message>
        <source>change %1 (%2 of key %3 in %4%5)</source>
        <translation>Änderung %1 (%2 von Schlüssel %3 in %4%5)</translation>
    </message>
    <message>
        <source> by %1</source>
        <translation> durch %1</translation>
    </message>
    <message>
        <source>the history does not verify, so nothing is pruned: %1</source>
        <translation>der Verlauf ist nicht stimmig, daher wird nichts gekürzt: %1</translation>
    </message>
    <message>
        <source>there is no change %1 in the history</source>
        <translation>im Verlauf gibt es keine Änderung %1</translation>
    </message>
    <message>
        <source>%1 is of office %2, not of office %3</source>
        <translation>%1 gehört zu Praxis %2, nicht zu Praxis %3</translation>
    </message>
    <message>
        <source>the key %1 is in use again, by a row of list %2%3</source>
        <translation>der Schlüssel %1 ist wieder vergeben, an eine Zeile der Liste %2%3</translation>
    </message>
    <message>
        <source>the row with key %1 was deleted since%2</source>
        <translation>die Zeile mit Schlüssel %1 wurde seitdem gelöscht%2</translation>
    </message>
    <message>
        <source>the row with key %1 changed again since%2</source>
        <translation>die Zeile mit Schlüssel %1 wurde seitdem erneut geändert%2</translation>
    </message>
    <message>
        <source>the row with key %1 is deleted from list %2</source>
        <translation>die Zeile mit Schlüssel %1 wird aus der Liste %2 gelöscht</translation>
    </message>
    <message>
        <source>the row with key %1 comes back to list %2</source>
        <translation>die Zeile mit Schlüssel %1 kommt in die Liste %2 zurück</translation>
    </message>
    <message>
        <source>%1 moved the row from office %2 to office %3; restore it there</source>
        <translation>%1 hat die Zeile von Praxis %2 in Praxis %3 verschoben; stellen Sie sie dort wieder her</translation>
    </message>
    <message>
        <source>the row with key %1 of list %2 is put back as it was before change %3</source>
        <translation>die Zeile mit Schlüssel %1 der Liste %2 wird wie vor Änderung %3 wiederhergestellt</translation>
    </message>
    <message>
        <source>the row with key %1 could not be deleted</source>
        <translation>die Zeile mit Schlüssel %1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>change %1 holds rows that cannot be read, so nothing can be put back</source>
        <translation>Änderung %1 enthält Zeilen, die sich nicht lesen lassen; es lässt sich nichts zurückholen</translation>
    </message>
    <message>
        <source>Setting up the database&apos;s roles failed: %1</source>
        <translation>Das Einrichten der Datenbankrollen ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>an SQLite database has no roles: who may read or change it is decided by the file&apos;s owner and permissions</source>
        <translation>eine SQLite-Datenbank hat keine Rollen: wer sie lesen oder ändern darf, bestimmen Eigentümer und Rechte der Datei</translation>
    </message>
    <message>
        <source>the owner&apos;s and the workstations&apos; roles are both needed</source>
        <translation>die Rolle des Eigentümers und die der Arbeitsplätze werden beide benötigt</translation>
    </message>
    <message>
        <source>the owner&apos;s role must be a role of its own: a workstation that owned the history could rewrite it</source>
        <translation>die Rolle des Eigentümers muss eine eigene Rolle sein: ein Arbeitsplatz, dem der Verlauf gehörte, könnte ihn umschreiben</translation>
    </message>
    <message>
        <source>there is no database role &quot;%1&quot;</source>
        <translation>es gibt keine Datenbankrolle „%1“</translation>
    </message>
    <message>
        <source>%1 tables and %2 functions of schema %3 belong to %4; %5 may read and write the lists, and read and seal the history%6</source>
        <translation>%1 Tabellen und %2 Funktionen des Schemas %3 gehören %4; %5 darf die Listen lesen und schreiben sowie den Verlauf lesen und versiegeln%6</translation>
    </message>
    <message>
        <source>; %1 may read everything</source>
        <translation>; %1 darf alles lesen</translation>
    </message>
    <message>
        <source>row %1 of list %2 is in the lists, but no change of it was recorded: it was written with the recording off</source>
        <translation>Zeile %1 der Liste %2 steht in den Listen, aber keine Änderung an ihr wurde aufgezeichnet: sie wurde bei ausgeschalteter Aufzeichnung geschrieben</translation>
    </message>
    <message>
        <source>a change not sealed yet</source>
        <translation>eine noch nicht versiegelte Änderung</translation>
    </message>
    <message>
        <source>change %1</source>
        <translation>Änderung %1</translation>
    </message>
    <message>
        <source>row %1 of list %2 is in the lists, but its last recorded change (%3) deleted it: it came back with the recording off</source>
        <translation>Zeile %1 der Liste %2 steht in den Listen, aber ihre letzte aufgezeichnete Änderung (%3) hat sie gelöscht: sie kam bei ausgeschalteter Aufzeichnung zurück</translation>
    </message>
    <message>
        <source>row %1 is not in the lists, but its last recorded change (%2) left it there: it was deleted with the recording off</source>
        <translation>Zeile %1 steht nicht in den Listen, aber ihre letzte aufgezeichnete Änderung (%2) hat sie dort gelassen: sie wurde bei ausgeschalteter Aufzeichnung gelöscht</translation>
    </message>
    <message>
        <source>row %1 of list %2 is not as its last recorded change (%3) left it: it was changed with the recording off</source>
        <translation>Zeile %1 der Liste %2 ist nicht so, wie ihre letzte aufgezeichnete Änderung (%3) sie hinterlassen hat: sie wurde bei ausgeschalteter Aufzeichnung geändert</translation>
    </message>
    <message>
        <source>the history&apos;s table %1 is missing: the history was removed</source>
        <translation>die Tabelle %1 des Verlaufs fehlt: der Verlauf wurde entfernt</translation>
    </message>
    <message>
        <source>the lists kept changing while they were compared with their history; check again when it is quieter</source>
        <translation>die Listen änderten sich ständig, während sie mit ihrem Verlauf verglichen wurden; prüfen Sie erneut, wenn es ruhiger ist</translation>
    </message>
    <message>
        <source>the role &quot;%1&quot; may make objects in schema %2; take that right away first (REVOKE CREATE ON SCHEMA %2 FROM %1)</source>
        <translation>die Rolle „%1“ darf im Schema %2 Objekte anlegen; entziehen Sie ihr dieses Recht zuerst (REVOKE CREATE ON SCHEMA %2 FROM %1)</translation>
    </message>
    <message>
        <source>the row after of %1 (key %2) cannot be read: it was written by hand, not by the database&apos;s triggers</source>
        <translation>die Zeile nach %1 (Schlüssel %2) lässt sich nicht lesen: sie wurde von Hand geschrieben, nicht von den Triggern der Datenbank</translation>
    </message>
</context>
<context>
    <name>PatientLoader</name>
    <message>
        <source>Overflow: %1 does not fit.</source>
        <translation>Überlauf: %1 passt nicht.</translation>
    </message>
</context>
<context>
    <name>PgDriver</name>
    <message>
        <source>out of memory</source>
        <translation>kein Speicher mehr verfügbar</translation>
    </message>
    <message>
        <source>no connection to the server</source>
        <translation>keine Verbindung zum Server</translation>
    </message>
    <message>
        <source>the server did not answer within %1 ms; the connection was closed</source>
        <translation>der Server hat nicht innerhalb von %1 ms geantwortet; die Verbindung wurde geschlossen</translation>
    </message>
    <message>
        <source>Unable to run the statement</source>
        <translation>Die Anweisung kann nicht ausgeführt werden</translation>
    </message>
    <message>
        <source>no answer from the server</source>
        <translation>keine Antwort vom Server</translation>
    </message>
    <message>
        <source>Unable to connect</source>
        <translation>Verbindung nicht möglich</translation>
    </message>
    <message>
        <source>the transaction was rolled back, not committed: a statement in it had failed</source>
        <translation>die Transaktion wurde zurückgesetzt, nicht festgeschrieben: eine Anweisung in ihr war fehlgeschlagen</translation>
    </message>
    <message>
        <source>Could not begin the transaction</source>
        <translation>Die Transaktion konnte nicht begonnen werden</translation>
    </message>
    <message>
        <source>Could not commit the transaction</source>
        <translation>Die Transaktion konnte nicht festgeschrieben werden</translation>
    </message>
    <message>
        <source>Could not roll back the transaction</source>
        <translation>Die Transaktion konnte nicht zurückgesetzt werden</translation>
    </message>
    <message>
        <source>no rows are coming</source>
        <translation>es kommen keine Zeilen</translation>
    </message>
    <message>
        <source>Unable to fetch the row</source>
        <translation>Die Zeile kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>the connection was closed</source>
        <translation>die Verbindung wurde geschlossen</translation>
    </message>
</context>
<context>
    <name>PickerCaptions</name>
    <message>
        <source>Gp</source>
        <translation>Gr</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Letter File Name</source>
        <translation>Briefdatei</translation>
    </message>
    <message>
        <source>User Defined Data Base</source>
        <translation>Benutzerdefinierte Datenbank</translation>
    </message>
    <message>
        <source>Credit Card</source>
        <translation>Kreditkarte</translation>
    </message>
    <message>
        <source>Credit Card Database</source>
        <translation>Kreditkarten-Datenbank</translation>
    </message>
    <message>
        <source>Medical Alert</source>
        <translation>Medizinischer Warnhinweis</translation>
    </message>
    <message>
        <source>Medical Alert Database</source>
        <translation>Datenbank medizinischer Warnhinweise</translation>
    </message>
    <message>
        <source>Sex/ Title</source>
        <translation>Geschlecht/ Anrede</translation>
    </message>
    <message>
        <source>Sex and Title Database</source>
        <translation>Datenbank Geschlecht und Anrede</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Anrede</translation>
    </message>
    <message>
        <source>Title Database</source>
        <translation>Anrede-Datenbank</translation>
    </message>
    <message>
        <source>Document File Name</source>
        <translation>Dokumentdatei</translation>
    </message>
    <message>
        <source>Database = %1</source>
        <translation>Datenbank = %1</translation>
    </message>
</context>
<context>
    <name>PickerLevel</name>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Ändern</translation>
    </message>
    <message>
        <source>D&amp;one</source>
        <translation>&amp;Fertig</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>F2 edits a cell, the context-menu key attaches a letter file, Escape throws the changes away</source>
        <translation>F2 bearbeitet eine Zelle, die Kontextmenütaste hängt eine Briefdatei an, Escape verwirft die Änderungen</translation>
    </message>
    <message>
        <source>Enter chooses, Space ticks, a letter or digit finds an entry, Escape closes</source>
        <translation>Eingabe wählt, Leertaste hakt an, ein Buchstabe oder eine Ziffer sucht einen Eintrag, Escape schließt</translation>
    </message>
    <message>
        <source>Level %1: %2</source>
        <translation>Ebene %1: %2</translation>
    </message>
    <message>
        <source>%1, editing</source>
        <translation>%1, wird bearbeitet</translation>
    </message>
    <message>
        <source>Editing the list</source>
        <translation>Die Liste wird bearbeitet</translation>
    </message>
    <message>
        <source>%1, tick any number</source>
        <translation>%1, beliebig viele anhaken</translation>
    </message>
    <message>
        <source>Tick any number</source>
        <translation>Beliebig viele anhaken</translation>
    </message>
    <message>
        <source>%1, choose one</source>
        <translation>%1, einen wählen</translation>
    </message>
    <message>
        <source>Choose one</source>
        <translation>Einen wählen</translation>
    </message>
</context>
<context>
    <name>PostgresRows</name>
    <message>
        <source>Reading the rows failed: %1</source>
        <translation>Das Lesen der Zeilen ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
</context>
<context>
    <name>RecordWriter</name>
    <message>
        <source>The value for field %1 of %2 holds %3, which is not allowed: no database stores it.</source>
        <translation>Der Wert für das Feld %1 von %2 enthält %3; das ist nicht zulässig, da keine Datenbank es speichert.</translation>
    </message>
    <message>
        <source>The value for field %1 of %2 must be %3, not &quot;%4&quot;.</source>
        <translation>Der Wert für das Feld %1 von %2 muss %3 sein, nicht „%4“.</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>eine ganze Zahl</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>eine Zahl</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>wahr oder falsch</translation>
    </message>
    <message>
        <source>The list code &quot;%1&quot; cannot be stored: list codes are told apart without regard to the case of A-Z only, so other letters must be stored in upper case (&quot;%2&quot;), as the component stores them.</source>
        <translation>Der Listencode „%1“ kann nicht gespeichert werden: Listencodes werden nur bei A-Z ohne Rücksicht auf Groß- und Kleinschreibung unterschieden, daher müssen andere Buchstaben in Großbuchstaben gespeichert werden („%2“), so wie die Komponente sie speichert.</translation>
    </message>
    <message>
        <source>The new row of %1 got no usable key in %2 (the key must be generated).</source>
        <translation>Die neue Zeile von %1 hat in %2 keinen verwendbaren Schlüssel erhalten (der Schlüssel muss automatisch erzeugt werden).</translation>
    </message>
    <message>
        <source>The description is %1 characters long; a list entry&apos;s description holds %2 at most.</source>
        <translation>Die Beschreibung ist %1 Zeichen lang; die Beschreibung eines Listeneintrags fasst höchstens %2.</translation>
    </message>
</context>
<context>
    <name>ReferenceHost</name>
    <message>
        <source>Do you want to save the changes?</source>
        <translation>Möchten Sie die Änderungen speichern?</translation>
    </message>
    <message>
        <source>The host cannot create the folder &quot;%1&quot;.</source>
        <translation>Die Host-Anwendung kann den Ordner „%1“ nicht anlegen.</translation>
    </message>
</context>
<context>
    <name>SaveFailure</name>
    <message>
        <source>Try again in a moment.</source>
        <translation>Versuchen Sie es gleich noch einmal.</translation>
    </message>
    <message>
        <source>Another workstation is changing this list</source>
        <translation>Ein anderer Arbeitsplatz ändert gerade diese Liste</translation>
    </message>
    <message>
        <source>The practice&apos;s database accepts no changes at the moment</source>
        <translation>Die Datenbank der Praxis nimmt im Moment keine Änderungen an</translation>
    </message>
    <message>
        <source>Ask whoever looks after the practice&apos;s database.</source>
        <translation>Wenden Sie sich an die Person, die die Datenbank der Praxis betreut.</translation>
    </message>
    <message>
        <source>The connection to the practice&apos;s database was lost</source>
        <translation>Die Verbindung zur Datenbank der Praxis ist abgebrochen</translation>
    </message>
    <message>
        <source>Try again; if it happens again, ask whoever looks after the practice&apos;s database.</source>
        <translation>Versuchen Sie es noch einmal; geschieht es wieder, wenden Sie sich an die Person, die die Datenbank der Praxis betreut.</translation>
    </message>
    <message>
        <source>The practice&apos;s database did not answer in time</source>
        <translation>Die Datenbank der Praxis hat nicht rechtzeitig geantwortet</translation>
    </message>
    <message>
        <source>The practice&apos;s database has no room left</source>
        <translation>Die Datenbank der Praxis hat keinen Platz mehr</translation>
    </message>
    <message>
        <source>The practice&apos;s database refused the change</source>
        <translation>Die Datenbank der Praxis hat die Änderung abgelehnt</translation>
    </message>
    <message>
        <source>%1; nothing was saved. %2</source>
        <translation>%1; es wurde nichts gespeichert. %2</translation>
    </message>
    <message>
        <source>%1; the changes not yet saved are still in the list. %2</source>
        <translation>%1; die noch nicht gespeicherten Änderungen stehen weiter in der Liste. %2</translation>
    </message>
</context>
<context>
    <name>SeedData</name>
    <message>
        <source>Cannot count the rows of %1: %2</source>
        <translation>Die Zeilen von %1 können nicht gezählt werden: %2</translation>
    </message>
    <message>
        <source>Cannot empty %1: %2</source>
        <translation>%1 kann nicht geleert werden: %2</translation>
    </message>
    <message>
        <source>The database already holds lists or patients; demo data is only added to an empty database.</source>
        <translation>Die Datenbank enthält bereits Listen oder Patienten; Demodaten werden nur einer leeren Datenbank hinzugefügt.</translation>
    </message>
</context>
<context>
    <name>SelectionCollector</name>
    <message>
        <source> Lines with ($-) symbol is a title line. Try again. </source>
        <translation> Zeilen mit dem Zeichen ($-) sind Titelzeilen. Bitte erneut versuchen. </translation>
    </message>
    <message>
        <source>Enter information</source>
        <translation>Angabe eingeben</translation>
    </message>
</context>
<context>
    <name>SqliteRows</name>
    <message>
        <source>The query failed: %1</source>
        <translation>Die Abfrage ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Reading the rows failed: %1</source>
        <translation>Das Lesen der Zeilen ist fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>TextRules</name>
    <message>
        <source>a NUL character</source>
        <translation>ein NUL-Zeichen</translation>
    </message>
    <message>
        <source>an unpaired UTF-16 surrogate</source>
        <translation>ein unpaariges UTF-16-Surrogat</translation>
    </message>
    <message>
        <source>A text holding %1 is not allowed as an SQL value: no database stores it.</source>
        <translation>Ein Text, der %1 enthält, ist als SQL-Wert nicht zulässig: Keine Datenbank speichert ihn.</translation>
    </message>
</context>
<context>
    <name>Transaction</name>
    <message>
        <source>Cannot begin a transaction: %1</source>
        <translation>Eine Transaktion kann nicht begonnen werden: %1</translation>
    </message>
    <message>
        <source>Cannot commit: %1</source>
        <translation>Festschreiben nicht möglich: %1</translation>
    </message>
</context>
<context>
    <name>VbStrings</name>
    <message>
        <source>Overflow: not a number.</source>
        <translation>Überlauf: keine Zahl.</translation>
    </message>
    <message>
        <source>Overflow: %1 does not fit in a %2.</source>
        <translation>Überlauf: %1 passt nicht in den Typ %2.</translation>
    </message>
</context>
<context>
    <name>viVavazuruv::grid::GridControl</name>
    <message>
        <source>Grid</source>
        <translation>Tabelle</translation>
    </message>
</context>
<context>
    <name>viVavazuruv::grid::GridModel</name>
    <message>
        <source>Heading, cannot be chosen</source>
        <translation>Überschrift, nicht wählbar</translation>
    </message>
</context>
<context>
    <name>viVavazuruv::wkDatabases_Form</name>
    <message>
        <source> ( Editing )</source>
        <translation> ( Bearbeitung )</translation>
    </message>
    <message>
        <source> New, Left mouse - To enter new </source>
        <translation> Neu, linke Maustaste - Neuen Eintrag erfassen </translation>
    </message>
    <message>
        <source> Editing Complete, Left mouse - Done </source>
        <translation> Bearbeitung abschließen, linke Maustaste - Fertig </translation>
    </message>
    <message>
        <source> Editing Selection, Left mouse - Edit selection </source>
        <translation> Auswahl bearbeiten, linke Maustaste - Auswahl ändern </translation>
    </message>
    <message>
        <source> Confirm Selection, Left mouse - OK </source>
        <translation> Auswahl bestätigen, linke Maustaste - OK </translation>
    </message>
    <message>
        <source> Delete Selection, Left mouse - Delete </source>
        <translation> Auswahl löschen, linke Maustaste - Löschen </translation>
    </message>
    <message>
        <source> Close, Left mouse - Exit </source>
        <translation> Schließen, linke Maustaste - Beenden </translation>
    </message>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>Möchten Sie wirklich beenden?</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source> Can&apos;t find [ %1 ]</source>
        <translation> Nicht gefunden: [ %1 ]</translation>
    </message>
    <message>
        <source> Lines with ($-) symbol are title lines. Try again. </source>
        <translation> Zeilen mit dem Zeichen ($-) sind Titelzeilen. Bitte erneut versuchen. </translation>
    </message>
    <message>
        <source> User Defined Database</source>
        <translation> Benutzerdefinierte Datenbank</translation>
    </message>
    <message>
        <source>Tavi Word Processor File (*.RTF)| *.RTF|Text File (*.txt)|*.txt|Both File (*.RTF, *.txt)|*.RTF;*.txt</source>
        <translation>Tavi-Textverarbeitungsdatei (*.RTF)| *.RTF|Textdatei (*.txt)|*.txt|Beide Dateiarten (*.RTF, *.txt)|*.RTF;*.txt</translation>
    </message>
    <message>
        <source>Document file has to be TAVI word processor file or text file.<byte value="xd"/>
<byte value="xd"/>
i.e. files with extension &apos;.RTF&apos;,  or &apos;.TXT&apos;</source>
        <translation>Die Dokumentdatei muss eine TAVI-Textverarbeitungsdatei oder eine Textdatei sein.<byte value="xd"/>
<byte value="xd"/>
d. h. Dateien mit der Endung &apos;.RTF&apos; oder &apos;.TXT&apos;</translation>
    </message>
    <message>
        <source>Document File</source>
        <translation>Dokumentdatei</translation>
    </message>
    <message>
        <source>Pipe sign variables are not supported in this area.<byte value="xd"/>
<byte value="xd"/>
Therefore, the variable will appear as shown.</source>
        <translation>Variablen mit senkrechtem Strich werden in diesem Bereich nicht unterstützt.<byte value="xd"/>
<byte value="xd"/>
Die Variable erscheint daher so, wie sie angezeigt wird.</translation>
    </message>
    <message>
        <source>User Definded Database</source>
        <translation>Benutzerdefinierte Datenbank</translation>
    </message>
    <message>
        <source> Right click on any field to select codes and letters. </source>
        <translation> Rechtsklick auf ein Feld wählt Codes und Briefe aus. </translation>
    </message>
    <message>
        <source> Right click on any field to select codes. </source>
        <translation> Rechtsklick auf ein Feld wählt Codes aus. </translation>
    </message>
    <message>
        <source> Right click on any field to select letters. </source>
        <translation> Rechtsklick auf ein Feld wählt Briefe aus. </translation>
    </message>
    <message>
        <source>Your changes to the list were not saved: %1</source>
        <translation>Ihre Änderungen an der Liste wurden nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Editing the list; Done saves it.</source>
        <translation>Die Liste wird bearbeitet; Fertig speichert sie.</translation>
    </message>
    <message>
        <source>Choosing again.</source>
        <translation>Wieder Auswahl.</translation>
    </message>
    <message>
        <source>Choosing again; the cursor is on %1.</source>
        <translation>Wieder Auswahl; der Cursor steht auf %1.</translation>
    </message>
    <message>
        <source>New entry in row %1 of %2.</source>
        <translation>Neuer Eintrag in Zeile %1 von %2.</translation>
    </message>
    <message>
        <source>Entry deleted.</source>
        <translation>Eintrag gelöscht.</translation>
    </message>
    <message>
        <source>%1 deleted.</source>
        <translation>%1 gelöscht.</translation>
    </message>
</context>
<context>
    <name>vvdemo::AnswerBox</name>
    <message>
        <source>Copy the whole answer</source>
        <translation>Ganze Antwort kopieren</translation>
    </message>
    <message>
        <source>… (%L1 characters in all)</source>
        <translation>… (insgesamt %L1 Zeichen)</translation>
    </message>
    <message>
        <source>Right-click and choose &quot;%1&quot; for all of it.</source>
        <translation>Für den ganzen Text rechts klicken und &quot;%1&quot; wählen.</translation>
    </message>
</context>
<context>
    <name>vvdemo::DemoHostWindow</name>
    <message>
        <source>Call</source>
        <translation>Aufrufen</translation>
    </message>
    <message>
        <source>viVavazuruv demo host</source>
        <translation>viVavazuruv-Demo-Host</translation>
    </message>
    <message>
        <source>Type a group code into Tmp to be answered from the list, or leave it empty to open the picker.</source>
        <translation>Geben Sie in Tmp einen Gruppencode ein, um die Antwort aus der Liste zu erhalten, oder lassen Sie das Feld leer, um die Auswahl zu öffnen.</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>Database:</source>
        <translation>Datenbank:</translation>
    </message>
    <message>
        <source>office mode 7: each office keeps its own lists and patients</source>
        <translation>Praxismodus 7: Jede Praxis führt eigene Listen und Patienten</translation>
    </message>
    <message>
        <source>GetOfficeMode() now answers %1, GetOfficeID() %2.</source>
        <translation>GetOfficeMode() antwortet jetzt %1, GetOfficeID() %2.</translation>
    </message>
    <message>
        <source>Office:</source>
        <translation>Praxis:</translation>
    </message>
    <message>
        <source>Current patient:</source>
        <translation>Aktueller Patient:</translation>
    </message>
    <message>
        <source>Lists in this office: %1</source>
        <translation>Listen dieser Praxis: %1</translation>
    </message>
    <message>
        <source>(no patient)</source>
        <translation>(kein Patient)</translation>
    </message>
    <message>
        <source>The patient list could not be read: %1</source>
        <translation>Die Patientenliste konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The patient list is incomplete: %1</source>
        <translation>Die Patientenliste ist unvollständig: %1</translation>
    </message>
    <message>
        <source>Patient %1 could not be read: %2</source>
        <translation>Patient %1 konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>SetCurrentPatientID(%1)   chart %2, provider %3</source>
        <translation>SetCurrentPatientID(%1)   Karteinummer %2, Behandler %3</translation>
    </message>
    <message>
        <source>returned string</source>
        <translation>zurückgegebene Zeichenkette</translation>
    </message>
    <message>
        <source>Entry points</source>
        <translation>Einstiegspunkte</translation>
    </message>
    <message>
        <source>Entry point</source>
        <translation>Einstiegspunkt</translation>
    </message>
    <message>
        <source>Tmp (in)</source>
        <translation>Tmp (Eingabe)</translation>
    </message>
    <message>
        <source>Arguments</source>
        <translation>Argumente</translation>
    </message>
    <message>
        <source>Returned string, and the by-reference outputs</source>
        <translation>Zurückgegebene Zeichenkette und die Ausgaben per Referenz</translation>
    </message>
    <message>
        <source>group code, e.g. MRS</source>
        <translation>Gruppencode, z. B. MRS</translation>
    </message>
    <message>
        <source>-1  packed in Tmp</source>
        <translation>-1  in Tmp verpackt</translation>
    </message>
    <message>
        <source>list code</source>
        <translation>Listencode</translation>
    </message>
    <message>
        <source>With Flag -1, Tmp is sent as five LF-separated fields: this list code, the column, window and frame captions, and the Tmp value.</source>
        <translation>Mit Flag -1 wird Tmp als fünf durch LF getrennte Felder gesendet: dieser Listencode, die Spalten-, Fenster- und Rahmenbeschriftung und der Wert von Tmp.</translation>
    </message>
    <message>
        <source>start on description</source>
        <translation>bei Beschreibung beginnen</translation>
    </message>
    <message>
        <source>Sex / Title</source>
        <translation>Geschlecht / Anrede</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Flag</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Schlüssel</translation>
    </message>
    <message>
        <source>group code, e.g. V</source>
        <translation>Gruppencode, z. B. V</translation>
    </message>
    <message>
        <source>Credit card</source>
        <translation>Kreditkarte</translation>
    </message>
    <message>
        <source>list CRECARD</source>
        <translation>Liste CRECARD</translation>
    </message>
    <message>
        <source>group code, e.g. PEN</source>
        <translation>Gruppencode, z. B. PEN</translation>
    </message>
    <message>
        <source>Medical alerts</source>
        <translation>Medizinische Warnhinweise</translation>
    </message>
    <message>
        <source>list ALERT, several at once</source>
        <translation>Liste ALERT, mehrere zugleich</translation>
    </message>
    <message>
        <source>Procedures</source>
        <translation>Leistungen</translation>
    </message>
    <message>
        <source>window caption</source>
        <translation>Fenstertitel</translation>
    </message>
    <message>
        <source>Multi</source>
        <translation>Mehrfach</translation>
    </message>
    <message>
        <source>Show letter</source>
        <translation>Brief anzeigen</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Auswahl</translation>
    </message>
    <message>
        <source>(no Tmp)</source>
        <translation>(kein Tmp)</translation>
    </message>
    <message>
        <source>Caption</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Letters</source>
        <translation>Briefe</translation>
    </message>
    <message>
        <source>One choice</source>
        <translation>Einzelauswahl</translation>
    </message>
    <message>
        <source>(Tmp is out only)</source>
        <translation>(Tmp ist nur Ausgabe)</translation>
    </message>
    <message>
        <source>list reference</source>
        <translation>Listenverweis</translation>
    </message>
    <message>
        <source>Show code</source>
        <translation>Code anzeigen</translation>
    </message>
    <message>
        <source>Code list, composed</source>
        <translation>Codeliste → Karteieintrag</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>top %1, left %2 twips</source>
        <translation>oben %1, links %2 Twips</translation>
    </message>
    <message>
        <source>%1 running (window at %2)...</source>
        <translation>%1 läuft (Fenster bei %2)...</translation>
    </message>
    <message>
        <source>%1 returned %2 characters after %3 ms (window at %4).</source>
        <translation>%1 hat nach %3 ms %2 Zeichen zurückgegeben (Fenster bei %4).</translation>
    </message>
    <message>
        <source>%1 raised error %2.</source>
        <translation>%1 hat Fehler %2 ausgelöst.</translation>
    </message>
    <message>
        <source>error %1: %2</source>
        <translation>Fehler %1: %2</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>Error %1 (0x%2)

%3</source>
        <translation>Fehler %1 (0x%2)

%3</translation>
    </message>
    <message>
        <source>%1 failed unexpectedly.</source>
        <translation>%1 ist unerwartet fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Anrede</translation>
    </message>
    <message>
        <source>%1 Database</source>
        <translation>Datenbank %1</translation>
    </message>
    <message>
        <source>%1 for %2</source>
        <translation>%1 für %2</translation>
    </message>
    <message>
        <source>Call %1</source>
        <translation>%1 aufrufen</translation>
    </message>
    <message>
        <source>Office</source>
        <translation>Praxis</translation>
    </message>
    <message>
        <source>Current patient</source>
        <translation>Aktueller Patient</translation>
    </message>
    <message>
        <source>Returned string of %1</source>
        <translation>Zurückgegebene Zeichenkette von %1</translation>
    </message>
    <message>
        <source>&amp;Lists</source>
        <translation>&amp;Listen</translation>
    </message>
    <message>
        <source>List &amp;history...</source>
        <translation>Listen&amp;verlauf...</translation>
    </message>
</context>
<context>
    <name>vvdemo::ListHistoryWindow</name>
    <message>
        <source>List history</source>
        <translation>Listenverlauf</translation>
    </message>
    <message>
        <source>List:</source>
        <translation>Liste:</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Anzeigen</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Wann</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Workstation</source>
        <translation>Arbeitsplatz</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Schlüssel</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>Vorher</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Nachher</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Put the row back as it stood before the change selected</source>
        <translation>Die Zeile so wiederherstellen, wie sie vor der gewählten Änderung war</translation>
    </message>
    <message>
        <source>(another program)</source>
        <translation>(anderes Programm)</translation>
    </message>
    <message numerus="yes">
        <source>%n change(s) of list %1, newest first</source>
        <translation>
            <numerusform>%n Änderung der Liste %1, neueste zuerst</numerusform>
            <numerusform>%n Änderungen der Liste %1, neueste zuerst</numerusform>
        </translation>
    </message>
    <message>
        <source>Restore change %1?

Then %2.</source>
        <translation>Änderung %1 rückgängig machen?

Dann: %2.</translation>
    </message>
    <message>
        <source>Change %1 cannot be restored: %2.</source>
        <translation>Änderung %1 kann nicht rückgängig gemacht werden: %2.</translation>
    </message>
</context>
</TS>
