#pragma once
// File and folder choosers that share one last folder for the whole run: each starts where the
// path given says, or where the last choice was made, and a choice becomes the last folder.

#include <QString>

class QWidget;

namespace tw::app {

// A file to write (`filter` as "HTML Files (*.html);;All Files (*)"); empty when cancelled.
QString SaveAsFrom(QWidget* parent, const QString& title, const QString& path,
                   const QString& filter);
// An existing file to read; empty when cancelled.
QString OpenFrom(QWidget* parent, const QString& title, const QString& path, const QString& filter);
// An existing folder ("Select Directory"); empty when cancelled.
QString BrowseFolderFrom(QWidget* parent, const QString& folder);

// The folder of the last choice (empty before the first).
QString LastFolder();

}  // namespace tw::app
