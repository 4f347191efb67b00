#pragma once
// The Help button of a dialog: it opens the help page of the dialog's subject. The program
// says how pages are shown (SetHelpHandler); without a handler the button is left out.

#include <QDialogButtonBox>
#include <functional>

namespace tw::ui {

using HelpHandler = std::function<void(QWidget* parent, const QString& page)>;
void SetHelpHandler(HelpHandler handler);

// Adds "Help" (F1 too) to the buttons, opening `page` ("sites.htm", ...).
void AddHelpButton(QDialogButtonBox& buttons, const QString& page);

}  // namespace tw::ui
