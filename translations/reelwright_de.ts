<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AdjustAudioOrder</name>
    <message>
        <location filename="../widgets/adjustaudioorder.cpp" line="+97" />
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Start Point</source>
        <translation>Startpunkt</translation>
    </message>
    <message>
        <location line="+0" />
        <source>End Point</source>
        <translation>Endpunkt</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Edit Audio</source>
        <translation>Audio bearbeiten</translation>
    </message>
    <message>
        <location line="+144" />
        <source>Select one or more files</source>
        <translation>Eine oder mehrere Dateien auswählen</translation>
    </message>
    <message>
        <location line="+33" />
        <source>Some files have not been added to the list:
</source>
        <translation>Einige Dateien wurden nicht zur Liste hinzugefügt:
</translation>
    </message>
</context>
<context>
    <name>AdjustAudioOrderClass</name>
    <message>
        <location filename="../widgets/adjustaudioorder.ui" line="+14" />
        <source>Edit Audio</source>
        <translation>Audio bearbeiten</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <location line="+87" />
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Unmute</source>
        <translation>Ton an</translation>
    </message>
    <message>
        <location line="+58" />
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Play Segment</source>
        <translation>Abschnitt abspielen</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location line="+29" />
        <source>Set Start Point</source>
        <translation>Startpunkt setzen</translation>
    </message>
    <message>
        <location line="+16" />
        <source>Set End Point</source>
        <translation>Endpunkt setzen</translation>
    </message>
</context>
<context>
    <name>AudioListWidget</name>
    <message>
        <location filename="../widgets/audiolistwidget.cpp" line="+234" />
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Channels</source>
        <translation>Kanäle</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sample Rate</source>
        <translation>Abtastrate</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Start Point</source>
        <translation>Startpunkt</translation>
    </message>
    <message>
        <location line="+1" />
        <source>End Point</source>
        <translation>Endpunkt</translation>
    </message>
    <message>
        <location line="+217" />
        <source>Drag Audio File(s) Here</source>
        <translation>Audiodatei(en) hierher ziehen</translation>
    </message>
</context>
<context>
    <name>CompileProgress</name>
    <message>
        <location filename="../output/compileprogress.cpp" line="+24" />
        <location line="+221" />
        <source>Create Video File</source>
        <translation>Videodatei erstellen</translation>
    </message>
    <message>
        <location line="-175" />
        <source>The output folder %1 cannot be created.</source>
        <translation>Der Ausgabeordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <location line="+25" />
        <location line="+151" />
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <location line="-147" />
        <location line="+147" />
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="-58" />
        <location line="+62" />
        <source>Creating thumbnail...</source>
        <translation>Vorschaubild wird erstellt …</translation>
    </message>
    <message>
        <location line="-42" />
        <source>Created Successfully.</source>
        <translation>Erfolgreich erstellt.</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Failed to create video.</source>
        <translation>Das Video konnte nicht erstellt werden.</translation>
    </message>
</context>
<context>
    <name>CompileProgressClass</name>
    <message>
        <location filename="../output/compileprogress.ui" line="+9" />
        <source>Create Video File</source>
        <translation>Videodatei erstellen</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Creating video...</source>
        <translation>Video wird erstellt …</translation>
    </message>
    <message>
        <location line="+19" />
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Open Output Folder</source>
        <translation>Ausgabeordner öffnen</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>ImportProgress</name>
    <message>
        <location filename="../widgets/importprogress.cpp" line="+18" />
        <location line="+121" />
        <source>Import Progress</source>
        <translation>Import</translation>
    </message>
    <message>
        <location line="-101" />
        <source>Importing %1...</source>
        <translation>%1 wird importiert …</translation>
    </message>
    <message>
        <location line="+60" />
        <source>Some files have not been added to the list:
</source>
        <translation>Einige Dateien wurden nicht zur Liste hinzugefügt:
</translation>
    </message>
    <message numerus="yes">
        <location line="+11" />
        <source>... and %n more file(s).</source>
        <translation><numerusform>... und %n weitere Datei.</numerusform><numerusform>... und %n weitere Dateien.</numerusform></translation>
    </message>
