<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AppController</name>
    <message>
        <source>Save the filtered picture before opening %1?</source>
        <translation>Das gefilterte Bild vor dem Öffnen von %1 speichern?</translation>
    </message>
    <message>
        <source>Pasted picture</source>
        <translation>Eingefügtes Bild</translation>
    </message>
    <message>
        <source>Save the filtered picture before taking the new picture?</source>
        <translation>Das gefilterte Bild speichern, bevor das neue Bild übernommen wird?</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Open a picture or drop one here</source>
        <translation>Öffnen Sie ein Bild oder ziehen Sie eines hierher</translation>
    </message>
    <message>
        <source>Copy the tintwell-cli command that makes this picture from the opened file</source>
        <translation>Den tintwell-cli-Befehl kopieren, der dieses Bild aus der geöffneten Datei erzeugt</translation>
    </message>
    <message>
        <source>Not available: this picture came from the clipboard or a drop, so there is no file for the command to read</source>
        <translation>Nicht verfügbar: Dieses Bild stammt aus der Zwischenablage oder wurde hineingezogen, daher gibt es keine Datei, die der Befehl lesen könnte</translation>
    </message>
    <message>
        <source>Not available: open a picture file first</source>
        <translation>Nicht verfügbar: Öffnen Sie zuerst eine Bilddatei</translation>
    </message>
    <message>
        <source>Rendered in %1 ms</source>
        <translation>Berechnet in %1 ms</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Tintwell %1&lt;/h3&gt;&lt;p&gt;Per-pixel colour filters for your pictures: twenty-five filter formulas, colour offsets, negative and red–blue swap, re-rendered on every change.&lt;/p&gt;&lt;p&gt;Undo keeps up to %2 MB of source pictures; the oldest steps are dropped first when it is full.&lt;/p&gt;&lt;p&gt;The same filters run from the command line with &lt;code&gt;tintwell-cli&lt;/code&gt;.&lt;/p&gt;&lt;p&gt;Copyright © The Tintwell developers. Tintwell is free software under the MIT licence: use, change and share it freely; it comes without any warranty.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Tintwell %1&lt;/h3&gt;&lt;p&gt;Pixelweise Farbfilter für Ihre Bilder: fünfundzwanzig Filterformeln, Farbverschiebungen, Negativ und Rot-Blau-Tausch, bei jeder Änderung neu berechnet.&lt;/p&gt;&lt;p&gt;„Rückgängig“ behält bis zu %2 MB an Quellbildern; ist dieser Platz voll, werden die ältesten Schritte zuerst verworfen.&lt;/p&gt;&lt;p&gt;Dieselben Filter laufen auf der Kommandozeile mit &lt;code&gt;tintwell-cli&lt;/code&gt;.&lt;/p&gt;&lt;p&gt;Copyright © Die Tintwell-Entwickler. Tintwell ist freie Software unter der MIT-Lizenz: Sie dürfen es frei verwenden, ändern und weitergeben; es wird ohne jede Gewährleistung bereitgestellt.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Filter &amp;Gallery</source>
        <translation>Filter&amp;galerie</translation>
    </message>
    <message>
        <source>Show or hide the previews of every filter</source>
        <translation>Die Vorschauen aller Filter ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Fitted: %1%</source>
        <translation>Eingepasst: %1 %</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
</context>
<context>
    <name>BackgroundJobs</name>
    <message>
        <source>Opened %1</source>
        <translation>%1 geöffnet</translation>
    </message>
    <message>
        <source>Could not open %1</source>
        <translation>%1 konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Opening %1…</source>
        <translation>%1 wird geöffnet…</translation>
    </message>
    <message>
        <source>Could not save %1</source>
        <translation>%1 konnte nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Could not export %1</source>
        <translation>%1 konnte nicht exportiert werden</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>%1 gespeichert</translation>
    </message>
    <message>
        <source>Exported %1</source>
        <translation>%1 exportiert</translation>
    </message>
    <message>
        <source>Saving %1…</source>
        <translation>%1 wird gespeichert…</translation>
    </message>
    <message>
        <source>Exporting %1…</source>
        <translation>%1 wird exportiert…</translation>
    </message>
