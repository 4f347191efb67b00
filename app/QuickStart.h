#pragma once
// "Quick Start Guide": what to do first, with buttons to the legend, the tutorial and site
// tracking. Shown at start-up while the settings ask for it, and from the Help menu.

#include "app/CommandTable.h"

class QWidget;

namespace tw::app {

// Runs the dialog; returns the command one of its buttons asked for (the legend, the
// tutorial, tracking a site), or kSeparator when it was simply closed. At start-up the setting
// "1ShowQuickStart" is turned off only when the box was ticked; from the menu it follows the
// box either way.
CommandId ShowQuickStart(QWidget* parent, bool atStartup);

}  // namespace tw::app