</context>
<context>
    <name>ImportProgressClass</name>
    <message>
        <location filename="../widgets/importprogress.ui" line="+9" />
        <source>Import Progress</source>
        <translation>Import</translation>
    </message>
    <message>
        <location line="+24" />
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>MediaInfoWidget</name>
    <message>
        <location filename="../widgets/mediainfowidget.cpp" line="+20" />
        <source>Property</source>
        <translation>Eigenschaften</translation>
    </message>
    <message>
        <location line="+38" />
        <location line="+12" />
        <source>File Name:</source>
        <translation>Dateiname:</translation>
    </message>
    <message>
        <location line="-12" />
        <location line="+12" />
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <location line="-12" />
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <location line="+0" />
        <location line="+13" />
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <location line="-12" />
        <source>Modified:</source>
        <translation>Geändert:</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Equipment Make:</source>
        <translation>Kamerahersteller:</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Camera Model:</source>
        <translation>Kameramodell:</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Software:</source>
        <translation>Software:</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Compressed Bit-Per-Pixel:</source>
        <translation>Komprimierte Bits pro Pixel:</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Exposure Time:</source>
        <translation>Belichtungszeit:</translation>
    </message>
    <message>
        <location line="+0" />
        <source>F-Number:</source>
        <translation>Blendenzahl:</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Exposure Mode:</source>
        <translation>Belichtungsmodus:</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Exposure Bias:</source>
        <translation>Belichtungskorrektur:</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Max Aperture:</source>
        <translation>Größte Blende:</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Channels:</source>
        <translation>Kanäle:</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sample Rate:</source>
        <translation>Abtastrate:</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Duration:</source>
        <translation>Dauer:</translation>
    </message>
</context>
<context>
    <name>OutputSetting</name>
    <message>
        <location filename="../output/outputsetting.cpp" line="+65" />
        <location line="+294" />
        <source>Output Settings</source>
        <translation>Ausgabeeinstellungen</translation>
    </message>
    <message>
        <location line="-152" />
        <location line="+154" />
        <source>More &lt;&lt;</source>
        <translation>Mehr &lt;&lt;</translation>
    </message>
    <message>
        <location line="-147" />
        <location line="+147" />
        <source>More &gt;&gt;</source>
        <translation>Mehr &gt;&gt;</translation>
    </message>
    <message>
        <location line="-58" />
        <source>The output folder is unavailable. Please choose another one.</source>
        <translation>Der Ausgabeordner ist nicht verfügbar. Bitte einen anderen wählen.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>The output folder is read-only, please select other folder.</source>
        <translation>Der Ausgabeordner ist schreibgeschützt. Bitte einen anderen Ordner wählen.</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Output file name is not usable, please change to another file name.</source>
        <translation>Dieser Dateiname kann nicht verwendet werden. Bitte einen anderen Dateinamen wählen.</translation>
    </message>
</context>
<context>
    <name>OutputSettingClass</name>
    <message>
        <location filename="../output/outputsetting.ui" line="+14" />
        <source>Output Settings</source>
        <translation>Ausgabeeinstellungen</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Profile:</source>
        <translation>Profil:</translation>
    </message>
    <message>
        <location line="+37" />
        <source>&amp;Destination:</source>
        <translation>&amp;Ziel:</translation>
    </message>
    <message>
        <location line="+13" />
        <source>&amp;Browse...</source>
        <translation>&amp;Durchsuchen …</translation>
    </message>
    <message>
        <location line="+10" />
        <source>File Name:</source>
        <translation>Dateiname:</translation>
    </message>
</context>
<context>
    <name>PhotoListWidget</name>
    <message>
        <location filename="../widgets/photolistwidget.cpp" line="+147" />
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Dimension</source>
        <translation>Abmessungen</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Depth</source>
        <translation>Farbtiefe</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Bits</source>
        <translation>Bits</translation>
    </message>
    <message>
        <location line="+422" />
        <source>Drag Photo(s) Here</source>
        <translation>Foto(s) hierher ziehen</translation>
    </message>
</context>
<context>
    <name>Preferences</name>
    <message>
        <location filename="../app/preferences.cpp" line="+29" />
        <location line="+116" />
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location line="-63" />
        <source>Failed to open folder "%1".</source>
        <translation>Der Ordner „%1“ konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <location line="+15" />
        <source>The output folder is unavailable. Please choose another one.</source>
        <translation>Der Ausgabeordner ist nicht verfügbar. Bitte einen anderen wählen.</translation>
    </message>
    <message>
        <location line="+4" />
        <source>The output folder is read-only, please select other folder.</source>
        <translation>Der Ausgabeordner ist schreibgeschützt. Bitte einen anderen Ordner wählen.</translation>
    </message>
