<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="de_DE">
<context>
    <name>Msg</name>
    <message>
        <source>Die gemessene Länge %s muss zwischen %s und %s mm liegen (eine Nachkommastelle).</source>
        <translation>The measured length %s must be between %s and %s mm (one decimal place).</translation>
    </message>
    <message>
        <source>Eine Druckerkorrektur gilt für einen Drucker. Beim Drucken in eine Datei wird keine Korrektur angewandt.</source>
        <translation>A printer correction applies to one printer. When printing to a file, no correction is applied.</translation>
    </message>
    <message>
        <source>Aufruf: vellacour [LAYOUT.vco]
        vellacour --help | --version
</source>
        <translation>Usage: vellacour [LAYOUT.vco]
       vellacour --help | --version
</translation>
    </message>
    <message>
        <source>&amp;Rückgängig</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Wiederherstellen</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>Vellacour-Dateien (*.vco)|*.vco</source>
        <translation>Vellacour files (*.vco)|*.vco</translation>
    </message>
    <message>
        <source>&lt;Unbenannt&gt;</source>
        <translation>&lt;Untitled&gt;</translation>
    </message>
    <message>
        <source>Textdateien (*.txt)|*.txt|Alle Dateien (*)|*</source>
        <translation>Text files (*.txt)|*.txt|All files (*)|*</translation>
    </message>
    <message>
        <source>Es werden nur die ersten %d Zeilen übernommen.</source>
        <translation>Only the first %d lines are used.</translation>
    </message>
    <message>
        <source>Die Datei %s ist zu groß für eine Titelliste.</source>
        <translation>The file %s is too large for a track list.</translation>
    </message>
    <message>
        <source>Ungültige Größe: %s</source>
        <translation>Invalid size: %s</translation>
    </message>
    <message>
        <source>Ein Bild von %d x %d Pixeln ist zu groß</source>
        <translation>A picture of %d x %d pixels is too large</translation>
    </message>
    <message>
        <source>Unbekanntes Papierformat: %s</source>
        <translation>Unknown paper size: %s</translation>
    </message>
    <message>
        <source>Ungültige Auflösung: %s</source>
        <translation>Invalid resolution: %s</translation>
    </message>
    <message>
        <source>Datei %s kann nicht erstellt werden</source>
        <translation>Cannot create file %s</translation>
    </message>
    <message>
        <source>Metadatei ist ungültig</source>
        <translation>Metafile is invalid</translation>
    </message>
    <message>
        <source>Leinwand/Bild erlaubt kein Zeichnen</source>
        <translation>Canvas/picture does not allow drawing</translation>
    </message>
    <message>
        <source>Ungültiges Symbol</source>
        <translation>Invalid icon</translation>
    </message>
    <message>
        <source>Die Größe eines Symbols kann nicht geändert werden</source>
        <translation>Cannot change the size of an icon</translation>
    </message>
    <message>
        <source>Symbole</source>
        <translation>Icons</translation>
    </message>
    <message>
        <source>JPEG-Fehlernr. %d</source>
        <translation>JPEG error #%d</translation>
    </message>
    <message>
        <source>Die Größe eines JPEG-Bildes kann nicht verändert werden</source>
        <translation>Cannot change the size of a JPEG image</translation>
    </message>
    <message>
        <source>JPEG-Bild ist zu groß (%u x %u Pixel) und kann nicht geladen werden</source>
        <translation>JPEG image is too large (%u x %u pixels) and cannot be loaded</translation>
    </message>
    <message>
        <source>JPEG-Datei ist zu groß und kann nicht geladen werden</source>
        <translation>JPEG file is too large and cannot be loaded</translation>
    </message>
    <message>
        <source>JPEG Bilddatei</source>
        <translation>JPEG image file</translation>
    </message>
    <message>
        <source> (%dx%d)</source>
        <translation> (%dx%d)</translation>
    </message>
    <message>
        <source>Grafik:</source>
        <translation>Picture:</translation>
    </message>
    <message>
        <source>(Leer)</source>
        <translation>(None)</translation>
    </message>
    <message>
        <source>Vorschau</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Unbekannte Bilddateierweiterung (.%s)</source>
        <translation>Unknown picture file extension (.%s)</translation>
    </message>
    <message>
        <source>PNG-Bild ist ungültig</source>
        <translation>PNG image is invalid</translation>
    </message>
    <message>
        <source>PNG-Bild ist zu groß (%u x %u Pixel) und kann nicht geladen werden</source>
        <translation>PNG image is too large (%u x %u pixels) and cannot be loaded</translation>
    </message>
    <message>
        <source>PNG-Datei ist zu groß und kann nicht geladen werden</source>
        <translation>PNG file is too large and cannot be loaded</translation>
    </message>
    <message>
        <source>Die Größe eines PNG-Bildes kann nicht verändert werden</source>
        <translation>Cannot change the size of a PNG image</translation>
    </message>
    <message>
        <source>PNG Bilddatei</source>
        <translation>PNG image file</translation>
    </message>
    <message>
        <source>Das Drucken ist im Gang</source>
        <translation>Printing is in progress</translation>
    </message>
    <message>
        <source>Der Drucker ist nicht am Drucken</source>
        <translation>The printer is not printing</translation>
    </message>
    <message>
        <source>Zur Zeit ist kein Standard-Drucker gewählt</source>
        <translation>No default printer is currently selected</translation>
    </message>
    <message>
        <source>Ausgewählter Drucker ist ungültig</source>
        <translation>The selected printer is invalid</translation>
    </message>
    <message>
        <source>Der Druckdienst (%s) antwortet nicht</source>
        <translation>The print service (%s) is not responding</translation>
    </message>
    <message>
        <source>Drucken ist nicht möglich: %s.</source>
        <translation>Cannot print: %s.</translation>
    </message>
    <message>
        <source>Der Druckauftrag konnte nicht an %s übergeben werden (%s)</source>
        <translation>The print job could not be sent to %s (%s)</translation>
    </message>
    <message>
        <source>Der Druckauftrag konnte nicht zwischengespeichert werden (%s)</source>
        <translation>The print job could not be spooled (%s)</translation>
    </message>
    <message>
        <source>Der Ausdruck konnte nicht nach %s geschrieben werden</source>
        <translation>The printout could not be written to %s</translation>
    </message>
    <message>
        <source>Der Ausdruck konnte nicht erzeugt werden</source>
        <translation>The printout could not be created</translation>
    </message>
    <message>
        <source>die CUPS-Bibliothek lässt sich nicht laden (%s)</source>
        <translation>the CUPS library cannot be loaded (%s)</translation>
    </message>
    <message>
        <source>Der Rückentitel ist zu lang für den Rücken und wird gekürzt.</source>
        <translation>The spine title is too long for the spine and will be shortened.</translation>
    </message>
    <message>
        <source>Der Titel ist zu lang für das Cover und wird gekürzt.</source>
        <translation>The title is too long for the front cover and will be shortened.</translation>
    </message>
    <message>
        <source>Die Titelliste passt auch in kleinster Schrift nicht auf die Rückseite: %d von %d Titeln werden gedruckt.</source>
        <translation>The track list does not fit on the back inlay even in the smallest font size: %d of %d tracks will be printed.</translation>
    </message>
    <message>
        <source>Zu lange Titel werden gekürzt.</source>
        <translation>Track titles that are too long will be shortened.</translation>
    </message>
    <message>
        <source>Die Schrift „%s“ ist nicht installiert; stattdessen wird „%s“ verwendet.</source>
        <translation>The font “%s” is not installed; “%s” is used instead.</translation>
    </message>
    <message>
        <source>Die Layoutdatei %s wurde nicht gefunden</source>
        <translation>The layout file %s was not found</translation>
    </message>
    <message>
        <source>Die Layoutdatei %s kann nicht gelesen werden</source>
        <translation>The layout file %s cannot be read</translation>
    </message>
    <message>
        <source>%s ist keine Vellacour-Layoutdatei</source>
        <translation>%s is not a Vellacour layout file</translation>
    </message>
    <message>
        <source>Diese Bilder wurden nicht am gespeicherten Ort, aber im Ordner der Layoutdatei gefunden und werden von dort verwendet:
