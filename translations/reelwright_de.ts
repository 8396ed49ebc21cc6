<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AdjustAudioOrder</name>
    <message>
        <location filename="../widgets/adjustaudioorder.cpp" line="+116"/>
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Start Point</source>
        <translation>Startpunkt</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>End Point</source>
        <translation>Endpunkt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Edit Audio</source>
        <translation>Audio bearbeiten</translation>
    </message>
    <message>
        <location line="+137"/>
        <source>Select one or more files</source>
        <translation>Eine oder mehrere Dateien auswählen</translation>
    </message>
</context>
<context>
    <name>AdjustAudioOrderClass</name>
    <message>
        <location filename="../widgets/adjustaudioorder.ui" line="+14"/>
        <source>Edit Audio</source>
        <translation>Audio bearbeiten</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <location line="+87"/>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Unmute</source>
        <translation>Ton an</translation>
    </message>
    <message>
        <location line="+58"/>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Play Segment</source>
        <translation>Abschnitt abspielen</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Set Start Point</source>
        <translation>Startpunkt setzen</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Set End Point</source>
        <translation>Endpunkt setzen</translation>
    </message>
</context>
<context>
    <name>AlbumDocument</name>
    <message>
        <location filename="../app/reelwright_commands.cpp" line="+126"/>
        <source>Sync with Audio</source>
        <translation>An Audio anpassen</translation>
    </message>
    <message>
        <location filename="../widgets/audiolistwidget.cpp" line="+530"/>
        <location filename="../model/albumdocument.cpp" line="+275"/>
        <source>Move Audio</source>
        <translation>Audio verschieben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Audio</source>
        <translation>Audio kopieren</translation>
    </message>
    <message>
        <location filename="../widgets/importflow.cpp" line="+33"/>
        <location filename="../model/albumdocument.cpp" line="-124"/>
        <source>Import Photos</source>
        <translation>Fotos importieren</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Import Audio</source>
        <translation>Audio importieren</translation>
    </message>
    <message>
        <location filename="../widgets/photolistwidget.cpp" line="+293"/>
        <location filename="../model/albumdocument.cpp" line="+8"/>
        <source>Delete Photos</source>
        <translation>Fotos löschen</translation>
    </message>
    <message>
        <location line="+95"/>
        <location filename="../model/albumdocument.cpp" line="+79"/>
        <source>Auto Rotate</source>
        <translation>Automatisch drehen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Restore</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <location line="+122"/>
        <location filename="../model/albumdocument.cpp" line="-69"/>
        <source>Move Photos</source>
        <translation>Fotos verschieben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Photos</source>
        <translation>Fotos kopieren</translation>
    </message>
    <message>
        <location filename="../model/albumdocument.cpp" line="-31"/>
        <source>Add Photos</source>
        <translation>Fotos hinzufügen</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>Sort Photos</source>
        <translation>Fotos sortieren</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Clear Album</source>
        <translation>Album leeren</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Mirror</source>
        <translation>Spiegeln</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Turn Left</source>
        <translation>Nach links drehen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Turn Right</source>
        <translation>Nach rechts drehen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Flip</source>
        <translation>Kippen</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Add Audio</source>
        <translation>Audio hinzufügen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Delete Audio</source>
        <translation>Audio löschen</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Sort Audio</source>
        <translation>Audio sortieren</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Clear Audio</source>
        <translation>Audio leeren</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Edit Audio</source>
        <translation>Audio bearbeiten</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Trim Audio</source>
        <translation>Audio zuschneiden</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Photo Duration</source>
        <translation>Fotodauer</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Transition Duration</source>
        <translation>Übergangsdauer</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Transition</source>
        <translation>Übergang</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Dissolve Only</source>
        <translation>Nur Überblenden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Loop Audio</source>
        <translation>Audio wiederholen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Fade Audio</source>
        <translation>Audio ein-/ausblenden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Even Out Loudness</source>
        <translation>Lautstärke angleichen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Fade Length</source>
        <translation>Ausblendlänge</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Change Photos on the Beat</source>
        <translation>Fotos im Takt wechseln</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Caption</source>
        <translation>Bildunterschrift</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Captions</source>
        <translation>Bildunterschriften</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Insert Title Card</source>
        <translation>Titeltafel einfügen</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Title Card Colours</source>
        <translation>Farben der Titeltafel</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>Output Settings</source>
        <translation>Ausgabeeinstellungen</translation>
    </message>