</context>
<context>
    <name>PreferencesClass</name>
    <message>
        <location filename="../app/preferences.ui" line="+14" />
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location line="+10" />
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Output Folder:</source>
        <translation>Ausgabeordner:</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Browse...</source>
        <translation>Durchsuchen …</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Update Settings</source>
        <translation>Aktualisierung</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Check for Updates Automatically:</source>
        <translation>Automatisch nach Aktualisierungen suchen:</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Every Day</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Every Week</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Every Month</source>
        <translation>Monatlich</translation>
    </message>
</context>
<context>
    <name>Reelwright</name>
    <message>
        <location filename="../app/reelwright.cpp" line="+68" />
        <location line="+355" />
        <source>&amp;Preferences...</source>
        <translation>&amp;Einstellungen …</translation>
    </message>
    <message>
        <location line="-205" />
        <location line="+201" />
        <source>Auto Rotate</source>
        <translation>Automatisch drehen</translation>
    </message>
    <message>
        <location line="-200" />
        <location line="+201" />
        <source>Auto Rotate All Photos</source>
        <translation>Alle Fotos automatisch drehen</translation>
    </message>
    <message>
        <location filename="../app/reelwright_commands.cpp" line="+379" />
        <source>Select one or more files</source>
        <translation>Eine oder mehrere Dateien auswählen</translation>
    </message>
    <message>
        <location line="+39" />
        <source>Select one folder</source>
        <translation>Einen Ordner auswählen</translation>
    </message>
    <message>
        <location line="+6" />
        <source>The folder %1 holds no photos.</source>
        <translation>Der Ordner %1 enthält keine Fotos.</translation>
    </message>