%s
Beim Speichern wird der neue Ort eingetragen.</source>
        <translation>These pictures were not found at their saved location but in the folder of the layout file, and are used from there:
%s
Saving the layout records the new location.</translation>
    </message>
    <message>
        <source>Diese Bilder wurden nicht gefunden:
%s
Der Teil bleibt leer, bis ein anderes Bild eingefügt wird; die Layoutdatei behält den Eintrag.</source>
        <translation>These pictures were not found:
%s
The part stays empty until another picture is inserted; the layout file keeps the entry.</translation>
    </message>
    <message>
        <source>Diese Bilder fehlen und werden leer gedruckt:
%s
Trotzdem drucken?</source>
        <translation>These pictures are missing and will be printed blank:
%s
Print anyway?</translation>
    </message>
    <message>
        <source>Bild fehlt:
%s</source>
        <translation>Picture missing:
%s</translation>
    </message>
    <message>
        <source>Das Bild %s wurde im Ordner der Layoutdatei gefunden</source>
        <translation>The picture %s was found in the folder of the layout file</translation>
    </message>
    <message>
        <source>%s ist ein Bild dieses Layouts und wird nicht überschrieben</source>
        <translation>%s is a picture of this layout and will not be overwritten</translation>
    </message>
    <message>
        <source>%d × %d Pixel</source>
        <translation>%d × %d pixels</translation>
    </message>
    <message>
        <source>, geringe Auflösung</source>
        <translation>, low resolution</translation>
    </message>
    <message>
        <source>© 2026 Die Vellacour-Entwickler</source>
        <translation>© 2026 The Vellacour developers</translation>
    </message>
    <message>
        <source>Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs (%s).</source>
        <translation>Part of the printout lies outside the printable area (%s).</translation>
    </message>
    <message>
        <source>Trotzdem drucken?</source>
        <translation>Print anyway?</translation>
    </message>
    <message>
        <source>Mit der Anordnung „untereinander“ passt der Bogen auf dieses Papier.</source>
        <translation>With the arrangement “stacked”, the sheet fits on this paper.</translation>
    </message>
    <message>
        <source>Nebeneinander ist die Beschnittzugabe auf 1 mm begrenzt; „untereinander“ erlaubt 3 mm.</source>
        <translation>Side by side, the bleed is limited to 1 mm; “stacked” allows 3 mm.</translation>
    </message>
    <message>
        <source>Bitmap ist ungültig</source>
        <translation>Bitmap is invalid</translation>
    </message>
    <message>
        <source>Datei %s kann nicht geöffnet werden</source>
        <translation>Cannot open file %s</translation>
    </message>
    <message>
        <source>Stream-Read-Fehler</source>
        <translation>Stream read error</translation>
    </message>
    <message>
        <source>nach %s kann nicht geschrieben werden</source>
        <translation>Cannot write to %s</translation>
    </message>
    <message>
        <source>Win32-Fehler.  Code: %d.
%s</source>
        <translation>Win32 error.  Code: %d.
