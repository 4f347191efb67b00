#include "app/HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>

#include "app/Choosers.h"
#include "engine/services/UiServices.h"

namespace tw::app {
namespace {

QString& Found() {
    static QString folder;
    return folder;
}

bool HasPages(const QString& folder) {
    return QFileInfo::exists(folder + "/main.htm");
}

QString FindFolder(QWidget* parent) {
    if (!Found().isEmpty()) return Found();
    const QString exe = QApplication::applicationDirPath();
    // Beside an installed program, then the source tree the program was built from.
    for (const QString& candidate :
         {exe + "/../share/tidewright/help", exe + "/help", QString(TW_HELP_DIR)}) {
        if (HasPages(candidate)) return Found() = QDir(candidate).absolutePath();
    }
    const std::string question = "Cannot find the help file " + exe.toStdString() +
                                 "/help/main.htm.\nWould you like to locate it yourself?";
    if (!EUiServices::Instance().AskYesNo(question)) return {};
    const QString chosen = BrowseFolderFrom(parent, exe);
    if (!chosen.isEmpty() && HasPages(chosen)) Found() = chosen;
    return Found();
}

}  // namespace

QString HelpFolder() {
    return Found();
}

bool ShowHelpTopic(QWidget* parent, const QString& page) {
    static QPointer<QTextBrowser> viewer;
    const QString folder = FindFolder(parent);
    if (folder.isEmpty()) return false;
    if (!viewer) {
        viewer = new QTextBrowser;  // a window of its own, deleted when closed
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowTitle("Tidewright Help");
        viewer->setOpenExternalLinks(true);
        viewer->setSearchPaths({folder});
        viewer->resize(720, 560);
    }
    viewer->setSource(QUrl::fromLocalFile(folder + "/" + page));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}

}  // namespace tw::app