</context>
<context>
    <name>CloseGuard</name>
    <message>
        <source>Save the filtered picture before closing?</source>
        <translation>Das gefilterte Bild vor dem Schließen speichern?</translation>
    </message>
</context>
<context>
    <name>DialogPlaces</name>
    <message>
        <source>picture</source>
        <comment>file name of a picture without a file</comment>
        <translation>Bild</translation>
    </message>
</context>
<context>
    <name>DropOpener</name>
    <message>
        <source>Dropped picture</source>
        <translation>Abgelegtes Bild</translation>
    </message>
</context>
<context>
    <name>EditSteps</name>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Amount</source>
        <translation>Stärke</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Negative</source>
        <translation>Negativ</translation>
    </message>
    <message>
        <source>Swap Red and Blue</source>
        <translation>Rot und Blau vertauschen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Use Result as Source</source>
        <translation>Ergebnis als Quelle verwenden</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Undo %1</source>
        <translation>&amp;Rückgängig: %1</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>Nothing to undo</source>
        <translation>Nichts rückgängig zu machen</translation>
    </message>
    <message>
        <source>&amp;Redo %1</source>
        <translation>&amp;Wiederherstellen: %1</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Wiederherstellen: %1</translation>
    </message>
    <message>
        <source>Nothing to redo</source>
        <translation>Nichts wiederherzustellen</translation>
    </message>
</context>
<context>
    <name>EditorActions</name>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Öffnen…</translation>
    </message>
    <message>
        <source>Open a picture as the source</source>
        <translation>Ein Bild als Quelle öffnen</translation>
    </message>
    <message>
        <source>&amp;Save As JPEG…</source>
        <translation>Als JPEG &amp;speichern…</translation>
    </message>
    <message>
        <source>Save the filtered picture as a JPEG file</source>
        <translation>Das gefilterte Bild als JPEG-Datei speichern</translation>
    </message>
    <message>
        <source>&amp;Export As PNG…</source>
        <translation>Als PNG &amp;exportieren…</translation>
    </message>
    <message>
        <source>Save the filtered picture as a lossless PNG file, transparency kept</source>
        <translation>Das gefilterte Bild verlustfrei als PNG-Datei speichern, mit Transparenz</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Close Tintwell</source>
        <translation>Tintwell beenden</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Copy the filtered picture to the clipboard</source>
        <translation>Das gefilterte Bild in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Copy as Co&amp;mmand</source>
        <translation>Als &amp;Befehl kopieren</translation>
    </message>
    <message>
        <source>Copy the tintwell-cli command that makes this picture from the opened file</source>
        <translation>Den tintwell-cli-Befehl kopieren, der dieses Bild aus der geöffneten Datei erzeugt</translation>
    </message>
    <message>
        <source>&amp;Paste as Source</source>
        <translation>Als Quelle &amp;einfügen</translation>
    </message>
    <message>
        <source>Take the picture on the clipboard as the source</source>
        <translation>Das Bild aus der Zwischenablage als Quelle übernehmen</translation>
    </message>
    <message>
        <source>Use Result as &amp;Source</source>
        <translation>Ergebnis als &amp;Quelle verwenden</translation>
    </message>
    <message>
        <source>Filter the filtered picture again from now on</source>
        <translation>Ab jetzt das gefilterte Bild weiter filtern</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>Vergleichen</translation>
    </message>
    <message>
        <source>Hold to see the source picture (or hold the \ key)</source>
        <translation>Gedrückt halten, um das Quellbild zu sehen (oder die Taste \ gedrückt halten)</translation>
    </message>
    <message>
        <source>S&amp;hare Tintwell…</source>
        <translation>Tintwell &amp;teilen…</translation>
    </message>
    <message>
        <source>Open the share page for Tintwell in the web browser</source>
        <translation>Die Seite zum Teilen von Tintwell im Webbrowser öffnen</translation>
    </message>
    <message>
        <source>&amp;About Tintwell</source>
        <translation>&amp;Über Tintwell</translation>
    </message>
    <message>
        <source>Version, history size and licence</source>
        <translation>Version, Größe des Verlaufs und Lizenz</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Undo the last change</source>
        <translation>Die letzte Änderung rückgängig machen</translation>
    </message>
    <message>
        <source>Redo the change last undone</source>
        <translation>Die zuletzt rückgängig gemachte Änderung wiederherstellen</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>&amp;Vergrößern</translation>
    </message>
    <message>
        <source>Show the picture larger</source>
        <translation>Das Bild größer anzeigen</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>Ver&amp;kleinern</translation>
    </message>
    <message>
        <source>Show the picture smaller, down to the fitted view</source>
        <translation>Das Bild kleiner anzeigen, bis es ganz ins Fenster passt</translation>
    </message>
    <message>
        <source>&amp;Actual Pixels (100%)</source>
        <translation>&amp;Originalgröße (100 %)</translation>
    </message>
    <message>
        <source>One picture pixel on every screen pixel</source>
        <translation>Ein Bildpixel auf jedem Bildschirmpixel</translation>
    </message>
    <message>
        <source>&amp;Fit in Window</source>
        <translation>In Fenster &amp;einpassen</translation>
    </message>
    <message>
        <source>Show the whole picture, never enlarged</source>
        <translation>Das ganze Bild zeigen, nie vergrößert</translation>
    </message>