%s</translation>
    </message>
    <message>
        <source>Systemressourcen erschöpft.</source>
        <translation>Out of system resources.</translation>
    </message>
    <message>
        <source>Datei: %s</source>
        <translation>File: %s</translation>
    </message>
    <message>
        <source>Ungültiger Datentyp für &apos;%s&apos;</source>
        <translation>Invalid data type for &apos;%s&apos;</translation>
    </message>
    <message>
        <source>Konnte Daten für &apos;%s&apos; nicht holen</source>
        <translation>Could not get data for &apos;%s&apos;</translation>
    </message>
    <message>
        <source>Konnte Daten für &apos;%s&apos; nicht setzen</source>
        <translation>Could not set data for &apos;%s&apos;</translation>
    </message>
    <message>
        <source>Die Einstellungen können nicht gespeichert werden, denn &apos;%s&apos; ist schreibgeschützt.</source>
        <translation>The settings cannot be saved because &apos;%s&apos; is read-only.</translation>
    </message>
    <message>
        <source>Die Ausgabedatei %s ist keine gewöhnliche Datei</source>
        <translation>The output file %s is not a regular file</translation>
    </message>
    <message>
        <source>Die Ausgabedatei %s ist eine der Eingabedateien</source>
        <translation>The output file %s is one of the input files</translation>
    </message>
    <message>
        <source>Warnung: </source>
        <translation>Warning: </translation>
    </message>
    <message>
        <source>Metadateien</source>
        <translation>Metafiles</translation>
    </message>
    <message>
        <source>Erweiterte Metadateien</source>
        <translation>Enhanced metafiles</translation>
    </message>
    <message>
        <source>Bitmaps</source>
        <translation>Bitmaps</translation>
    </message>
    <message>
        <source>CUPS-Bibliothek (libcups.so.2) nicht gefunden</source>
        <translation>CUPS library (libcups.so.2) not found</translation>
    </message>
    <message>
        <source>kein Druckdienst</source>
        <translation>no print service</translation>
    </message>
    <message>
        <source>Vellacour - Prüfbogen für die Druckerkorrektur</source>
        <translation>Vellacour - test sheet for the printer correction</translation>
    </message>
    <message>
        <source>Drucker: %s</source>
        <translation>Printer: %s</translation>
    </message>
    <message>
        <source>Gedruckt mit der Korrektur %s mm nach rechts, %s mm nach unten, ohne Maßstab.</source>
        <translation>Printed with a correction of %s mm to the right, %s mm down, without scaling.</translation>
    </message>
    <message>
        <source>Richtig steht das Kreuz %s mm vom linken und %s mm vom oberen Blattrand.</source>
        <translation>The cross should be %s mm from the left and %s mm from the top edge.</translation>
    </message>
    <message>
        <source>Steht es weiter rechts oder tiefer, die Abweichung von der Korrektur abziehen,</source>
        <translation>If it is further right or lower, subtract the difference from the correction;</translation>
    </message>
    <message>
        <source>steht es weiter links oder höher, sie hinzuzählen (in Zehntelmillimetern).</source>
        <translation>if it is further left or higher, add it (in tenths of a millimeter).</translation>
    </message>
    <message>
        <source>Ohne Lineal: das Blatt Kante auf Kante falten; die Zahl, bei der der Falz die</source>
        <translation>Without a ruler: fold the paper edge to edge and add the number where the fold</translation>
    </message>
    <message>
        <source>mittlere Skala kreuzt, zur Korrektur hinzuzählen (links auf rechts: nach rechts,</source>
        <translation>crosses the middle scale to the correction (left onto right: to the right,</translation>
    </message>
    <message>
        <source>oben auf unten: nach unten; in Millimetern).</source>
        <translation>top onto bottom: down; in millimeters).</translation>
    </message>
    <message>
        <source>Maßstab: die langen Lineale (%d mm waagerecht, %d mm senkrecht) nachmessen und eintragen.</source>
        <translation>Scale: measure the long rulers (%d mm horizontal, %d mm vertical) and enter the lengths.</translation>
    </message>
    <message>
        <source>Gedruckt mit Vellacour - %s - %s - %s</source>
        <translation>Printed with Vellacour - %s - %s - %s</translation>
    </message>
    <message>
        <source>Vorderseite</source>
        <translation>Front cover</translation>
    </message>
    <message>
        <source>Rückseite</source>
        <translation>Back inlay</translation>
    </message>
    <message>
        <source>links</source>
        <translation>left</translation>
    </message>
    <message>
        <source>rechts</source>
        <translation>right</translation>
    </message>
    <message>
        <source>oben</source>
        <translation>top</translation>
    </message>
    <message>
        <source>unten</source>
        <translation>bottom</translation>
    </message>
    <message>
        <source>CD-Jewelcase</source>
        <translation>CD jewel case</translation>
    </message>
    <message>
        <source>CD-Slimcase</source>
        <translation>CD slim case</translation>
    </message>
    <message>
        <source>DVD-Hülle</source>
        <translation>DVD case</translation>
    </message>
    <message>
        <source>Blu-ray-Hülle</source>
        <translation>Blu-ray case</translation>
    </message>
    <message>
        <source>Eigene Maße</source>
        <translation>Custom size</translation>
    </message>
    <message>
        <source>Auf Papier im Format %s passt der Bogen.</source>
        <translation>The sheet fits on %s paper.</translation>
    </message>
    <message>
        <source>%s oder %s</source>
        <translation>%s or %s</translation>
    </message>
    <message>
        <source>Auf diesem Papier ist die Beschnittzugabe auf %s mm begrenzt, damit sie mit den Schnittmarken 5 mm innerhalb des Papierrands bleibt.</source>
        <translation>On this paper the bleed is limited to %s mm, so that it stays 5 mm inside the paper&apos;s edge with its crop marks.</translation>
    </message>
    <message>
        <source>Etikettenbogen in %s, Zeile %d: %s</source>
        <translation>Label sheet in %s, line %d: %s</translation>
    </message>
    <message>
        <source>unvollständig; eine Zeile lautet: Name Papier Außendurchmesser Loch x,y …</source>
        <translation>incomplete; a line reads: name paper outer-diameter hole x,y …</translation>
    </message>
    <message>
        <source>unbekanntes Papier „%s“ (A4 oder Letter)</source>
        <translation>unknown paper “%s” (A4 or Letter)</translation>
    </message>
    <message>
        <source>der Name „%s“ enthält Leerzeichen</source>
        <translation>the name “%s” contains blanks</translation>
    </message>
    <message>
        <source>„%s“ ist keine Länge in Millimetern (mit Punkt, höchstens eine Nachkommastelle)</source>
        <translation>“%s” is not a length in millimetres (with a point, at most one decimal)</translation>
    </message>
    <message>
        <source>das Loch (%s mm) ist nicht kleiner als der Außendurchmesser (%s mm)</source>
        <translation>the hole (%s mm) is not smaller than the outer diameter (%s mm)</translation>
    </message>
    <message>
        <source>der Außendurchmesser %s mm liegt nicht zwischen 100 und 120 mm</source>
        <translation>the outer diameter %s mm is not between 100 and 120 mm</translation>
    </message>
    <message>
        <source>das Loch %s mm liegt nicht zwischen 15 und 45 mm</source>
        <translation>the hole %s mm is not between 15 and 45 mm</translation>
    </message>
    <message>
        <source>„%s“ ist keine Position x,y in Millimetern</source>
        <translation>“%s” is not a position x,y in millimetres</translation>
    </message>
    <message>
        <source>das Etikett bei %s liegt nicht ganz auf dem Papier</source>
        <translation>the label at %s does not lie wholly on the paper</translation>
    </message>
    <message>
        <source>die Etiketten bei %s und bei %s überdecken sich</source>
        <translation>the labels at %s and at %s overlap</translation>
    </message>
    <message>
        <source>einen Etikettenbogen namens „%s“ gibt es schon</source>
        <translation>a label sheet named “%s” exists already</translation>
    </message>
    <message>
        <source>Die Datei %s ist zu groß für eine Liste von Etikettenbögen und wird nicht gelesen</source>
        <translation>The file %s is too large for a list of label sheets and is not read</translation>
    </message>
    <message>
        <source>Es ist keine Etikettenposition angegeben</source>
        <translation>No label position is given</translation>
    </message>
    <message>
        <source>Die Position „%s“ gibt es auf dem Etikettenbogen %s nicht; er hat die Positionen 1 bis %d</source>
        <translation>There is no position “%s” on the label sheet %s; its positions are 1 to %d</translation>
    </message>
    <message>
        <source>Der Titel ist zu lang für das Disc-Etikett und wird gekürzt.</source>
        <translation>The title is too long for the disc label and will be shortened.</translation>
    </message>
    <message>
        <source>Die zweite Zeile ist zu lang für das Disc-Etikett und wird gekürzt.</source>
        <translation>The second line is too long for the disc label and will be shortened.</translation>
    </message>
    <message>
        <source>Zu lange Zeilen in der Mitte des Disc-Etiketts werden gekürzt.</source>
        <translation>Lines too long for the middle of the disc label will be shortened.</translation>
    </message>
    <message>
        <source>Die Zeilen passen auch in kleinster Schrift nicht in die Mitte des Disc-Etiketts: %d von %d Zeilen werden gedruckt.</source>
        <translation>Even in the smallest type the lines do not fit into the middle of the disc label: %d of %d lines will be printed.</translation>
    </message>
    <message>
        <source>Die Position %d ist mehrfach angegeben</source>
        <translation>Position %d is given more than once</translation>
    </message>
    <message>
        <source>Jeder Teil %s bis %s mm breit und hoch, der Rücken bis %s mm; der ganze Umschlag höchstens %s × %s mm.</source>
        <translation>Each panel %s to %s mm wide and high, the spine up to %s mm; the whole wrap at most %s × %s mm.</translation>
    </message>
    <message>
        <source>Der Umschlag wäre %s × %s mm groß (zwei Teile und der Rücken nebeneinander); höchstens %s × %s mm sind möglich, so viel hält US Legal mit 5 mm Rand.</source>
        <translation>The wrap would be %s × %s mm (two panels and the spine side by side); at most %s × %s mm are possible, what US Legal holds inside margins of 5 mm.</translation>
    </message>
    <message>
        <source>Ein Slimcase hat keinen Rücken: der Rückentitel wird nicht gedruckt.</source>
        <translation>A slim case has no spine: the spine title is not printed.</translation>
    </message>
    <message>
        <source>Dieser Umschlag hat keinen Rücken: der Rückentitel wird nicht gedruckt.</source>
        <translation>This wrap has no spine: the spine title is not printed.</translation>
    </message>
    <message>
        <source>Einen Etikettenbogen namens „%s“ gibt es nicht; vellacour-export disc --sheets nennt alle</source>
        <translation>There is no label sheet named “%s”; vellacour-export disc --sheets lists them all</translation>
    </message>
    <message>
        <source>--paper und --sheet schließen sich aus: ein Etikettenbogen hat sein eigenes Papier</source>
        <translation>--paper and --sheet exclude each other: a label sheet has its own paper</translation>
    </message>
    <message>
        <source>%s gilt nur für einen Etikettenbogen (mit --sheet)</source>
        <translation>%s applies only to a label sheet (with --sheet)</translation>
    </message>
    <message>
        <source>Ungültiger Überdruck: %s (0 bis 2 mm, höchstens eine Nachkommastelle)</source>
        <translation>Invalid overprint: %s (0 to 2 mm, at most one decimal)</translation>
    </message>
    <message>
        <source>Die Layoutdatei %s enthält kein Disc-Etikett: weder ein Disc-Bild noch Text dafür</source>
        <translation>The layout file %s holds no disc label: neither a disc picture nor words for it</translation>
    </message>
    <message>
        <source>Das Disc-Etikett ist leer: fügen Sie ein Disc-Bild ein oder beschriften Sie es (Einfügen, Disc-Etikett...).</source>
        <translation>The disc label is empty: insert a disc picture or give it words (Insert, Disc label...).</translation>
    </message>
    <message>
        <source>Disc-Etikett</source>
        <translation>disc label</translation>
    </message>
    <message>
        <source>Die AVIF-Datei ist beschädigt oder wird nicht unterstützt.</source>
        <translation>The AVIF file is damaged or not supported.</translation>
    </message>
    <message>
        <source>Das AVIF-Bild ist mit %lld × %lld Pixeln zu groß.</source>
        <translation>The AVIF picture, at %lld × %lld pixels, is too large.</translation>
    </message>
    <message>
        <source>Die HEIC-Datei ist beschädigt oder wird nicht unterstützt.</source>
        <translation>The HEIC file is damaged or not supported.</translation>
    </message>
    <message>
        <source>Das HEIC-Bild ist mit %lld × %lld Pixeln zu groß.</source>
        <translation>The HEIC picture, at %lld × %lld pixels, is too large.</translation>
    </message>
    <message>
        <source>%s-Datei ist beschädigt oder wird nicht unterstützt</source>
        <translation>%s file is damaged or not supported</translation>
    </message>
    <message>
        <source>%s-Dateien werden noch nicht unterstützt</source>
        <translation>%s files are not supported yet</translation>
    </message>
    <message>
        <source>%s-Bild ist zu groß (%u x %u Pixel) und kann nicht geladen werden</source>
        <translation>%s image is too large (%u x %u pixels) and cannot be loaded</translation>
    </message>
    <message>
        <source>%s-Datei ist zu groß und kann nicht geladen werden</source>
        <translation>%s file is too large and cannot be loaded</translation>
    </message>
    <message>
        <source>Das Lesen der %s-Datei braucht mehr Speicher oder Rechenzeit als erlaubt</source>
        <translation>Reading the %s file needs more memory or processor time than allowed</translation>
    </message>
    <message>
        <source>Das Lesen der %s-Datei wurde abgebrochen, weil es zu lange gedauert hat</source>
        <translation>Reading the %s file was stopped because it took too long</translation>
    </message>
    <message>
        <source>Das Hilfsprogramm zum Lesen der %s-Datei ist abgestürzt</source>
        <translation>The helper program reading the %s file crashed</translation>
    </message>
    <message>
        <source>Das Hilfsprogramm %s zum Lesen von Bildern fehlt</source>
        <translation>The picture-reading helper program %s is missing</translation>
    </message>
    <message>
        <source>WebP Bilddatei</source>
        <translation>WebP image file</translation>
    </message>
    <message>
        <source>TIFF Bilddatei</source>
        <translation>TIFF image file</translation>
    </message>
    <message>
        <source>GIF Bilddatei</source>
        <translation>GIF image file</translation>
    </message>
    <message>
        <source>SVG Vektorgrafik</source>
        <translation>SVG vector graphic</translation>
    </message>
    <message>
        <source>HEIF Bilddatei</source>
        <translation>HEIF image file</translation>
    </message>
    <message>
        <source>AVIF Bilddatei</source>
        <translation>AVIF image file</translation>
    </message>
    <message>
        <source>Die Größe eines %s-Bildes kann nicht verändert werden</source>
        <translation>The size of a %s image cannot be changed</translation>
    </message>
    <message>
        <source>Alle Dateien (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.gif;*.svg;*.heic;*.heif;*.avif)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.gif;*.svg;*.heic;*.heif;*.avif|JPEG Bilddatei (*.jpg)|*.jpg|JPEG Bilddatei (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Symbole (*.ico)|*.ico|Erweiterte Metadateien (*.emf)|*.emf|Metadateien (*.wmf)|*.wmf|PNG Bilddatei (*.png)|*.png|WebP Bilddatei (*.webp)|*.webp|TIFF Bilddatei (*.tif;*.tiff)|*.tif;*.tiff|GIF Bilddatei (*.gif)|*.gif|SVG Vektorgrafik (*.svg)|*.svg|HEIF Bilddatei (*.heic;*.heif)|*.heic;*.heif|AVIF Bilddatei (*.avif)|*.avif</source>
        <translation>All pictures (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.gif;*.svg;*.heic;*.heif;*.avif)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.gif;*.svg;*.heic;*.heif;*.avif|JPEG image file (*.jpg)|*.jpg|JPEG image file (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|PNG image file (*.png)|*.png|WebP image file (*.webp)|*.webp|TIFF image file (*.tif;*.tiff)|*.tif;*.tiff|GIF image file (*.gif)|*.gif|SVG vector graphic (*.svg)|*.svg|HEIF image file (*.heic;*.heif)|*.heic;*.heif|AVIF image file (*.avif)|*.avif</translation>
    </message>
    <message>
        <source>Vektorgrafik</source>
        <translation>vector graphic</translation>
    </message>
    <message>
        <source>Im Ordner %s wurde keine lesbare Audiodatei gefunden</source>
        <translation>No readable audio file was found in the folder %s</translation>
    </message>
    <message>
        <source>Der Ordner %s kann nicht gelesen werden</source>
        <translation>The folder %s cannot be read</translation>
    </message>
    <message>
        <source>%s übergangen: keine lesbare Audiodatei</source>
        <translation>%s skipped: not a readable audio file</translation>
    </message>
    <message>
        <source>Die CUE-Datei %s kann nicht gelesen werden</source>
        <translation>The CUE file %s cannot be read</translation>
    </message>
    <message>
        <source>Die CUE-Datei %s ist zu groß (mehr als %d KiB)</source>
        <translation>The CUE file %s is too large (more than %d KiB)</translation>
    </message>
    <message>
        <source>Nur das erste MiB der CUE-Datei wurde gelesen</source>
        <translation>Only the first MiB of the CUE file was read</translation>
    </message>
    <message>
        <source>Zeile %d übergangen: %s</source>
        <translation>Line %d skipped: %s</translation>
    </message>
    <message>
        <source>Mehr als %d Titel: die übrigen wurden übergangen</source>
        <translation>More than %d tracks: the rest were skipped</translation>
    </message>
    <message>
        <source>Die Titelliste fasst %d Zeilen: %d weitere Zeilen wurden weggelassen.</source>
        <translation>The track list holds %d lines: %d more lines were left out.</translation>
    </message>
    <message>
        <source>Die Zwischenablage enthält kein Bild.</source>
        <translation>The clipboard holds no picture.</translation>
    </message>
    <message>
        <source>Aus der Zwischenablage eingefügt</source>
        <translation>Pasted from the clipboard</translation>
    </message>
    <message>
        <source>Das Bild %s kann nicht geschrieben werden</source>
        <translation>The picture %s cannot be written</translation>
    </message>
    <message>
        <source>Unter %s wurde kein Album-Ordner gefunden</source>
        <translation>No album folder was found under %s</translation>
    </message>
    <message>
        <source>Diese Ordner wurden nicht gedruckt:</source>
        <translation>These folders were not printed:</translation>
    </message>
    <message>
        <source>Kein Album wurde gedruckt; %s bleibt, wie es war</source>
        <translation>No album was printed; %s stays as it was</translation>
    </message>
    <message>
        <source>%d von %d Alben gedruckt nach %s</source>
        <translation>%d of %d albums printed into %s</translation>
    </message>
    <message>
        <source>Aufruf: vellacour-export picture DATEI -o AUSGABE.png [--size BxH]
        vellacour-export sheet LAYOUT.vco -o AUSGABE.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]
        vellacour-export disc LAYOUT.vco -o AUSGABE.pdf [--sheet NAME] [--positions 1,2] [--paper A4|Letter] [--frames] [--overprint MM] [--dpi N]
        vellacour-export disc --sheets
        vellacour-export album ORDNER -o AUSGABE.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]
        vellacour-export collection ORDNER -o AUSGABE.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]
        vellacour-export --help | --version
