#include "app/Choosers.h"

#include <QFileDialog>
#include <QFileInfo>

namespace tw::app {
namespace {

QString& Last() {
    static QString folder;
    return folder;
}

QString StartAt(const QString& path) {
    return path.isEmpty() ? Last() : path;
}

QString Chosen(const QString& path, bool isFolder) {
    if (!path.isEmpty()) Last() = isFolder ? path : QFileInfo(path).absolutePath();
    return path;
}

}  // namespace

QString LastFolder() {
    return Last();
}

QString SaveAsFrom(QWidget* parent, const QString& title, const QString& path,
                   const QString& filter) {
    return Chosen(QFileDialog::getSaveFileName(parent, "Tidewright: " + title, StartAt(path),
                                               filter.isEmpty() ? "All Files (*)" : filter),
                  false);
}

QString OpenFrom(QWidget* parent, const QString& title, const QString& path,
                 const QString& filter) {
    return Chosen(QFileDialog::getOpenFileName(parent, "Tidewright: " + title, StartAt(path),
                                               filter.isEmpty() ? "All Files (*)" : filter),
                  false);
}

QString BrowseFolderFrom(QWidget* parent, const QString& folder) {
    return Chosen(
        QFileDialog::getExistingDirectory(parent, "Tidewright: Select Directory", StartAt(folder)),
        true);
}

}  // namespace tw::app