</context>
<context>
    <name>ReelwrightClass</name>
    <message>
        <location filename="../app/reelwright.ui" line="+6" />
        <source>Reelwright</source>
        <translation>Reelwright</translation>
    </message>
    <message>
        <location line="+24" />
        <source>Play Position</source>
        <translation>Wiedergabeposition</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Previous</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <location line="+12" />
        <source>00:00:00 / 00:00:00</source>
        <translation>00:00:00 / 00:00:00</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Unmute</source>
        <translation>Ton an</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <location line="+14" />
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <location line="+2" />
        <location line="+180" />
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <location line="-179" />
        <location line="+3" />
        <source>00:00:00</source>
        <translation>00:00:00</translation>
    </message>
    <message>
        <location line="-1" />
        <location line="+181" />
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <location line="-175" />
        <source>Album Settings</source>
        <translation>Albumeinstellungen</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Photo</source>
        <translation>Foto</translation>
    </message>
    <message>
        <location line="+2" />
        <location line="+10" />
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <location line="-8" />
        <source>Sync with Audio</source>
        <translation>An Audio anpassen</translation>
    </message>
    <message>
        <location line="+6" />
        <source>Transition</source>
        <translation>Übergang</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Use Zoom Effect</source>
        <translation>Zoomeffekt verwenden</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Use Transition</source>
        <translation>Übergänge verwenden</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Dissolve Only</source>
        <translation>Nur Überblenden</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Random Transition</source>
        <translation>Zufällige Übergänge</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Audio Settings</source>
        <translation>Audioeinstellungen</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Loop</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Fade In/Out</source>
        <translation>Ein-/Ausblenden</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Edit Audio</source>
        <translation>Audio bearbeiten</translation>
    </message>
    <message>
        <location line="+9" />
        <location line="+427" />
        <source>Create Video File</source>
        <translation>Videodatei erstellen</translation>
    </message>
    <message>
        <location line="-413" />
        <location line="+199" />
        <source>Import Photo(s)</source>
        <translation>Foto(s) importieren</translation>
    </message>
    <message>
        <location line="-190" />
        <source>Import Photo Folder</source>
        <translation>Fotoordner importieren</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Import Audio File(s)</source>
        <translation>Audiodatei(en) importieren</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location line="+12" />
        <location line="+211" />
        <source>Turn Left</source>
        <translation>Nach links drehen</translation>
    </message>
    <message>
        <location line="-202" />
        <location line="+211" />
        <source>Turn Right</source>
        <translation>Nach rechts drehen</translation>
    </message>
    <message>
        <location line="-202" />
        <location line="+211" />
        <source>Mirror</source>
        <translation>Spiegeln</translation>
    </message>
    <message>
        <location line="-202" />
        <location line="+211" />
        <source>Flip</source>
        <translation>Kippen</translation>
    </message>
    <message>
        <location line="-202" />
        <source>Auto Rotate</source>
        <translation>Automatisch drehen</translation>
    </message>
    <message>
        <location line="+9" />
        <location line="+218" />
        <source>Restore</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <location line="-206" />
        <location line="+269" />
        <source>Move Left</source>
        <translation>Nach links</translation>
    </message>
    <message>
        <location line="-260" />
        <location line="+269" />
        <source>Move Right</source>
        <translation>Nach rechts</translation>
    </message>
    <message>
        <location line="-242" />
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location line="+8" />
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Sort By</source>
        <translation>Sortieren nach</translation>
    </message>
    <message>
        <location line="+28" />
        <source>&amp;Actions</source>
        <translation>&amp;Aktionen</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Post Task &amp;Actions</source>
        <translation>Aktion nach &amp;Abschluss</translation>
    </message>
    <message>
        <location line="+23" />
        <source>&amp;Import Photo(s)...</source>
        <translation>Foto(s) &amp;importieren …</translation>
    </message>
    <message>
        <location line="+12" />
        <source>I&amp;mport Photo Folder...</source>
        <translation>Foto&amp;ordner importieren …</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Import &amp;Audio File(s)...</source>
        <translation>&amp;Audiodatei(en) importieren …</translation>
    </message>
    <message>
        <location line="+5" />
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
    </message>
    <message>
        <location line="+9" />
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <location line="+5" />
        <source>&amp;Clear</source>
        <translation>Alles &amp;entfernen</translation>
    </message>
    <message>
        <location line="+5" />
        <source>&amp;Select All</source>
        <translation>Alles &amp;auswählen</translation>
    </message>
    <message>
        <location line="+41" />
        <source>Auto Rotate All Photos</source>
        <translation>Alle Fotos automatisch drehen</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Auto Rotate Photos While Importing</source>
        <translation>Fotos beim Importieren automatisch drehen</translation>
    </message>
    <message>
        <location line="+20" />
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Ascending</source>
        <translation>Aufsteigend</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Descending</source>
        <translation>Absteigend</translation>
    </message>
    <message>
        <location line="+27" />
        <source>&amp;Play/Pause</source>
        <translation>&amp;Abspielen/Pause</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Space</source>
        <translation>Space</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Go to &amp;Start</source>
        <translation>Zum &amp;Anfang</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <location line="+9" />
        <source>&amp;Create Video File</source>
        <translation>&amp;Videodatei erstellen</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Do &amp;Nothing</source>
        <translation>&amp;Nichts tun</translation>
    </message>
    <message>
        <location line="+8" />
        <source>&amp;Exit Program</source>
        <translation>Programm &amp;beenden</translation>
    </message>
    <message>
        <location line="+8" />
        <source>&amp;Shut Down</source>
        <translation>&amp;Herunterfahren</translation>
    </message>
    <message>
        <location line="+8" />
        <source>&amp;Hibernate</source>
        <translation>&amp;Ruhezustand</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Stand &amp;By</source>
        <translation>&amp;Standby</translation>
    </message>