</source>
        <translation>Usage: vellacour-export picture FILE -o OUTPUT.png [--size WxH]
       vellacour-export sheet LAYOUT.vco -o OUTPUT.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]
       vellacour-export disc LAYOUT.vco -o OUTPUT.pdf [--sheet NAME] [--positions 1,2] [--paper A4|Letter] [--frames] [--overprint MM] [--dpi N]
       vellacour-export disc --sheets
       vellacour-export album FOLDER -o OUTPUT.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]
       vellacour-export collection FOLDER -o OUTPUT.pdf [--frames] [--paper A4|Letter|Legal] [--dpi N]
       vellacour-export --help | --version
</translation>
    </message>
    <message>
        <source>Cover-Bild aus %s</source>
        <translation>Cover picture from %s</translation>
    </message>
</context>
<context>
    <name>TfrmCalibration</name>
    <message>
        <source>leer: kein Maßstab</source>
        <translation>empty: no scaling</translation>
    </message>
    <message>
        <source>Druckerkorrektur</source>
        <translation>Printer correction</translation>
    </message>
    <message>
        <source>Drucker: %1</source>
        <translation>Printer: %1</translation>
    </message>
    <message>
        <source>Der Prüfbogen zeigt, wie weit der Drucker die Seite verschiebt; negative Werte schieben nach links oder oben.</source>
        <translation>The test sheet shows how far the printer shifts the page; negative values shift it left or up.</translation>
    </message>
    <message>
        <source>&amp;Prüfbogen drucken</source>
        <translation>&amp;Print test sheet</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Nach &amp;rechts (0,1 mm):</source>
        <translation>Shift &amp;right (0.1 mm):</translation>
    </message>
    <message>
        <source>Nach &amp;unten (0,1 mm):</source>
        <translation>Shift &amp;down (0.1 mm):</translation>
    </message>
    <message>
        <source>Gemessene Länge &amp;waagerecht:</source>
        <translation>Measured length, &amp;horizontal:</translation>
    </message>
    <message>
        <source>&amp;senkrecht:</source>
        <translation>&amp;vertical:</translation>
    </message>
