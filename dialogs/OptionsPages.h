#pragma once
// The pages of "Set Display Options", one class per topic.

#include "dialogs/GDlgOptions.h"

namespace tw::dialogs {

// The page of a topic (null for an unknown one), made for `parent`.
OptionsPage* MakeOptionsPage(int id, const GDlgOptions::Host& host, QWidget* parent);

}  // namespace tw::dialogs
