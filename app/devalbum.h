#pragma once
// For the project's screenshot script and start-up benchmark: with the
// environment variable REELWRIGHT_DEV_ALBUM set to a colon-separated list of
// files, the started window imports them as if chosen in its import dialogs
// (photos first, then sound files), so the picture shows the real import
// path. REELWRIGHT_DEV_CAPTION then captions the first photo and
// REELWRIGHT_DEV_TITLE puts a title card before it. Users never set them;
// unset, nothing happens.

class Reelwright;

void loadDeveloperAlbum(Reelwright& window);