</context>
<context>
    <name>ZuMainWindow</name>
    <message>
        <location filename="../framework/zumainwindow.cpp" line="+97" />
        <source>&amp;Tools</source>
        <translation>&amp;Extras</translation>
    </message>
    <message>
        <location line="+1" />
        <source>&amp;Language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <location line="+1" />
        <source>&amp;Skin</source>
        <translation>&amp;Oberfläche</translation>
    </message>
    <message>
        <location line="+1" />
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
<context>
    <name>ZuPowerState</name>
    <message>
        <location filename="../framework/zupowerstate.cpp" line="+36" />
        <source>The command did not finish.</source>
        <translation>Der Befehl wurde nicht beendet.</translation>
    </message>
    <message>
        <location line="+153" />
        <source>The computer could not be put on stand by.</source>
        <translation>Der Computer konnte nicht in den Standby versetzt werden.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The computer could not be hibernated.</source>
        <translation>Der Computer konnte nicht in den Ruhezustand versetzt werden.</translation>
    </message>
    <message>
        <location line="+3" />
        <source>The computer could not be shut down.</source>
        <translation>Der Computer konnte nicht heruntergefahren werden.</translation>
    </message>
    <message>
        <location line="+12" />
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message numerus="yes">
        <location line="+5" />
        <source>The program will exit in %n second(s).</source>
        <translation><numerusform>Das Programm wird in %n Sekunde beendet.</numerusform><numerusform>Das Programm wird in %n Sekunden beendet.</numerusform></translation>
    </message>
    <message numerus="yes">
        <location line="+3" />
        <source>The computer will stand by in %n second(s).</source>
        <translation><numerusform>Der Computer wechselt in %n Sekunde in den Standby.</numerusform><numerusform>Der Computer wechselt in %n Sekunden in den Standby.</numerusform></translation>
    </message>
    <message numerus="yes">
        <location line="+3" />
        <source>The computer will hibernate in %n second(s).</source>
        <translation><numerusform>Der Computer wechselt in %n Sekunde in den Ruhezustand.</numerusform><numerusform>Der Computer wechselt in %n Sekunden in den Ruhezustand.</numerusform></translation>
    </message>
    <message numerus="yes">
        <location line="+3" />
        <source>The computer will shut down in %n second(s).</source>
        <translation><numerusform>Der Computer wird in %n Sekunde heruntergefahren.</numerusform><numerusform>Der Computer wird in %n Sekunden heruntergefahren.</numerusform></translation>
    </message>
</context>
<context>
    <name>ZuProfileManager</name>
    <message>
        <location filename="../framework/zuprofilemanager.cpp" line="+254" />
        <source>The profile folder "%1" does not exist.</source>
        <translation>Der Profilordner „%1“ existiert nicht.</translation>
    </message>
    <message>
        <location line="+9" />
        <source>%1: missing; every property is shown as text</source>
        <translation>%1: fehlt; alle Eigenschaften werden als Text angezeigt</translation>
    </message>
    <message>
        <location line="-164" />
        <location line="+210" />
        <source>%1: cannot be read (%2)</source>
        <translation>%1: kann nicht gelesen werden (%2)</translation>
    </message>
    <message>
        <location line="-204" />
        <location line="+210" />
        <source>%1: not valid JSON at offset %2 (%3)</source>
        <translation>%1: kein gültiges JSON an Position %2 (%3)</translation>
    </message>
    <message>
        <location line="-203" />
        <source>%1: the file does not hold a JSON object</source>
        <translation>%1: die Datei enthält kein JSON-Objekt</translation>
    </message>
    <message>
        <location line="+11" />
        <source>%1: no "id"</source>
        <translation>%1: kein „id“</translation>
    </message>
    <message>
        <location line="+5" />
        <source>%1: the id "%2" differs from the file name</source>
        <translation>%1: die ID „%2“ weicht vom Dateinamen ab</translation>
    </message>
    <message>
        <location line="+4" />
        <source>%1: the id "%2" may not contain ".", "/" or "|"</source>
        <translation>%1: die ID „%2“ darf kein „.“, „/“ oder „|“ enthalten</translation>
    </message>
    <message>
        <location line="+4" />
        <source>%1: "name" must be a text or an object of language texts</source>
        <translation>%1: „name“ muss ein Text oder ein Objekt mit Texten je Sprache sein</translation>
    </message>
    <message>
        <location line="+5" />
        <source>%1: no "group"</source>
        <translation>%1: kein „group“</translation>
    </message>
    <message>
        <location line="+5" />
        <source>%1: "type" must be a number</source>
        <translation>%1: „type“ muss eine Zahl sein</translation>
    </message>
    <message>
        <location line="+10" />
        <source>%1: "tags" must be an object</source>
        <translation>%1: „tags“ muss ein Objekt sein</translation>
    </message>
    <message>
        <location line="+10" />
        <source>%1: no "properties" object</source>
        <translation>%1: kein Objekt „properties“</translation>
    </message>
    <message>
        <location line="+7" />
        <source>%1: a property has an empty key</source>
        <translation>%1: eine Eigenschaft hat einen leeren Schlüssel</translation>
    </message>
    <message>
        <location line="+11" />
        <source>%1: the property "%2" must be a text, a number or true/false</source>
        <translation>%1: die Eigenschaft „%2“ muss ein Text, eine Zahl oder true/false sein</translation>
    </message>
    <message>
        <location line="+6" />
        <source>%1: the property "%2" is missing</source>
        <translation>%1: die Eigenschaft „%2“ fehlt</translation>
    </message>
    <message>
        <location line="+5" />
        <source>%1: the size "%2" is not an even WIDTHxHEIGHT</source>
        <translation>%1: die Größe „%2“ ist kein gerades BREITExHÖHE</translation>
    </message>
    <message>
        <location line="+5" />
        <source>%1: the frame rate "%2" cannot be read</source>
        <translation>%1: die Bildrate „%2“ ist nicht lesbar</translation>
    </message>
    <message>
        <location line="+129" />
        <source>%1: a group needs an "id" and a "name"</source>
        <translation>%1: eine Gruppe braucht „id“ und „name“</translation>
    </message>
    <message>
        <location line="+13" />
        <source>%1: an item has no "key"</source>
        <translation>%1: ein Eintrag hat kein „key“</translation>
    </message>
    <message>
        <location line="+7" />
        <source>%1: the item "%2" has the unknown type "%3"; shown as text</source>
        <translation>%1: der Eintrag „%2“ hat den unbekannten Typ „%3“; er wird als Text angezeigt</translation>
    </message>
    <message>
        <location line="+8" />
        <source>%1: the item "%2" names the unknown panel "%3"</source>
        <translation>%1: der Eintrag „%2“ nennt die unbekannte Seite „%3“</translation>
    </message>
