#pragma once
// The help pages (res/help/*.htm) in a window of their own: one window, brought to the front
// and turned to the page asked for. Where the pages are not found, the user is asked to locate
// their folder; the answer is kept while the program runs.

#include <QString>

class QWidget;

namespace tw::app {

// Shows a page ("main.htm", "tutorial.htm", ...); false when no help folder was found.
bool ShowHelpTopic(QWidget* parent, const QString& page);

// The folder the pages were found in (empty before the first look, or when none was found).
QString HelpFolder();

}  // namespace tw::app