</context>
<context>
    <name>LaunchArguments</name>
    <message>
        <source>Per-pixel colour filters for your pictures.</source>
        <translation>Pixelweise Farbfilter für Ihre Bilder.</translation>
    </message>
    <message>
        <source>JPEG or PNG file to open.</source>
        <translation>Zu öffnende JPEG- oder PNG-Datei.</translation>
    </message>
    <message>
        <source>picture</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>[picture]</source>
        <translation>[Bild]</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Fil&amp;ter</source>
        <translation>&amp;Filter</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>Helligkeit</translation>
    </message>
    <message>
        <source>Green Against Red and Blue</source>
        <translation>Grün gegen Rot und Blau</translation>
    </message>
    <message>
        <source>Channel Multiply</source>
        <translation>Kanäle multiplizieren</translation>
    </message>
    <message>
        <source>Axis Ramps</source>
        <translation>Achsenverläufe</translation>
    </message>
    <message>
        <source>Gradient Add</source>
        <translation>Verlauf addieren</translation>
    </message>
    <message>
        <source>Gradient Subtract</source>
        <translation>Verlauf subtrahieren</translation>
    </message>
    <message>
        <source>Diagonal Neighbour</source>
        <translation>Diagonaler Nachbar</translation>
    </message>
    <message>
        <source>Running Thirds</source>
        <translation>Laufende Drittel</translation>
    </message>
    <message>
        <source>Mirror Mix</source>
        <translation>Spiegelmischung</translation>
    </message>
    <message>
        <source>Neighbour Mean</source>
        <translation>Nachbarmittel</translation>
    </message>
    <message>
        <source>Red Scale and Grid</source>
        <translation>Rotskala und Raster</translation>
    </message>
    <message>
        <source>Soft Ramps</source>
        <translation>Sanfte Verläufe</translation>
    </message>
    <message>
        <source>Double and Grid</source>
        <translation>Verdoppeln und Raster</translation>
    </message>
    <message>
        <source>Quotient Grid</source>
        <translation>Quotientenraster</translation>
    </message>
    <message>
        <source>Mixed Grid</source>
        <translation>Gemischtes Raster</translation>
    </message>
    <message>
        <source>Remainder Stripes</source>
        <translation>Reststreifen</translation>
    </message>
    <message>
        <source>Mean Swing</source>
        <translation>Mittelwertschwingung</translation>
    </message>
    <message>
        <source>Sum Fractions</source>
        <translation>Summenbrüche</translation>
    </message>
    <message>
        <source>Sine Waves</source>
        <translation>Sinuswellen</translation>
    </message>
    <message>
        <source>Cycling Multiplier</source>
        <translation>Umlaufender Multiplikator</translation>
    </message>
    <message>
        <source>Difference Fractions</source>
        <translation>Differenzbrüche</translation>
    </message>
    <message>
        <source>Parity Blend</source>
        <translation>Paritätsmischung</translation>
    </message>
    <message>
        <source>Parity Checker</source>
        <translation>Paritätsschachbrett</translation>
    </message>
    <message>
        <source>Chain Red and Green</source>
        <translation>Rot und Grün verketten</translation>
    </message>
    <message>
        <source>Chain Red and Blue</source>
        <translation>Rot und Blau verketten</translation>
    </message>
    <message>
        <source>&amp;Amount</source>
        <translation>&amp;Stärke</translation>
    </message>
    <message>
        <source>Strength of the selected filter</source>
        <translation>Stärke des gewählten Filters</translation>
    </message>
    <message>
        <source>&amp;Red</source>
        <translation>&amp;Rot</translation>
    </message>
    <message>
        <source>Offset added to red</source>
        <translation>Wert, der zu Rot addiert wird</translation>
    </message>
    <message>
        <source>&amp;Green</source>
        <translation>&amp;Grün</translation>
    </message>
    <message>
        <source>Offset added to green</source>
        <translation>Wert, der zu Grün addiert wird</translation>
    </message>
    <message>
        <source>&amp;Blue</source>
        <translation>B&amp;lau</translation>
    </message>
    <message>
        <source>Offset added to blue</source>
        <translation>Wert, der zu Blau addiert wird</translation>
    </message>
    <message>
        <source>&amp;Negative</source>
        <translation>&amp;Negativ</translation>
    </message>
    <message>
        <source>S&amp;wap red and blue</source>
        <translation>Rot und Blau &amp;vertauschen</translation>
    </message>
    <message>
        <source>Filter Gallery</source>
        <translation>Filtergalerie</translation>
    </message>
    <message>
        <source>Every filter on this picture with the current settings: click one to choose it</source>
        <translation>Jeder Filter auf diesem Bild mit den aktuellen Einstellungen: Klicken Sie auf einen, um ihn zu wählen</translation>
    </message>