</context>
<context>
    <name>AlbumFile</name>
    <message>
        <location filename="../model/albumfile.cpp" line="+264"/>
        <source>%1: &quot;%2&quot; is missing.</source>
        <translation>%1: &quot;%2&quot; fehlt.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>text</source>
        <translation>Text</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>true or false</source>
        <translation>true oder false</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>a number</source>
        <translation>eine Zahl</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+17"/>
        <source>%1: &quot;%2&quot; is %3, outside %4 to %5.</source>
        <translation>%1: &quot;%2&quot; ist %3 und liegt außerhalb von %4 bis %5.</translation>
    </message>
    <message>
        <location line="-2"/>
        <source>a whole number</source>
        <translation>eine ganze Zahl</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>a list</source>
        <translation>eine Liste</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>a group of fields</source>
        <translation>eine Gruppe von Feldern</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1: &quot;%2&quot; is no date and time (%3).</source>
        <translation>%1: &quot;%2&quot; ist kein Datum mit Uhrzeit (%3).</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1: &quot;%2&quot; should be %3.</source>
        <translation>%1: &quot;%2&quot; sollte %3 sein.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>%1: &quot;%2&quot; holds an entry that is not a group of fields.</source>
        <translation>%1: &quot;%2&quot; enthält einen Eintrag, der keine Gruppe von Feldern ist.</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>%1: the zoom kind &quot;%2&quot; is unknown.</source>
        <translation>%1: Die Zoomart &quot;%2&quot; ist unbekannt.</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+5"/>
        <source>%1: &quot;values&quot; should hold 4 numbers.</source>
        <translation>%1: &quot;values&quot; sollte 4 Zahlen enthalten.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1: &quot;%2&quot; is not a colour (#rrggbb or #aarrggbb): &quot;%3&quot;.</source>
        <translation>%1: „%2“ ist keine Farbe (#rrggbb oder #aarrggbb): „%3“.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1: &quot;%2&quot; holds the unknown value &quot;%3&quot;.</source>
        <translation>%1: „%2“ enthält den unbekannten Wert „%3“.</translation>
    </message>
    <message>
        <location line="+41"/>
        <location line="+40"/>
        <source>%1: &quot;path&quot; is empty.</source>
        <translation>%1: &quot;path&quot; ist leer.</translation>
    </message>
    <message>
        <location line="-28"/>
        <source>%1: the turn %2 is none of 0, 90 and -90.</source>
        <translation>%1: Die Drehung %2 ist weder 0 noch 90 noch -90.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1: &quot;steps&quot; holds the unknown step &quot;%2&quot;.</source>
        <translation>%1: &quot;steps&quot; enthält den unbekannten Schritt &quot;%2&quot;.</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>%1: the trim %2 s to %3 s lies outside the clip (0 to %4 s) or ends before it starts.</source>
        <translation>%1: Der Ausschnitt %2 s bis %3 s liegt außerhalb des Clips (0 bis %4 s) oder endet, bevor er beginnt.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>the album</source>
        <translation>das Album</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the settings</source>
        <translation>die Einstellungen</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>the output</source>
        <translation>die Ausgabe</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>photo %1</source>
        <translation>Foto %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>sound clip %1</source>
        <translation>Tonclip %1</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>it ends in the middle (cut short?)</source>
        <translation>es endet mittendrin (abgeschnitten?)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>it is not JSON text (%1 at character %2)</source>
        <translation>es ist kein JSON-Text (%1 bei Zeichen %2)</translation>
    </message>
    <message>
        <location line="+73"/>
        <source>Reelwright Albums (*.reelwright)</source>
        <translation>Reelwright-Alben (*.reelwright)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The album %1 cannot be saved: %2</source>
        <translation>Das Album %1 kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>a folder has that name.</source>
        <translation>ein Ordner trägt diesen Namen.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>The album %1 does not exist.</source>
        <translation>Das Album %1 existiert nicht.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The album %1 is not a file.</source>
        <translation>Das Album %1 ist keine Datei.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The album %1 cannot be read: %2</source>
        <translation>Das Album %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The album %1 is empty.</source>
        <translation>Das Album %1 ist leer.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The album %1 cannot be opened: %2.</source>
        <translation>Das Album %1 kann nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The file %1 is not an album: it has no &quot;format&quot;.</source>
        <translation>Die Datei %1 ist kein Album: Sie hat kein &quot;format&quot;.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The album %1 cannot be opened: its &quot;format&quot; is not a version number.</source>
        <translation>Das Album %1 kann nicht geöffnet werden: Sein &quot;format&quot; ist keine Versionsnummer.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The album %1 was saved by a newer version of the program (album format %2; this one reads format %3 and older). Open it with a newer version.</source>
        <translation>Das Album %1 wurde von einer neueren Version des Programms gespeichert (Albumformat %2; diese Version liest Format %3 und ältere). Öffnen Sie es mit einer neueren Version.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The album %1 is damaged: %2</source>
        <translation>Das Album %1 ist beschädigt: %2</translation>
    </message>
</context>
<context>
    <name>AudioListWidget</name>
    <message>
        <location filename="../widgets/audiolistwidget.cpp" line="-251"/>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Channels</source>
        <translation>Kanäle</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sample Rate</source>
        <translation>Abtastrate</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Start Point</source>
        <translation>Startpunkt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>End Point</source>
        <translation>Endpunkt</translation>
    </message>
    <message>
        <location line="+190"/>
        <source>Drag Audio File(s) Here</source>
        <translation>Audiodatei(en) hierher ziehen</translation>
    </message>
</context>
<context>
    <name>Autosave</name>
    <message>
        <location filename="../app/autosave.cpp" line="+165"/>
        <source>Restore the album you were working on?</source>
        <translation>Das Album wiederherstellen, an dem Sie gearbeitet haben?</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>It was saved automatically on %1.</source>
        <translation>Es wurde am %1 automatisch gesichert.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Its file: %1</source>
        <translation>Seine Datei: %1</translation>
    </message>
</context>
<context>
    <name>BeatAnalysis</name>
    <message>
        <location filename="../model/beatanalysis.cpp" line="+125"/>
        <source>Cannot read the sound of %1</source>
        <translation>Der Ton von %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The beat tracker could not be set up</source>
        <translation>Die Takterkennung konnte nicht eingerichtet werden</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Out of memory</source>
        <translation>Nicht genug Speicher</translation>
    </message>
    <message>
        <location line="+28"/>
        <location line="+2"/>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No sound could be decoded from %1</source>
        <translation>Aus %1 konnte kein Ton dekodiert werden</translation>
    </message>
</context>
<context>
    <name>CaptionDialog</name>
    <message>
        <location filename="../widgets/captiondialog.cpp" line="+30"/>
        <source>Edit Caption</source>
        <translation>Bildunterschrift bearbeiten</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Caption</source>
        <translation>Bildunterschrift</translation>
    </message>
</context>
<context>
    <name>CaptionEditor</name>
    <message>
        <location filename="../widgets/captioneditor.ui" line="+14"/>
        <source>Caption text</source>
        <translation>Text der Bildunterschrift</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Use the photo&apos;s file name as the caption</source>
        <translation>Den Dateinamen des Fotos als Bildunterschrift verwenden</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>From the Photo</source>
        <translation>Aus dem Foto</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Use the description stored in the photo (EXIF, XMP or IPTC) as the caption, or else the date the camera recorded</source>
        <translation>Die im Foto gespeicherte Beschreibung (EXIF, XMP oder IPTC) als Bildunterschrift verwenden, sonst das von der Kamera aufgezeichnete Datum</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Place</source>
        <translation>Lage</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Height of a line of text, in percent of the frame height</source>
        <translation>Höhe einer Textzeile in Prozent der Bildhöhe</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Font</source>
        <translation>Schrift</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Text Colour</source>
        <translation>Textfarbe</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Backdrop</source>
        <translation>Hintergrund</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Card</source>
        <translation>Tafel</translation>
    </message>
    <message>
        <location line="+5"/>
        <location filename="../widgets/captioneditor.cpp" line="+264"/>
        <source>Top</source>
        <translation>Oben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Colour at the top of the card</source>
        <translation>Farbe am oberen Rand der Tafel</translation>
    </message>
    <message>
        <location line="+4"/>
        <location filename="../widgets/captioneditor.cpp" line="-1"/>
        <source>Bottom</source>
        <translation>Unten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Colour at the bottom of the card</source>
        <translation>Farbe am unteren Rand der Tafel</translation>
    </message>
    <message>
        <location filename="../widgets/captioneditor.cpp" line="-198"/>
        <source>Caption Place</source>
        <translation>Lage der Bildunterschrift</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Caption Font</source>
        <translation>Schrift der Bildunterschrift</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Caption Backdrop</source>
        <translation>Hintergrund der Bildunterschrift</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+125"/>
        <source>Caption Colour</source>
        <translation>Farbe der Bildunterschrift</translation>
    </message>
    <message>
        <location line="-122"/>
        <source>Card Colour at the Top</source>
        <translation>Farbe der Tafel oben</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Card Colour at the Bottom</source>
        <translation>Farbe der Tafel unten</translation>
    </message>
    <message>
        <location line="+135"/>
        <source>Caption from File Name</source>
        <translation>Bildunterschrift aus Dateiname</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Caption from the Photo</source>
        <translation>Bildunterschrift aus dem Foto</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Centre</source>
        <translation>Mitte</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>None</source>
        <translation>Keiner</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Shadow</source>
        <translation>Schatten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Outline</source>
        <translation>Umriss</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Band</source>
        <translation>Band</translation>
    </message>
</context>
<context>
    <name>CompileProgress</name>
    <message>
        <location filename="../output/compileprogress.cpp" line="+27"/>
        <location line="+217"/>
        <source>Create Video File</source>
        <translation>Videodatei erstellen</translation>
    </message>
    <message>
        <location line="-173"/>
        <source>The output folder %1 cannot be created.</source>
        <translation>Der Ausgabeordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <location line="+25"/>
        <location line="+149"/>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <location line="-145"/>
        <location line="+145"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="-59"/>
        <location line="+63"/>
        <source>Creating thumbnail...</source>
        <translation>Vorschaubild wird erstellt …</translation>
    </message>
    <message>
        <location line="-43"/>
        <source>Created Successfully.</source>
        <translation>Erfolgreich erstellt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Failed to create video.</source>
        <translation>Das Video konnte nicht erstellt werden.</translation>
    </message>
</context>
<context>
    <name>CompileProgressClass</name>
    <message>
        <location filename="../output/compileprogress.ui" line="+9"/>
        <source>Create Video File</source>
        <translation>Videodatei erstellen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Creating video...</source>
        <translation>Video wird erstellt …</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Open Output Folder</source>
        <translation>Ausgabeordner öffnen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>ImportProgress</name>
    <message>
        <location filename="../widgets/importprogress.cpp" line="+16"/>
        <location line="+116"/>
        <source>Import Progress</source>
        <translation>Import</translation>
    </message>
    <message>
        <location line="-96"/>
        <source>Importing %1...</source>
        <translation>%1 wird importiert …</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>Some files have not been added to the list:
</source>
        <translation>Einige Dateien wurden nicht zur Liste hinzugefügt:
</translation>
    </message>
    <message numerus="yes">
        <location line="+11"/>
        <source>... and %n more file(s).</source>
        <translation>
            <numerusform>... und %n weitere Datei.</numerusform>
            <numerusform>... und %n weitere Dateien.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ImportProgressClass</name>
    <message>
        <location filename="../widgets/importprogress.ui" line="+9"/>
        <source>Import Progress</source>
        <translation>Import</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>InfoParser</name>
    <message>
        <location filename="../model/infoparser.cpp" line="+260"/>
        <source>The sound is cut short: %1 of its %2 seconds are there.</source>
        <translation>Der Ton ist abgeschnitten: %1 seiner %2 Sekunden sind vorhanden.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The file no longer exists.</source>
        <translation>Die Datei existiert nicht mehr.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>It is a folder, not a file.</source>
        <translation>Es ist ein Ordner, keine Datei.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>It is not an ordinary file.</source>
        <translation>Es ist keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The file cannot be opened.</source>
        <translation>Die Datei lässt sich nicht öffnen.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The file is empty.</source>
        <translation>Die Datei ist leer.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>It is not a photo in a format this program reads.</source>
        <translation>Es ist kein Foto in einem Format, das dieses Programm liest.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The photo is too large (%1 x %2 pixels).</source>
        <translation>Das Foto ist zu groß (%1 x %2 Pixel).</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The photo is damaged or cut short.</source>
        <translation>Das Foto ist beschädigt oder abgeschnitten.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>It is not a sound file this program reads.</source>
        <translation>Es ist keine Audiodatei, die dieses Programm liest.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>It holds no sound.</source>
        <translation>Sie enthält keinen Ton.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Its sound is in a format this program cannot play.</source>
        <translation>Ihr Ton liegt in einem Format vor, das dieses Programm nicht abspielen kann.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The sound is damaged or cut short.</source>
        <translation>Der Ton ist beschädigt oder abgeschnitten.</translation>
    </message>
</context>
<context>
    <name>MediaInfoWidget</name>
    <message>
        <location filename="../widgets/mediainfowidget.cpp" line="+20"/>
        <source>Property</source>
        <translation>Eigenschaften</translation>
    </message>
    <message>
        <location line="+38"/>
        <location line="+11"/>
        <source>File Name:</source>
        <translation>Dateiname:</translation>
    </message>
    <message>
        <location line="-11"/>
        <location line="+11"/>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+11"/>
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>Modified:</source>
        <translation>Geändert:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Equipment Make:</source>
        <translation>Kamerahersteller:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Camera Model:</source>
        <translation>Kameramodell:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Software:</source>
        <translation>Software:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Compressed Bit-Per-Pixel:</source>
        <translation>Komprimierte Bits pro Pixel:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Exposure Time:</source>
        <translation>Belichtungszeit:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>F-Number:</source>
        <translation>Blendenzahl:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Exposure Mode:</source>
        <translation>Belichtungsmodus:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Exposure Bias:</source>
        <translation>Belichtungskorrektur:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Max Aperture:</source>
        <translation>Größte Blende:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Channels:</source>
        <translation>Kanäle:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Sample Rate:</source>
        <translation>Abtastrate:</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Duration:</source>
        <translation>Dauer:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Beat:</source>
        <translation>Takt:</translation>
    </message>
</context>
<context>
    <name>MissingFiles</name>
    <message>
        <location filename="../app/missingfiles.cpp" line="+35"/>
        <source>Missing Files</source>
        <translation>Fehlende Dateien</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>These files of the album %1 are missing. Look for them in a folder, or open the album without them.</source>
        <translation>Diese Dateien des Albums %1 fehlen. Suchen Sie sie in einem Ordner, oder öffnen Sie das Album ohne sie.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>None of the missing files is in %1.</source>
        <translation>Keine der fehlenden Dateien liegt in %1.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Files found in %1: %2.</source>
        <translation>In %1 gefundene Dateien: %2.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Look for the missing files in</source>
        <translation>Fehlende Dateien suchen in</translation>
    </message>
</context>
<context>
    <name>MissingFilesClass</name>
    <message>
        <location filename="../app/missingfiles.ui" line="+9"/>
        <source>Missing Files</source>
        <translation>Fehlende Dateien</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>Look in Folder...</source>
        <translation>In Ordner suchen …</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Open Without Them</source>
        <translation>Ohne sie öffnen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>OutputSetting</name>
    <message>
        <location filename="../output/outputsetting.cpp" line="+56"/>
        <location line="+306"/>
        <source>Output Settings</source>
        <translation>Ausgabeeinstellungen</translation>
    </message>
    <message>
        <location line="-151"/>
        <location line="+153"/>
        <source>More &lt;&lt;</source>
        <translation>Mehr &lt;&lt;</translation>
    </message>
    <message>
        <location line="-146"/>
        <location line="+146"/>
        <source>More &gt;&gt;</source>
        <translation>Mehr &gt;&gt;</translation>
    </message>
    <message>
        <location line="-56"/>
        <source>The output folder is unavailable. Please choose another one.</source>
        <translation>Der Ausgabeordner ist nicht verfügbar. Bitte einen anderen wählen.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The output folder is read-only, please select other folder.</source>
        <translation>Der Ausgabeordner ist schreibgeschützt. Bitte einen anderen Ordner wählen.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Output file name is not usable, please change to another file name.</source>
        <translation>Dieser Dateiname kann nicht verwendet werden. Bitte einen anderen Dateinamen wählen.</translation>
    </message>
</context>
<context>
    <name>OutputSettingClass</name>
    <message>
        <location filename="../output/outputsetting.ui" line="+14"/>
        <source>Output Settings</source>
        <translation>Ausgabeeinstellungen</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>Profile:</source>
        <translation>Profil:</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>&amp;Destination:</source>
        <translation>&amp;Ziel:</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Browse...</source>
        <translation>&amp;Durchsuchen …</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>File Name:</source>
        <translation>Dateiname:</translation>
    </message>
</context>
<context>
    <name>PhotoListWidget</name>
    <message>
        <location filename="../widgets/photolistwidget.cpp" line="-388"/>
        <source>Title Card</source>
        <translation>Titeltafel</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dimension</source>
        <translation>Abmessungen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Depth</source>
        <translation>Farbtiefe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Bits</source>
        <translation>Bits</translation>
    </message>
    <message>
        <location line="+410"/>
        <source>Drag Photo(s) Here</source>
        <translation>Foto(s) hierher ziehen</translation>
    </message>
</context>
<context>
    <name>Preferences</name>
    <message>
        <location filename="../app/preferences.cpp" line="+22"/>
        <location line="+103"/>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location line="-57"/>
        <source>Failed to open folder &quot;%1&quot;.</source>
        <translation>Der Ordner „%1“ konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>The output folder is unavailable. Please choose another one.</source>
        <translation>Der Ausgabeordner ist nicht verfügbar. Bitte einen anderen wählen.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The output folder is read-only, please select other folder.</source>
        <translation>Der Ausgabeordner ist schreibgeschützt. Bitte einen anderen Ordner wählen.</translation>
    </message>
</context>
<context>
    <name>PreferencesClass</name>
    <message>
        <location filename="../app/preferences.ui" line="+14"/>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Output Folder:</source>
        <translation>Ausgabeordner:</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Browse...</source>
        <translation>Durchsuchen …</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Update Settings</source>
        <translation>Aktualisierung</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Check for Updates Automatically:</source>
        <translation>Automatisch nach Aktualisierungen suchen:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Every Day</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Every Week</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Every Month</source>
        <translation>Monatlich</translation>
    </message>
</context>
<context>
    <name>Reelwright</name>
    <message>
        <location filename="../app/reelwright.cpp" line="+78"/>
        <location line="+355"/>
        <source>&amp;Preferences...</source>
        <translation>&amp;Einstellungen …</translation>
    </message>
    <message>
        <location line="-215"/>
        <location line="+211"/>
        <source>Auto Rotate</source>
        <translation>Automatisch drehen</translation>
    </message>
    <message>
        <location line="-210"/>
        <location line="+211"/>
        <source>Auto Rotate All Photos</source>
        <translation>Alle Fotos automatisch drehen</translation>
    </message>
    <message>
        <location filename="../app/reelwright_commands.cpp" line="+234"/>
        <source>Select one or more files</source>
        <translation>Eine oder mehrere Dateien auswählen</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Select one folder</source>
        <translation>Einen Ordner auswählen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The folder %1 holds no photos.</source>
        <translation>Der Ordner %1 enthält keine Fotos.</translation>
    </message>
    <message>
        <location filename="../app/launchpaths.cpp" line="+155"/>
        <source>%1: not found</source>
        <translation>%1: nicht gefunden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1: neither a photo, a sound nor an album</source>
        <translation>%1: weder ein Foto noch eine Audiodatei noch ein Album</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1: a folder without photos</source>
        <translation>%1: ein Ordner ohne Fotos</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1: only one album opens at a time</source>
        <translation>%1: Es lässt sich nur ein Album auf einmal öffnen</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>These could not be opened:</source>
        <translation>Folgendes ließ sich nicht öffnen:</translation>
    </message>
    <message>
        <location filename="../app/reelwright_album.cpp" line="+116"/>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Undo %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Redo %1</source>
        <translation>Wiederholen: %1</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1%2 - %3</source>
        <extracomment>The window title: album name, &quot;*&quot; while there are unsaved changes, product name.</extracomment>
        <translation>%1%2 - %3</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>The album &quot;%1&quot; has changes that are not saved. Save them?</source>
        <translation>Das Album „%1“ hat ungespeicherte Änderungen. Sollen sie gespeichert werden?</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>Open Album</source>
        <translation>Album öffnen</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>Save Album As</source>
        <translation>Album speichern unter</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>Clear Menu</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <location line="+98"/>
        <source>Reading photos %1 of %2</source>
        <translation>Fotos werden gelesen: %1 von %2</translation>
    </message>
    <message>
        <location filename="../app/reelwright_beats.cpp" line="+76"/>
        <source>Finding the beats of %1</source>
        <translation>Suche die Schläge in %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+72"/>
        <source>%1 beats per minute</source>
        <translation>%1 Schläge pro Minute</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No steady beat: the photos keep their lengths here</source>
        <translation>Kein gleichmäßiger Takt: die Fotos behalten hier ihre Dauer</translation>
    </message>
    <message>
        <location filename="../app/reelwright_loudness.cpp" line="+71"/>
        <source>Measuring loudness: %1 (%2 %)</source>
        <translation>Lautstärke wird gemessen: %1 (%2 %)</translation>
    </message>
    <message>
        <location filename="../app/reelwright_captions.cpp" line="+86"/>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>The album has no photos to put captions on.</source>
        <translation>Das Album hat keine Fotos, die Bildunterschriften bekommen könnten.</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Import Captions from Subtitles</source>
        <translation>Bildunterschriften aus Untertiteln importieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Subtitles (*.srt)</source>
        <translation>Untertitel (*.srt)</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>%1 holds no captions for the photos of this album.</source>
        <translation>%1 enthält keine Bildunterschriften für die Fotos dieses Albums.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Import Captions</source>
        <translation>Bildunterschriften importieren</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>Move Caption</source>
        <translation>Bildunterschrift verschieben</translation>
    </message>
</context>
<context>
    <name>ReelwrightClass</name>
    <message>
        <location filename="../app/reelwright.ui" line="+6"/>
        <source>Reelwright</source>
        <translation>Reelwright</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Play Position</source>
        <translation>Wiedergabeposition</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Previous</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>00:00:00 / 00:00:00</source>
        <translation>00:00:00 / 00:00:00</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Unmute</source>
        <translation>Ton an</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+198"/>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <location line="-197"/>
        <location line="+3"/>
        <source>00:00:00</source>
        <translation>00:00:00</translation>
    </message>
    <message>
        <location line="-1"/>
        <location line="+199"/>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <location line="-193"/>
        <source>Album Settings</source>
        <translation>Albumeinstellungen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Photo</source>
        <translation>Foto</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+10"/>
        <location line="+20"/>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <location line="-28"/>
        <source>Sync with Audio</source>
        <translation>An Audio anpassen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Transition</source>
        <translation>Übergang</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Use Zoom Effect</source>
        <translation>Zoomeffekt verwenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Use Transition</source>
        <translation>Übergänge verwenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dissolve Only</source>
        <translation>Nur Überblenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Random Transition</source>
        <translation>Zufällige Übergänge</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Change Photos on the Beat</source>
        <translation>Fotos im Takt wechseln</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Moves each photo change to the nearest beat of the music playing then, by at most 40 % of the photo length; the album keeps its length</source>
        <translation>Verschiebt jeden Fotowechsel auf den nächsten Schlag der gerade laufenden Musik, um höchstens 40 % der Fotodauer; das Album behält seine Länge</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Audio Settings</source>
        <translation>Audioeinstellungen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Loop</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Fade In/Out</source>
        <translation>Ein-/Ausblenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Even Out Loudness</source>
        <translation>Lautstärke angleichen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Plays every song at the same loudness (-16 LUFS), turning loud ones down and quiet ones up no further than they can go without distorting. Each song is measured once.</source>
        <translation>Spielt jedes Lied gleich laut (-16 LUFS): Laute werden leiser, leise nur so weit lauter, wie es ohne Verzerrung geht. Jedes Lied wird einmal gemessen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Fade Out</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The music fades out over this time at the end of the album. A song trimmed to start mid-way fades in over half a second. Off: no fades, the music stops with the last photo.</source>
        <translation>Die Musik wird am Ende des Albums über diese Zeit ausgeblendet. Ein Lied, das mitten im Stück beginnt, wird über eine halbe Sekunde eingeblendet. Aus: keine Blenden, die Musik endet mit dem letzten Foto.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Edit Audio</source>
        <translation>Audio bearbeiten</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Caption</source>
        <translation>Bildunterschrift</translation>
    </message>
    <message>
        <location line="+13"/>
        <location line="+500"/>
        <source>Create Video File</source>
        <translation>Videodatei erstellen</translation>
    </message>
    <message>
        <location line="-486"/>
        <location line="+257"/>
        <source>Import Photo(s)</source>
        <translation>Foto(s) importieren</translation>
    </message>
    <message>
        <location line="-248"/>
        <source>Import Photo Folder</source>
        <translation>Fotoordner importieren</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Import Audio File(s)</source>
        <translation>Audiodatei(en) importieren</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+284"/>
        <source>Turn Left</source>
        <translation>Nach links drehen</translation>
    </message>
    <message>
        <location line="-275"/>
        <location line="+284"/>
        <source>Turn Right</source>
        <translation>Nach rechts drehen</translation>
    </message>
    <message>
        <location line="-275"/>
        <location line="+284"/>
        <source>Mirror</source>
        <translation>Spiegeln</translation>
    </message>
    <message>
        <location line="-275"/>
        <location line="+284"/>
        <source>Flip</source>
        <translation>Kippen</translation>
    </message>
    <message>
        <location line="-275"/>
        <source>Auto Rotate</source>
        <translation>Automatisch drehen</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+291"/>
        <source>Restore</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <location line="-279"/>
        <location line="+342"/>
        <source>Move Left</source>
        <translation>Nach links</translation>
    </message>
    <message>
        <location line="-333"/>
        <location line="+342"/>
        <source>Move Right</source>
        <translation>Nach rechts</translation>
    </message>
    <message>
        <location line="-315"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Open &amp;Recent</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sort By</source>
        <translation>Sortieren nach</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>&amp;Actions</source>
        <translation>&amp;Aktionen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Post Task &amp;Actions</source>
        <translation>Aktion nach &amp;Abschluss</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen …</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter …</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Import Photo(s)...</source>
        <translation>Foto(s) &amp;importieren …</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>I&amp;mport Photo Folder...</source>
        <translation>Foto&amp;ordner importieren …</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Import &amp;Audio File(s)...</source>
        <translation>&amp;Audiodatei(en) importieren …</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Import Captions from &amp;Subtitles...</source>
        <translation>Bildunterschriften aus &amp;Untertiteln importieren...</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Insert &amp;Title Card</source>
        <translation>&amp;Titeltafel einfügen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Ca&amp;ption...</source>
        <translation>&amp;Bildunterschrift...</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Clear</source>
        <translation>Alles &amp;entfernen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Select All</source>
        <translation>Alles &amp;auswählen</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>Auto Rotate All Photos</source>
        <translation>Alle Fotos automatisch drehen</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Auto Rotate Photos While Importing</source>
        <translation>Fotos beim Importieren automatisch drehen</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Ascending</source>
        <translation>Aufsteigend</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Descending</source>
        <translation>Absteigend</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>&amp;Play/Pause</source>
        <translation>&amp;Abspielen/Pause</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Space</source>
        <translation>Space</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Go to &amp;Start</source>
        <translation>Zum &amp;Anfang</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Create Video File</source>
        <translation>&amp;Videodatei erstellen</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Do &amp;Nothing</source>
        <translation>&amp;Nichts tun</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Exit Program</source>
        <translation>Programm &amp;beenden</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Shut Down</source>
        <translation>&amp;Herunterfahren</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Hibernate</source>
        <translation>&amp;Ruhezustand</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Stand &amp;By</source>
        <translation>&amp;Standby</translation>
    </message>
</context>
<context>
    <name>Subtitles</name>
    <message>
        <location filename="../model/subtitles.cpp" line="+66"/>
        <source>The subtitle file %1 is damaged: line %2 should give an entry&apos;s times (00:00:01,000 --&gt; 00:00:04,000).</source>
        <translation>Die Untertiteldatei %1 ist beschädigt: Zeile %2 sollte die Zeiten eines Eintrags angeben (00:00:01,000 --&gt; 00:00:04,000).</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>The subtitle file %1 cannot be read: %2.</source>
        <translation>Die Untertiteldatei %1 kann nicht gelesen werden: %2.</translation>
    </message>
</context>
<context>
    <name>ZuMainWindow</name>
    <message>
        <location filename="../framework/zumainwindow.cpp" line="+91"/>
        <source>&amp;Tools</source>
        <translation>&amp;Extras</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Skin</source>
        <translation>&amp;Oberfläche</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
<context>
    <name>ZuPowerState</name>
    <message>
        <location filename="../framework/zupowerstate.cpp" line="+36"/>
        <source>The command did not finish.</source>
        <translation>Der Befehl wurde nicht beendet.</translation>
    </message>
    <message>
        <location line="+146"/>
        <source>The computer could not be put on stand by.</source>
        <translation>Der Computer konnte nicht in den Standby versetzt werden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The computer could not be hibernated.</source>
        <translation>Der Computer konnte nicht in den Ruhezustand versetzt werden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The computer could not be shut down.</source>
        <translation>Der Computer konnte nicht heruntergefahren werden.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message numerus="yes">
        <location line="+4"/>
        <source>The program will exit in %n second(s).</source>
        <translation>
            <numerusform>Das Programm wird in %n Sekunde beendet.</numerusform>
            <numerusform>Das Programm wird in %n Sekunden beendet.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>The computer will stand by in %n second(s).</source>
        <translation>
            <numerusform>Der Computer wechselt in %n Sekunde in den Standby.</numerusform>
            <numerusform>Der Computer wechselt in %n Sekunden in den Standby.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>The computer will hibernate in %n second(s).</source>
        <translation>
            <numerusform>Der Computer wechselt in %n Sekunde in den Ruhezustand.</numerusform>
            <numerusform>Der Computer wechselt in %n Sekunden in den Ruhezustand.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>The computer will shut down in %n second(s).</source>
        <translation>
            <numerusform>Der Computer wird in %n Sekunde heruntergefahren.</numerusform>
            <numerusform>Der Computer wird in %n Sekunden heruntergefahren.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ZuProfileManager</name>
    <message>
        <location filename="../framework/zuprofilemanager.cpp" line="+257"/>
        <source>The profile folder &quot;%1&quot; does not exist.</source>
        <translation>Der Profilordner „%1“ existiert nicht.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1: missing; every property is shown as text</source>
        <translation>%1: fehlt; alle Eigenschaften werden als Text angezeigt</translation>
    </message>
    <message>
        <location line="-170"/>
        <location line="+218"/>
        <source>%1: cannot be read (%2)</source>
        <translation>%1: kann nicht gelesen werden (%2)</translation>
    </message>
    <message>
        <location line="-211"/>
        <location line="+218"/>
        <source>%1: not valid JSON at offset %2 (%3)</source>
        <translation>%1: kein gültiges JSON an Position %2 (%3)</translation>
    </message>
    <message>
        <location line="-210"/>
        <source>%1: the file does not hold a JSON object</source>
        <translation>%1: die Datei enthält kein JSON-Objekt</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1: no &quot;id&quot;</source>
        <translation>%1: kein „id“</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1: the id &quot;%2&quot; differs from the file name</source>
        <translation>%1: die ID „%2“ weicht vom Dateinamen ab</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1: the id &quot;%2&quot; may not contain &quot;.&quot;, &quot;/&quot; or &quot;|&quot;</source>
        <translation>%1: die ID „%2“ darf kein „.“, „/“ oder „|“ enthalten</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1: &quot;name&quot; must be a text or an object of language texts</source>
        <translation>%1: „name“ muss ein Text oder ein Objekt mit Texten je Sprache sein</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1: no &quot;group&quot;</source>
        <translation>%1: kein „group“</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1: &quot;type&quot; must be a number</source>
        <translation>%1: „type“ muss eine Zahl sein</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1: &quot;tags&quot; must be an object</source>
        <translation>%1: „tags“ muss ein Objekt sein</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1: no &quot;properties&quot; object</source>
        <translation>%1: kein Objekt „properties“</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1: a property has an empty key</source>
        <translation>%1: eine Eigenschaft hat einen leeren Schlüssel</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1: the property &quot;%2&quot; must be a text, a number or true/false</source>
        <translation>%1: die Eigenschaft „%2“ muss ein Text, eine Zahl oder true/false sein</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1: the property &quot;%2&quot; is missing</source>
        <translation>%1: die Eigenschaft „%2“ fehlt</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1: the size &quot;%2&quot; is not an even WIDTHxHEIGHT</source>
        <translation>%1: die Größe „%2“ ist kein gerades BREITExHÖHE</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1: the frame rate &quot;%2&quot; cannot be read</source>
        <translation>%1: die Bildrate „%2“ ist nicht lesbar</translation>
    </message>
    <message>
        <location line="+128"/>
        <source>%1: a group needs an &quot;id&quot; and a &quot;name&quot;</source>
        <translation>%1: eine Gruppe braucht „id“ und „name“</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1: an item has no &quot;key&quot;</source>
        <translation>%1: ein Eintrag hat kein „key“</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1: the item &quot;%2&quot; has the unknown type &quot;%3&quot;; shown as text</source>
        <translation>%1: der Eintrag „%2“ hat den unbekannten Typ „%3“; er wird als Text angezeigt</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1: the item &quot;%2&quot; names the unknown panel &quot;%3&quot;</source>
        <translation>%1: der Eintrag „%2“ nennt die unbekannte Seite „%3“</translation>
    </message>
</context>
<context>
    <name>ZuProfileModel</name>
    <message>
        <location filename="../framework/zuprofilemodel.cpp" line="+70"/>
        <location line="+26"/>
        <source>Recent</source>
        <translation>Zuletzt verwendet</translation>
    </message>
</context>
<context>
    <name>ZuProfilePropertyWidget</name>
    <message>
        <location filename="../framework/zuprofilepropertywidget.cpp" line="+46"/>
        <source>Profile</source>
        <translation>Profil</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Tags</source>
        <translation>Metadaten</translation>
    </message>
    <message>
        <location line="+264"/>
        <location line="+189"/>
        <source>%1:</source>
        <translation>%1:</translation>
    </message>
    <message>
        <location line="-119"/>
        <location line="+126"/>
        <source>Bit rate calculator</source>
        <translation>Bitratenrechner</translation>
    </message>
    <message>
        <location line="-43"/>
        <location line="+12"/>
        <source>low</source>
        <translation>niedrig</translation>
    </message>
    <message>
        <location line="-12"/>
        <location line="+13"/>
        <source>fair</source>
        <translation>mäßig</translation>
    </message>
    <message>
        <location line="-13"/>
        <location line="+14"/>
        <source>good</source>
        <translation>gut</translation>
    </message>
    <message>
        <location line="-14"/>
        <location line="+15"/>
        <source>very good</source>
        <translation>sehr gut</translation>
    </message>
    <message>
        <location line="-14"/>
        <source>Sound quality: %1</source>
        <translation>Tonqualität: %1</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Picture quality: %1 (%2 bits per pixel)</source>
        <translation>Bildqualität: %1 (%2 Bits pro Pixel)</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>More &lt;&lt;</source>
        <translation>Mehr &lt;&lt;</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>More &gt;&gt;</source>
        <translation>Mehr &gt;&gt;</translation>
    </message>
</context>
<context>
    <name>ZumBitrateCalc</name>
    <message>
        <location filename="../framework/zumbitratecalc.cpp" line="+117"/>
        <source>Bit Rate Calculator</source>
        <translation>Bitratenrechner</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Duration:</source>
        <translation>&amp;Dauer:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>File &amp;size:</source>
        <translation>Datei&amp;größe:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Audio bit rate:</source>
        <translation>&amp;Audio-Bitrate:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Video bit rate:</source>
        <translation>&amp;Video-Bitrate:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+1"/>
        <source> kbit/s</source>
        <translation> kbit/s</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Change the duration or a bit rate to see the file size, or enter the file size you want to get the video bit rate that fits it.</source>
        <translation>Ändern Sie die Dauer oder eine Bitrate, um die Dateigröße zu sehen, oder geben Sie die gewünschte Dateigröße ein, um die passende Video-Bitrate zu erhalten.</translation>
    </message>
</context>
<context>
    <name>ZumExifInfo</name>
    <message>
        <location filename="../framework/zumexifinfo.cpp" line="+140"/>
        <location line="+25"/>
        <source>Auto</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <location line="-24"/>
        <location line="+25"/>
        <source>Manual</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <location line="-24"/>
        <source>Auto bracket</source>
        <translation>Belichtungsreihe</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Average</source>
        <translation>Integral</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Center-weighted average</source>
        <translation>Mittenbetont integral</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Spot</source>
        <translation>Spot</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Multi-spot</source>
        <translation>Mehrfeld-Spot</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pattern</source>
        <translation>Mehrfeld</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Partial</source>
        <translation>Selektiv</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Other</source>
        <translation>Sonstige</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>No flash function</source>
        <translation>Kein Blitz vorhanden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Fired</source>
        <translation>Ausgelöst</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Did not fire</source>
        <translation>Nicht ausgelöst</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>, compulsory</source>
        <translation>, erzwungen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>, off</source>
        <translation>, aus</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>, auto mode</source>
        <translation>, automatisch</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>, red-eye reduction</source>
        <translation>, Rote-Augen-Reduzierung</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mirror horizontal</source>
        <translation>Horizontal gespiegelt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rotate 180°</source>
        <translation>Um 180° gedreht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mirror vertical</source>
        <translation>Vertikal gespiegelt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mirror horizontal and rotate 270° clockwise</source>
        <translation>Horizontal gespiegelt und um 270° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rotate 90° clockwise</source>
        <translation>Um 90° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mirror horizontal and rotate 90° clockwise</source>
        <translation>Horizontal gespiegelt und um 90° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rotate 270° clockwise</source>
        <translation>Um 270° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+129"/>
        <source>ISO %1</source>
        <translation>ISO %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 mm</source>
        <translation>%1 mm</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>1/%1 s</source>
        <translation>1/%1 s</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>0 EV</source>
        <translation>0 EV</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1%2 EV</source>
        <translation>%1%2 EV</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../app/main.cpp" line="+33"/>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Start the program failed. Please re-install it.</source>
        <translation>Das Programm konnte nicht gestartet werden. Bitte installieren Sie es neu.</translation>
    </message>
</context>
<context>
    <name>quilUpdateWindow</name>
    <message>
        <location filename="../updater/quilupdatewindow.cpp" line="+208"/>
        <location line="+219"/>
        <source>Unable to connect validation server.
Please check your network connection.</source>
        <translation>Keine Verbindung zum Prüfserver möglich.
Bitte prüfen Sie Ihre Netzwerkverbindung.</translation>
    </message>
    <message>
        <location line="-202"/>
        <source>The current version you are using is the latest one.</source>
        <translation>Sie verwenden bereits die neueste Version.</translation>
    </message>
    <message>
        <location line="+198"/>
        <source>Update failed.</source>
        <translation>Die Aktualisierung ist fehlgeschlagen.</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+4"/>
        <source>Download error!</source>
        <translation>Fehler beim Herunterladen!</translation>
    </message>
    <message>
        <location line="+29"/>
        <location line="+198"/>
        <source>Elapsed Time: %1</source>
        <translation>Verstrichene Zeit: %1</translation>
    </message>
    <message>
        <location line="-197"/>
        <location line="+198"/>
        <source>Remaining Time</source>
        <translation>Verbleibende Zeit</translation>
    </message>
    <message>
        <location line="-159"/>
        <source>The update package cannot be opened:
%1</source>
        <translation>Das Aktualisierungspaket kann nicht geöffnet werden:
%1</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Save File...</source>
        <translation>Datei speichern …</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Failed to save the installation files.</source>
        <translation>Die Installationsdateien konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <location line="+68"/>
        <source>Are you sure to quit update wizard?</source>
        <translation>Möchten Sie den Aktualisierungsassistenten wirklich beenden?</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Download failed!</source>
        <translation>Herunterladen fehlgeschlagen!</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Update Finished</source>
        <translation>Aktualisierung abgeschlossen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Downloading updates, please wait...</source>
        <translation>Aktualisierungen werden heruntergeladen, bitte warten …</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Update Wizard</source>
        <translation>Aktualisierungsassistent</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Checking for updates...</source>
        <translation>Suche nach Aktualisierungen …</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Find new version,update or not?</source>
        <translation>Eine neue Version ist verfügbar. Jetzt aktualisieren?</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+1"/>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Importance:</source>
        <translation>Wichtigkeit:</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1 is not a package type this wizard installs. Save it and install it yourself.</source>
        <translation>%1 ist kein Pakettyp, den dieser Assistent installiert. Speichern Sie die Datei und installieren Sie sie selbst.</translation>
    </message>
</context>
<context>
    <name>quilUpdateWindow22</name>
    <message>
        <location line="+4"/>
        <source>Update installation needs to close %1. Click &quot;Cancel&quot; to install next time.</source>
        <translation>Für die Installation der Aktualisierung muss %1 geschlossen werden. Klicken Sie auf „Abbrechen“, um beim nächsten Mal zu installieren.</translation>
    </message>
</context>
<context>
    <name>quilUpdateWindowClass</name>
    <message>
        <location filename="../updater/quilupdatewindow.ui" line="+110"/>
        <location line="+3"/>
        <source>Remind Me Later</source>
        <translation>Später erinnern</translation>
    </message>
    <message>
        <location line="+13"/>
        <location line="+3"/>
        <source>Update Now</source>
        <translation>Jetzt aktualisieren</translation>
    </message>
    <message>
        <location line="+126"/>
        <location line="+3"/>
        <location line="+107"/>
        <location line="+3"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="-76"/>
        <source>Download finished, install now or not?</source>
        <translation>Herunterladen abgeschlossen. Jetzt installieren?</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Save Updates...</source>
        <translation>Aktualisierungen speichern …</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Save As...</source>
        <translation>Speichern unter …</translation>
    </message>
    <message>
        <location line="+20"/>
        <location line="+3"/>
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
</context>
</TS>
