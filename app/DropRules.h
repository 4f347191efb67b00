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

// Why a move or copy of dragged files into `targetFolder` cannot be done: the number of the
// message (268: they are in that folder already; 267: the folder is inside the first of
// them), or 0 when it can.
int DropRefusal(const QStringList& paths, const QString& targetFolder);

}  // namespace tw::app