</context>
<context>
    <name>ZuProfileModel</name>
    <message>
        <location filename="../framework/zuprofilemodel.cpp" line="+89" />
        <location line="+29" />
        <source>Recent</source>
        <translation>Zuletzt verwendet</translation>
    </message>
</context>
<context>
    <name>ZuProfilePropertyWidget</name>
    <message>
        <location filename="../framework/zuprofilepropertywidget.cpp" line="+42" />
        <source>Profile</source>
        <translation>Profil</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Tags</source>
        <translation>Metadaten</translation>
    </message>
    <message>
        <location line="+260" />
        <location line="+191" />
        <source>%1:</source>
        <translation>%1:</translation>
    </message>
    <message>
        <location line="-120" />
        <location line="+127" />
        <source>Bit rate calculator</source>
        <translation>Bitratenrechner</translation>
    </message>
    <message>
        <location line="-41" />
        <location line="+12" />
        <source>low</source>
        <translation>niedrig</translation>
    </message>
    <message>
        <location line="-12" />
        <location line="+12" />
        <source>fair</source>
        <translation>mäßig</translation>
    </message>
    <message>
        <location line="-12" />
        <location line="+12" />
        <source>good</source>
        <translation>gut</translation>
    </message>
    <message>
        <location line="-12" />
        <location line="+13" />
        <source>very good</source>
        <translation>sehr gut</translation>
    </message>
    <message>
        <location line="-12" />
        <source>Sound quality: %1</source>
        <translation>Tonqualität: %1</translation>
    </message>
    <message>
        <location line="+13" />
        <source>Picture quality: %1 (%2 bits per pixel)</source>
        <translation>Bildqualität: %1 (%2 Bits pro Pixel)</translation>
    </message>
    <message>
        <location line="+15" />
        <source>More &lt;&lt;</source>
        <translation>Mehr &lt;&lt;</translation>
    </message>
    <message>
        <location line="+0" />
        <source>More &gt;&gt;</source>
        <translation>Mehr &gt;&gt;</translation>
    </message>