</context>
<context>
    <name>TfrmCaseSize</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Breite je Teil (mm):</source>
        <translation>Panel &amp;width (mm):</translation>
    </message>
    <message>
        <source>&amp;Höhe (mm):</source>
        <translation>Panel &amp;height (mm):</translation>
    </message>
    <message>
        <source>&amp;Rückenbreite (mm):</source>
        <translation>&amp;Spine width (mm):</translation>
    </message>
</context>
<context>
    <name>TfrmDisc</name>
    <message>
        <source> mm</source>
        <translation> mm</translation>
    </message>
    <message>
        <source>Disc-Etikett</source>
        <translation>Disc label</translation>
    </message>
    <message>
        <source>Etikett</source>
        <translation>Label</translation>
    </message>
    <message>
        <source>&amp;Farbe...</source>
        <translation>&amp;Colour...</translation>
    </message>
    <message>
        <source>&amp;Außendurchmesser:</source>
        <translation>&amp;Outer diameter:</translation>
    </message>
    <message>
        <source>&amp;Lochdurchmesser:</source>
        <translation>&amp;Hole diameter:</translation>
    </message>
    <message>
        <source>Hintergrund:</source>
        <translation>Background:</translation>
    </message>
    <message>
        <source>Beschriftung</source>
        <translation>Words</translation>
    </message>
    <message>
        <source>&amp;Titel (oben):</source>
        <translation>&amp;Title (top):</translation>
    </message>
    <message>
        <source>&amp;Zweite Zeile (unten):</source>
        <translation>&amp;Second line (bottom):</translation>
    </message>
    <message>
        <source>Zeilen in der &amp;Mitte:</source>
        <translation>Lines in the &amp;middle:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TfrmDiscPrint</name>
    <message>
        <source>Disc-Etikett drucken</source>
        <translation>Print disc label</translation>
    </message>
    <message>
        <source>Normales Papier (in der Mitte, zum Ausschneiden)</source>
        <translation>Plain paper (in the middle, to cut out)</translation>
    </message>
    <message>
        <source>So weit reicht das Bild über den Rand des Etiketts und in das Loch, damit ein etwas verschobenes Etikett keinen weißen Rand zeigt.</source>
        <translation>How far the picture reaches beyond the label&apos;s edge and into the hole, so that a label printed slightly off shows no white rim.</translation>
    </message>
    <message>
        <source>&amp;Papier:</source>
        <translation>&amp;Paper:</translation>
    </message>
    <message>
        <source>Etiketten:</source>
        <translation>Labels:</translation>
    </message>
    <message>
        <source>Ü&amp;berdruck:</source>
        <translation>O&amp;verprint:</translation>
    </message>
    <message>
        <source>&amp;Drucken...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>&amp;Vorschau...</source>
        <translation>Pre&amp;view...</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TfrmInfo</name>
    <message>
        <source>Info...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TfrmMain</name>
    <message>
        <source>Bearbei&amp;ten</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>Den letzten Schritt zurücknehmen</source>
        <translation>Undo the last step</translation>
    </message>
    <message>
        <source>Den zurückgenommenen Schritt wiederholen</source>
        <translation>Redo the undone step</translation>
    </message>
    <message>
        <source>Änderungen in %1 speichern?</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>Änderungen in %1 speichern</source>
        <translation>Save changes to %1</translation>
    </message>
    <message>
        <source>Bestätigung</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>&amp;Ja</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Nein</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Bild einfügen</source>
        <translation>Insert picture</translation>
    </message>
    <message>
        <source>&amp;Datei</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Neu</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>Neues Coverlayout</source>
        <translation>New cover layout</translation>
    </message>
    <message>
        <source>&amp;Laden</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Coverlayout laden</source>
        <translation>Open a cover layout</translation>
    </message>
    <message>
        <source>Let&amp;zte Dateien</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>&amp;Speichern</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Coverlayout speichern</source>
        <translation>Save the cover layout</translation>
    </message>
    <message>
        <source>Speichern &amp;unter...</source>
        <translation>Save &amp;as...</translation>
    </message>
    <message>
        <source>Coverlayout unter anderem Namen speichern</source>
        <translation>Save the cover layout under another name</translation>
    </message>
    <message>
        <source>Druc&amp;ken</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>Coverlayout drucken</source>
        <translation>Print the cover layout</translation>
    </message>
    <message>
        <source>Seiten&amp;ansicht...</source>
        <translation>Print pre&amp;view...</translation>
    </message>
    <message>
        <source>Coverlayout so zeigen, wie es gedruckt wird</source>
        <translation>Show the cover layout as it will be printed</translation>
    </message>
    <message>
        <source>Druckerkorrektur...</source>
        <translation>Printer correction...</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Einfügen</source>
        <translation>&amp;Insert</translation>
    </message>
    <message>
        <source>&amp;Cover</source>
        <translation>&amp;Front cover</translation>
    </message>
    <message>
        <source>Bilddatei als Cover einfügen</source>
        <translation>Insert a picture file as the front cover</translation>
    </message>
    <message>
        <source>&amp;Rückseite</source>
        <translation>&amp;Back inlay</translation>
    </message>
    <message>
        <source>Bilddatei als Rückseite einfügen</source>
        <translation>Insert a picture file as the back inlay</translation>
    </message>
    <message>
        <source>&amp;Beschriftung...</source>
        <translation>&amp;Cover text...</translation>
    </message>
    <message>
        <source>Rückentitel, Titelliste und Titel bearbeiten</source>
        <translation>Edit the spine title, track list and title</translation>
    </message>
    <message>
        <source>&amp;?</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Info...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>Hilfsrahmen drucken</source>
        <translation>Print cutting frames</translation>
    </message>
    <message>
        <source>Beschriftung</source>
        <translation>Cover text</translation>
    </message>
    <message>
        <source>&amp;Strecken</source>
        <translation>&amp;Stretch</translation>
    </message>
    <message>
        <source>Strecken</source>
        <translation>Stretch</translation>
    </message>
    <message>
        <source>&amp;Einpassen</source>
        <translation>F&amp;it</translation>
    </message>
    <message>
        <source>Einpassen</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>&amp;Füllen</source>
        <translation>&amp;Fill</translation>
    </message>
    <message>
        <source>Füllen</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>&amp;Bild</source>
        <translation>&amp;Picture</translation>
    </message>
    <message>
        <source>Ausschnitt</source>
        <translation>Crop</translation>
    </message>
    <message>
        <source>&amp;Drehen</source>
        <translation>&amp;Rotate</translation>
    </message>
    <message>
        <source>Drehen</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <source>Ausschnitt &amp;zurücksetzen</source>
        <translation>Reset &amp;crop</translation>
    </message>
    <message>
        <source>Ausschnitt zurücksetzen</source>
        <translation>Reset crop</translation>
    </message>
    <message>
        <source>&amp;nebeneinander</source>
        <translation>&amp;Side by side</translation>
    </message>
    <message>
        <source>&amp;untereinander</source>
        <translation>S&amp;tacked</translation>
    </message>
    <message>
        <source>&amp;keine</source>
        <translation>&amp;None</translation>
    </message>
    <message>
        <source>0,5 mm</source>
        <translation>0.5 mm</translation>
    </message>
    <message>
        <source>&amp;1 mm</source>
        <translation>&amp;1 mm</translation>
    </message>
    <message>
        <source>1,5 mm</source>
        <translation>1.5 mm</translation>
    </message>
    <message>
        <source>&amp;2 mm</source>
        <translation>&amp;2 mm</translation>
    </message>
    <message>
        <source>2,5 mm</source>
        <translation>2.5 mm</translation>
    </message>
    <message>
        <source>&amp;3 mm</source>
        <translation>&amp;3 mm</translation>
    </message>
    <message>
        <source>B&amp;ogen</source>
        <translation>&amp;Sheet</translation>
    </message>
    <message>
        <source>&amp;Anordnung</source>
        <translation>&amp;Arrangement</translation>
    </message>
    <message>
        <source>&amp;Beschnittzugabe</source>
        <translation>&amp;Bleed</translation>
    </message>
    <message>
        <source>Anordnung</source>
        <translation>Arrangement</translation>
    </message>
    <message>
        <source>Beschnittzugabe</source>
        <translation>Bleed</translation>
    </message>
    <message>
        <source>Umschlagbild entfernen</source>
        <translation>Remove wrap picture</translation>
    </message>
    <message>
        <source>Umschlagbild</source>
        <translation>Wrap picture</translation>
    </message>
    <message>
        <source>&amp;Umschlagbild...</source>
        <translation>&amp;Wrap picture...</translation>
    </message>
    <message>
        <source>Bilddatei über den ganzen Umschlag einfügen</source>
        <translation>Insert a picture file across the whole wrap</translation>
    </message>
    <message>
        <source>Umschlagbild &amp;entfernen</source>
        <translation>&amp;Remove wrap picture</translation>
    </message>
    <message>
        <source>&amp;Hülle</source>
        <translation>&amp;Case</translation>
    </message>
    <message>
        <source>Eigene Maße...</source>
        <translation>Custom size...</translation>
    </message>
    <message>
        <source>&amp;Rückenbreite</source>
        <translation>&amp;Spine width</translation>
    </message>
    <message>
        <source>%1 mm</source>
        <translation>%1 mm</translation>
    </message>
    <message>
        <source>Hülle</source>
        <translation>Case</translation>
    </message>
    <message>
        <source>Rückenbreite</source>
        <translation>Spine width</translation>
    </message>
    <message>
        <source>Eigene Maße</source>
        <translation>Custom size</translation>
    </message>
    <message>
        <source>Disc-Bild entfernen</source>
        <translation>Remove disc picture</translation>
    </message>
    <message>
        <source>Disc-Etikett</source>
        <translation>Disc label</translation>
    </message>
    <message>
        <source>Überdruck</source>
        <translation>Overprint</translation>
    </message>
    <message>
        <source>Disc-Bild</source>
        <translation>Disc picture</translation>
    </message>
    <message>
        <source>&amp;Disc-Etikett drucken...</source>
        <translation>Print &amp;disc label...</translation>
    </message>
    <message>
        <source>Das Disc-Etikett auf Papier oder einen Etikettenbogen drucken</source>
        <translation>Print the disc label on paper or on a label sheet</translation>
    </message>
    <message>
        <source>&amp;Disc-Bild...</source>
        <translation>&amp;Disc picture...</translation>
    </message>
    <message>
        <source>Bilddatei auf das Disc-Etikett einfügen</source>
        <translation>Insert a picture file on the disc label</translation>
    </message>
    <message>
        <source>Disc-Bild ent&amp;fernen</source>
        <translation>Remove disc &amp;picture</translation>
    </message>
    <message>
        <source>Disc-E&amp;tikett...</source>
        <translation>Disc &amp;label...</translation>
    </message>
    <message>
        <source>Größe, Farbe und Beschriftung des Disc-Etiketts bearbeiten</source>
        <translation>Edit the disc label&apos;s size, colour and words</translation>
    </message>
    <message>
        <source>&amp;Ansicht</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Disc-Etikett</source>
        <translation>&amp;Disc label</translation>
    </message>
    <message>
        <source>Bild &amp;einfügen</source>
        <translation>&amp;Paste picture</translation>
    </message>
    <message>
        <source>Das Bild aus der Zwischenablage einfügen</source>
        <translation>Paste the picture from the clipboard</translation>
    </message>
    <message>
        <source>Wohin soll das Bild aus der Zwischenablage?</source>
        <translation>Where should the picture from the clipboard go?</translation>
    </message>
    <message>
        <source>&amp;Umschlagbild</source>
        <translation>&amp;Wrap picture</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Die Beschriftung durch die des Albums ersetzen? Sie wird vorher noch angezeigt.</source>
        <translation>Replace the words with the album&apos;s? They are shown first.</translation>
    </message>
    <message>
        <source>Aus &amp;Musikordner...</source>
        <translation>From &amp;music folder...</translation>
    </message>
    <message>
        <source>Titel, Zeiten und Cover-Bild aus einem Album-Ordner übernehmen</source>
        <translation>Take titles, times and cover picture from an album folder</translation>
    </message>
    <message>
        <source>&amp;Aus CUE-Datei...</source>
        <translation>From C&amp;UE file...</translation>
    </message>
    <message>
        <source>Titel und Zeiten aus einer CUE-Datei übernehmen</source>
        <translation>Take titles and times from a CUE file</translation>
    </message>
    <message>
        <source>Album-Ordner wählen</source>
        <translation>Choose album folder</translation>
    </message>
    <message>
        <source>CUE-Datei öffnen</source>
        <translation>Open CUE file</translation>
    </message>
    <message>
        <source>CUE-Dateien (*.cue *.CUE);;Alle Dateien (*)</source>
        <translation>CUE files (*.cue *.CUE);;All files (*)</translation>
    </message>
    <message>
        <source>Aus Musikordner</source>
        <translation>From music folder</translation>
    </message>
    <message>
        <source>Aus CUE-Datei</source>
        <translation>From CUE file</translation>
    </message>
