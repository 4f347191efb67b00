#include "app/DropRules.h"

#include <QFileInfo>

#include "core/platform/Drives.h"
#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"

namespace tw::app {

DropEffect DecideDropEffect(const QStringList& paths, Qt::KeyboardModifiers keys,
                            const QString& targetFolder) {
    if (paths.isEmpty() || targetFolder.isEmpty()) return DropEffect::None;
    const MountEntry target = MountOf(targetFolder.toStdString());
    if (DriveTypeOf(target) == DriveType::CdRom) return DropEffect::None;
    const QString bareTarget = QFileInfo(targetFolder).absoluteFilePath();
    for (const QString& path : paths)
        if (QFileInfo(path).absoluteFilePath().compare(bareTarget, Qt::CaseInsensitive) == 0)
            return DropEffect::None;  // a folder onto itself
    const std::string first = paths.front().toStdString();
    if (MountOf(first).mountPoint == first) return DropEffect::Link;  // a whole drive
    const bool shift = keys & Qt::ShiftModifier, control = keys & Qt::ControlModifier;
    if (shift && control) return DropEffect::Link;
    if (shift) return DropEffect::Move;
    if (control) return DropEffect::Copy;
    const char* key = "0DnDSame";
    if (paths.size() == 1 && IsProgramFile(first))
        key = "0DnDExe";
    else if (MountOf(first).mountPoint != target.mountPoint)
        key = DriveTypeOf(target) == DriveType::Removable ? "1DnDRemovable" : "0DnDDiff";
    switch (SettingsStore::Instance().ReadInt(key)) {
        case 1:
            return DropEffect::Copy;
        case 2:
            return DropEffect::Link;
        case 3:
            return DropEffect::Ask;
        default:
            return DropEffect::Move;
    }
}

int DropRefusal(const QStringList& paths, const QString& targetFolder) {
    if (paths.isEmpty()) return 0;
    const QString first = QFileInfo(paths.front()).absoluteFilePath();
    const QString target = QFileInfo(targetFolder).absoluteFilePath();
    if (QFileInfo(first).absolutePath() == target || first == target) return 268;
    if (QFileInfo(first).isDir() && target.startsWith(first + "/")) return 267;
    return 0;
}

}  // namespace tw::app