</context>
<context>
    <name>ZumBitrateCalc</name>
    <message>
        <location filename="../framework/zumbitratecalc.cpp" line="+129" />
        <source>Bit Rate Calculator</source>
        <translation>Bitratenrechner</translation>
    </message>
    <message>
        <location line="+1" />
        <source>&amp;Duration:</source>
        <translation>&amp;Dauer:</translation>
    </message>
    <message>
        <location line="+1" />
        <source>File &amp;size:</source>
        <translation>Datei&amp;größe:</translation>
    </message>
    <message>
        <location line="+1" />
        <source>&amp;Audio bit rate:</source>
        <translation>&amp;Audio-Bitrate:</translation>
    </message>
    <message>
        <location line="+1" />
        <source>&amp;Video bit rate:</source>
        <translation>&amp;Video-Bitrate:</translation>
    </message>
    <message>
        <location line="+1" />
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <location line="+1" />
        <location line="+1" />
        <source> kbit/s</source>
        <translation> kbit/s</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Change the duration or a bit rate to see the file size, or enter the file size you want to get the video bit rate that fits it.</source>
        <translation>Ändern Sie die Dauer oder eine Bitrate, um die Dateigröße zu sehen, oder geben Sie die gewünschte Dateigröße ein, um die passende Video-Bitrate zu erhalten.</translation>
    </message>
</context>
<context>
    <name>ZumExifInfo</name>
    <message>
        <location filename="../framework/zumexifinfo.cpp" line="+136" />
        <location line="+25" />
        <source>Auto</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <location line="-24" />
        <location line="+25" />
        <source>Manual</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <location line="-24" />
        <source>Auto bracket</source>
        <translation>Belichtungsreihe</translation>
    </message>
    <message>
        <location line="+8" />
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Average</source>
        <translation>Integral</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Center-weighted average</source>
        <translation>Mittenbetont integral</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Spot</source>
        <translation>Spot</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Multi-spot</source>
        <translation>Mehrfeld-Spot</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Pattern</source>
        <translation>Mehrfeld</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Partial</source>
        <translation>Selektiv</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Other</source>
        <translation>Sonstige</translation>
    </message>
    <message>
        <location line="+19" />
        <source>No flash function</source>
        <translation>Kein Blitz vorhanden</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Fired</source>
        <translation>Ausgelöst</translation>
    </message>
    <message>
        <location line="+0" />
        <source>Did not fire</source>
        <translation>Nicht ausgelöst</translation>
    </message>
    <message>
        <location line="+2" />
        <source>, compulsory</source>
        <translation>, erzwungen</translation>
    </message>
    <message>
        <location line="+1" />
        <source>, off</source>
        <translation>, aus</translation>
    </message>
    <message>
        <location line="+1" />
        <source>, auto mode</source>
        <translation>, automatisch</translation>
    </message>
    <message>
        <location line="+4" />
        <source>, red-eye reduction</source>
        <translation>, Rote-Augen-Reduzierung</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Mirror horizontal</source>
        <translation>Horizontal gespiegelt</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Rotate 180°</source>
        <translation>Um 180° gedreht</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Mirror vertical</source>
        <translation>Vertikal gespiegelt</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Mirror horizontal and rotate 270° clockwise</source>
        <translation>Horizontal gespiegelt und um 270° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Rotate 90° clockwise</source>
        <translation>Um 90° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Mirror horizontal and rotate 90° clockwise</source>
        <translation>Horizontal gespiegelt und um 90° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Rotate 270° clockwise</source>
        <translation>Um 270° im Uhrzeigersinn gedreht</translation>
    </message>
    <message>
        <location line="+69" />
        <source>ISO %1</source>
        <translation>ISO %1</translation>
    </message>
    <message>
        <location line="+2" />
        <source>%1 mm</source>
        <translation>%1 mm</translation>
    </message>
    <message>
        <location line="+34" />
        <source>1/%1 s</source>
        <translation>1/%1 s</translation>
    </message>
    <message>
        <location line="+2" />
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <location line="+16" />
        <source>0 EV</source>
        <translation>0 EV</translation>
    </message>
    <message>
        <location line="+1" />
        <source>%1%2 EV</source>
        <translation>%1%2 EV</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../app/main.cpp" line="+28" />
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Start the program failed. Please re-install it.</source>
        <translation>Das Programm konnte nicht gestartet werden. Bitte installieren Sie es neu.</translation>
    </message>
</context>
<context>
    <name>quilUpdateWindow</name>
    <message>
        <location filename="../updater/quilupdatewindow.cpp" line="+186" />
        <location line="+198" />
        <source>Unable to connect validation server.
Please check your network connection.</source>
        <translation>Keine Verbindung zum Prüfserver möglich.