</context>
<context>
    <name>QtFileDialogs</name>
    <message>
        <source>Open Picture</source>
        <translation>Bild öffnen</translation>
    </message>
    <message>
        <source>Save Picture as JPEG</source>
        <translation>Bild als JPEG speichern</translation>
    </message>
    <message>
        <source>JPEG images (*.jpg)</source>
        <translation>JPEG-Bilder (*.jpg)</translation>
    </message>
    <message>
        <source>Export Picture as PNG</source>
        <translation>Bild als PNG exportieren</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message>
        <source>All supported pictures (%1)</source>
        <translation>Alle unterstützten Bilder (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>QtMessageBoxes</name>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>The filtered picture has changed since it was last saved. If you discard it, the change is lost.</source>
        <translation>Das gefilterte Bild wurde seit dem letzten Speichern verändert. Wenn Sie es verwerfen, geht die Änderung verloren.</translation>
    </message>
</context>
<context>
    <name>WindowTitle</name>
    <message>
        <source>%1 (%2 × %3) — %4</source>
        <translation>%1 (%2 × %3) — %4</translation>
    </message>
    <message>
        <source>lower-case</source>
        <extracomment>Not shown. &quot;lower-case&quot; where a name like &quot;Pasted picture&quot; is written in lower case inside a sentence; &quot;as-is&quot; where it keeps its capitals.</extracomment>
        <translation>as-is</translation>
    </message>
</context>
<context>
    <name>tintwell</name>
    <message>
        <source>cannot take the %1: %2 x %3 pixels is too large</source>
        <translation>%1 kann nicht übernommen werden: %2 × %3 Pixel sind zu groß</translation>
    </message>
    <message>
        <source>cannot take the %1: out of memory</source>
        <translation>%1 kann nicht übernommen werden: nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Keine Berechtigung</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>Vorgang nicht zulässig</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>Datei oder Ordner nicht gefunden</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>Kein Speicherplatz mehr auf dem Gerät</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>Speicherkontingent überschritten</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>Schreibgeschütztes Dateisystem</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>Ein-/Ausgabefehler</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>Kein Ordner</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Ist ein Ordner</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>Dateiname zu lang</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Zu viele Ebenen symbolischer Verknüpfungen</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>Datei zu groß</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Zu viele offene Dateien</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>Nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>Gerät oder Ressource belegt</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>Veraltetes Dateihandle</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>Unterbrochene Pipe</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a named pipe</source>
        <translation>eine benannte Pipe</translation>
    </message>
    <message>
        <source>a character device</source>
        <translation>ein zeichenorientiertes Gerät</translation>
    </message>
    <message>
        <source>a block device</source>
        <translation>ein blockorientiertes Gerät</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>more than %1 bytes of input</source>
        <translation>mehr als %1 Byte Eingabedaten</translation>
    </message>
    <message>
        <source>it is a symbolic link to a file that does not exist</source>
        <translation>dies ist eine symbolische Verknüpfung auf eine Datei, die nicht existiert</translation>
    </message>
    <message>
        <source>it is a symbolic link that loops</source>
        <translation>dies ist eine symbolische Verknüpfung, die auf sich selbst zurückverweist</translation>
    </message>
    <message>
        <source>it is a symbolic link to %1, not to a regular file</source>
        <translation>dies ist eine symbolische Verknüpfung, deren Ziel keine gewöhnliche Datei ist, sondern %1</translation>
    </message>
    <message>
        <source>it is %1, not a regular file</source>
        <translation>dies ist %1, keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it became %1 while being written</source>
        <translation>es wurde während des Schreibens ersetzt und ist jetzt %1</translation>
    </message>
    <message>
        <source>it is a folder, not a picture file</source>
        <translation>dies ist ein Ordner, keine Bilddatei</translation>
    </message>
    <message>
        <source>the file is larger than %1 bytes</source>
        <translation>die Datei ist größer als %1 Byte</translation>
    </message>
    <message>
        <source>HEIF decoding failed</source>
        <translation>HEIF-Dekodierung fehlgeschlagen</translation>
    </message>
    <message>
        <source>HEIF: %1</source>
        <translation>HEIF: %1</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>picture of %1 x %2 pixels is too large (limit %3 bytes)</source>
        <translation>ein Bild mit %1 × %2 Pixeln ist zu groß (höchstens %3 Byte)</translation>
    </message>
    <message>
        <source>HEIF decoder gave an unusable picture</source>
        <translation>der HEIF-Decoder lieferte ein unbrauchbares Bild</translation>
    </message>
    <message>
        <source>out of memory for the picture</source>
        <translation>nicht genug Arbeitsspeicher für das Bild</translation>
    </message>
    <message>
        <source>too many progressive scans (a damaged or hostile file)</source>
        <translation>zu viele progressive Durchläufe (eine beschädigte oder manipulierte Datei)</translation>
    </message>
    <message>
        <source>no picture in the JPEG data</source>
        <translation>kein Bild in den JPEG-Daten</translation>
    </message>
    <message>
        <source>corrupt JPEG data: %1 bytes cannot hold a picture of %2 x %3 pixels</source>
        <translation>beschädigte JPEG-Daten: %1 Byte können kein Bild mit %2 × %3 Pixeln enthalten</translation>
    </message>
    <message>
        <source>JPEG colour space %1 is not supported</source>
        <translation>JPEG-Farbraum %1 wird nicht unterstützt</translation>
    </message>
    <message>
        <source>unexpected JPEG output layout</source>
        <translation>unerwartetes Ausgabeformat des JPEG-Decoders</translation>
    </message>
    <message>
        <source>the JPEG decoder stopped early</source>
        <translation>der JPEG-Decoder brach vorzeitig ab</translation>
    </message>
    <message>
        <source>JPEG data too large</source>
        <translation>JPEG-Daten zu groß</translation>
    </message>
    <message>
        <source>no picture to save</source>
        <translation>kein Bild zum Speichern</translation>
    </message>
    <message>
        <source>JPEG cannot hold more than %1 pixels a side</source>
        <translation>JPEG erlaubt höchstens %1 Pixel pro Seite</translation>
    </message>
    <message>
        <source>out of memory converting the picture</source>
        <translation>nicht genug Arbeitsspeicher zum Umwandeln des Bildes</translation>
    </message>
    <message>
        <source>JPEG encoder wrote no picture data</source>
        <translation>der JPEG-Encoder hat keine Bilddaten geschrieben</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>corrupt PNG data: a chunk claims %1 bytes, more than the file holds</source>
        <translation>beschädigte PNG-Daten: ein Block gibt %1 Byte an, mehr als die Datei enthält</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>picture is empty or too large</source>
        <translation>das Bild ist leer oder zu groß</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>Standardausgabe</translation>
    </message>
    <message>
        <source>unsupported format &quot;%1&quot;</source>
        <translation>nicht unterstütztes Format „%1“</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>Fehler %1</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>die Datei konnte nicht geschrieben werden</translation>
    </message>
</context>
</TS>
