#pragma once
// A dialog that opens where it was last closed (its size too, never smaller than it needs),
// kept in the settings under the dialog's own key ("FixDialogPosition", ...).

#include <QDialog>
#include <string>

namespace tw::ui {

// Restores the dialog's place now and stores it whenever the dialog closes.
void KeepPosition(QDialog& dialog, std::string key);

}  // namespace tw::ui