Bitte prüfen Sie Ihre Netzwerkverbindung.</translation>
    </message>
    <message>
        <location line="-181" />
        <source>The current version you are using is the latest one.</source>
        <translation>Sie verwenden bereits die neueste Version.</translation>
    </message>
    <message>
        <location line="+177" />
        <source>Update failed.</source>
        <translation>Die Aktualisierung ist fehlgeschlagen.</translation>
    </message>
    <message>
        <location line="+2" />
        <location line="+4" />
        <source>Download error!</source>
        <translation>Fehler beim Herunterladen!</translation>
    </message>
    <message>
        <location line="+52" />
        <location line="+215" />
        <source>Elapsed Time: %1</source>
        <translation>Verstrichene Zeit: %1</translation>
    </message>
    <message>
        <location line="-214" />
        <location line="+215" />
        <source>Remaining Time</source>
        <translation>Verbleibende Zeit</translation>
    </message>
    <message>
        <location line="-178" />
        <source>The update package cannot be opened:
%1</source>
        <translation>Das Aktualisierungspaket kann nicht geöffnet werden:
%1</translation>
    </message>
    <message>
        <location line="+11" />
        <source>Save File...</source>
        <translation>Datei speichern …</translation>
    </message>
    <message>
        <location line="+7" />
        <source>Failed to save the installation files.</source>
        <translation>Die Installationsdateien konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <location line="+83" />
        <source>Are you sure to quit update wizard?</source>
        <translation>Möchten Sie den Aktualisierungsassistenten wirklich beenden?</translation>
    </message>
    <message>
        <location line="+30" />
        <source>Download failed!</source>
        <translation>Herunterladen fehlgeschlagen!</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Update Finished</source>
        <translation>Aktualisierung abgeschlossen</translation>
    </message>
    <message>
        <location line="+4" />
        <source>Downloading updates, please wait...</source>
        <translation>Aktualisierungen werden heruntergeladen, bitte warten …</translation>
    </message>
    <message>
        <location line="+6" />
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <location line="+2" />
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <location line="+10" />
        <source>Update Wizard</source>
        <translation>Aktualisierungsassistent</translation>
    </message>
    <message>
        <location line="+9" />
        <source>Checking for updates...</source>
        <translation>Suche nach Aktualisierungen …</translation>
    </message>
    <message>
        <location line="+5" />
        <source>Find new version,update or not?</source>
        <translation>Eine neue Version ist verfügbar. Jetzt aktualisieren?</translation>
    </message>
    <message>
        <location line="+1" />
        <location line="+1" />
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <location line="+1" />
        <source>Importance:</source>
        <translation>Wichtigkeit:</translation>
    </message>
    <message>
        <source>%1 is not a package type this wizard installs. Save it and install it yourself.</source>
        <translation>%1 ist kein Pakettyp, den dieser Assistent installiert. Speichern Sie die Datei und installieren Sie sie selbst.</translation>
    </message>
</context>
<context>
    <name>quilUpdateWindow22</name>
    <message>
        <location line="+6" />
        <source>Update installation needs to close %1. Click "Cancel" to install next time.</source>
        <translation>Für die Installation der Aktualisierung muss %1 geschlossen werden. Klicken Sie auf „Abbrechen“, um beim nächsten Mal zu installieren.</translation>
    </message>
</context>
<context>
    <name>quilUpdateWindowClass</name>
    <message>
        <location filename="../updater/quilupdatewindow.ui" line="+102" />
        <location line="+3" />
        <source>Remind Me Later</source>
        <translation>Später erinnern</translation>
    </message>
    <message>
        <location line="+13" />
        <location line="+3" />
        <source>Update Now</source>
        <translation>Jetzt aktualisieren</translation>
    </message>
    <message>
        <location line="+126" />
        <location line="+3" />
        <location line="+107" />
        <location line="+3" />
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="-76" />
        <source>Download finished, install now or not?</source>
        <translation>Herunterladen abgeschlossen. Jetzt installieren?</translation>
    </message>
    <message>
        <location line="+31" />
        <source>Save Updates...</source>
        <translation>Aktualisierungen speichern …</translation>
    </message>
    <message>
        <location line="+3" />
        <source>Save As...</source>
        <translation>Speichern unter …</translation>
    </message>
    <message>
        <location line="+20" />
        <location line="+3" />
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
</context>
</TS>
