// tidewright-gui: the desktop program.

#include <QApplication>

#include "app/Application.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Tidewright");
    QApplication::setApplicationVersion(TW_VERSION);
    QApplication::setWindowIcon(QIcon::fromTheme("applications-internet"));
    tw::app::CBrowser browser;
    // A second start hands its arguments to the first and ends here.
    if (!browser.Start(QApplication::arguments().mid(1))) return 0;
    // The loop ends when the window has closed; the exit sequence runs after it, never from
    // inside the window's own close handling.
    const int status = QApplication::exec();
    browser.Shutdown();
    return status;
}
