#pragma once
// The icons of files and folders, as the desktop shows them: the icon theme's icon of the
// file's MIME type (known by its name alone: no file is opened), with a small arrow over a
// symbolic link and a grey cross over an orphan; a tracked site's folder has its own icon.
// Without a theme, the style's own icons stand in. Icons are made once per kind and kept.

#include <QIcon>
#include <QString>

namespace tw::views {

struct IconKind {
    bool folder = false, link = false, orphan = false, site = false;
};

QIcon FileIcon(const QString& name, IconKind kind);

// Whether the folder (without a trailing separator) is the folder of a defined site.
bool IsSiteFolder(const QString& folder);

}  // namespace tw::views
