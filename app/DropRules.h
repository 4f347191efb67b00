#pragma once
// What a drop of files onto a folder does: move, copy, make shortcuts, ask, or nothing — from
// the keys held (Shift move, Ctrl copy, both shortcut) or else from the drop settings, which
// tell apart the same file system, another one, a removable one, and a single program.

#include <QStringList>
#include <Qt>

namespace tw::app {

enum class DropEffect { None, Copy, Move, Link, Ask };

DropEffect DecideDropEffect(const QStringList& paths, Qt::KeyboardModifiers keys,
                            const QString& targetFolder);

}  // namespace tw::app