</context>
<context>
    <name>TfrmPreview</name>
    <message>
        <source>Seitenansicht</source>
        <translation>Print preview</translation>
    </message>
    <message>
        <source>&amp;Drucken</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>&amp;Schließen</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>TfrmText</name>
    <message>
        <source>Beschriftung</source>
        <translation>Cover text</translation>
    </message>
    <message>
        <source>Rückentitel</source>
        <translation>Spine title</translation>
    </message>
    <message>
        <source>von unten nach oben</source>
        <translation>Bottom to top</translation>
    </message>
    <message>
        <source>von oben nach unten</source>
        <translation>Top to bottom</translation>
    </message>
    <message>
        <source>&amp;Text:</source>
        <translation>&amp;Text:</translation>
    </message>
    <message>
        <source>&amp;Leserichtung:</source>
        <translation>&amp;Reading direction:</translation>
    </message>
    <message>
        <source>Titelliste</source>
        <translation>Track list</translation>
    </message>
    <message>
        <source>z. B. „1. Titel 3:45“</source>
        <translation>e.g. “1. Track title 3:45”</translation>
    </message>
    <message>
        <source>Aus der &amp;Zwischenablage</source>
        <translation>From &amp;clipboard</translation>
    </message>
    <message>
        <source>Aus &amp;Datei...</source>
        <translation>From &amp;file...</translation>
    </message>
    <message>
        <source>T&amp;itel, einer je Zeile:</source>
        <translation>Trac&amp;ks, one per line:</translation>
    </message>
    <message>
        <source>Titel</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>oben</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>unten</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>Te&amp;xt:</source>
        <translation>Te&amp;xt:</translation>
    </message>
    <message>
        <source>&amp;Position:</source>
        <translation>&amp;Position:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>automatisch</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Farbe...</source>
        <translation>Color...</translation>
    </message>
    <message>
        <source>Fett</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>kein Band</source>
        <translation>No band</translation>
    </message>
    <message>
        <source>Band weiß</source>
        <translation>White band</translation>
    </message>
    <message>
        <source>Band schwarz</source>
        <translation>Black band</translation>
    </message>
    <message>
        <source>Band weiß durchscheinend</source>
        <translation>Translucent white band</translation>
    </message>
</context>
</TS>
