#include "ui/components/SelectionCoordinator.h"

#include <QDir>
#include <QFileInfo>

#include "core/log/Log.h"
#include "engine/model/SiteRegistry.h"

namespace tw::ui {
namespace {

QString WithSep(const QString& folder) {
    return folder.isEmpty() || folder.endsWith('/') ? folder : folder + '/';
}

QString Bare(const QString& path) {
    return path.size() > 1 && path.endsWith('/') ? path.chopped(1) : path;
}

QString Parent(const QString& path) {
    return QFileInfo(Bare(path)).absolutePath();
}

}  // namespace

SelectionCoordinator& SelectionCoordinator::Instance() {
    static SelectionCoordinator instance;
    return instance;
}

void SelectionCoordinator::Enable(bool on) {
    enabled_ = on;
    if (on) Notify(nullptr);
}

void SelectionCoordinator::Notify(QObject* source) {
    if (enabled_) emit Changed(source);
}

void SelectionCoordinator::SelectDir(const QString& path, QObject* source) {
    const QString folder = path.isEmpty() || QFileInfo(path).isDir() ? Bare(path) : Parent(path);
    ELog::Instance().WriteLogFile("# SelectDir:\t" + folder.toStdString());
    folder_ = WithSep(folder);
    file_ = folder;
    isFolder_ = true;
    isFile_ = false;
    selection_ = QStringList{folder};
    Notify(source);
}

void SelectionCoordinator::SelectFile(const QString& path, QObject* source) {
    if (path == file_) return;
    if (path.isEmpty()) return SelectDir(path, source);
    ELog::Instance().WriteLogFile("# SelectFile:\t" + path.toStdString());
    file_ = Bare(path);
    selection_ = QStringList{file_};
    folder_ = WithSep(Parent(file_));
    isFolder_ = QFileInfo(file_).isDir();
    isFile_ = !isFolder_;
    ESiteRegistry::Instance().LoadPageInfo(file_.toStdString());
    Notify(source);
}

void SelectionCoordinator::SelectMultiple(const QStringList& paths, QObject* source) {
    if (paths == selection_) return;
    if (paths.isEmpty()) return SelectDir(folder_, source);
    if (paths.size() == 1) return SelectFile(paths.front(), source);
    ELog::Instance().WriteLogFile("# Select multiple files");
    selection_ = paths;
    folder_ = WithSep(Parent(paths.front()));
    file_ = Bare(folder_);
    isFolder_ = isFile_ = false;
    Notify(source);
}

}  // namespace tw::ui
