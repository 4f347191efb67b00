#pragma once
// Files on the clipboard, in the formats the desktop's file managers read and write: a list
// of file URLs (text/uri-list), GNOME's "x-special/gnome-copied-files" and KDE's
// "application/x-kde-cutselection" (which say copy or cut), and the paths as plain text. A cut
// made in another file manager pasted here is a move, and the other way round.

#include <QStringList>

class QMimeData;

namespace tw::ui {

// The paths in all those formats, marked as a copy or a cut (drags are cuts); owned by the
// caller until handed to the clipboard or a drag.
QMimeData* FileListData(const QStringList& paths, bool copy);

// Puts the paths on the clipboard, to be copied (`copy`) or moved when pasted.
void OfferPaths(const QStringList& paths, bool copy);

// The local paths on the clipboard and whether they are to be copied (a cut says move);
// false when it holds no file.
bool ClipboardPaths(QStringList& paths, bool& copy);

}  // namespace tw::ui
