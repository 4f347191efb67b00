#pragma once
// The small pictures of link states, drawn rather than taken from the desktop theme so that
// they read the same everywhere: a grey question mark (untracked), a green tick (good), a blue
// arrow (external), a red cross (broken) and an amber bar (ignored).

#include <QIcon>

#include "engine/model/LinkStatus.h"

namespace tw::ui {

// The engine's status table names the icon of each link status.
using StatusImage = LinkIcon;

QIcon StatusIcon(StatusImage image);

}  // namespace tw::ui
