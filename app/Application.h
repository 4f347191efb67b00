#pragma once
// Start-up and shutdown of the desktop program: one instance per user and display, the log,
// the services with windows, the main window with the selection restored, and at the first
// idle moment the sites loaded; at exit the selection and version written back.

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/MainFrame.h"
#include "app/SingleInstance.h"

namespace tw {
class ScopedLog;
class ScopedUiServices;
}  // namespace tw

namespace tw::app {

class Splash;

class CBrowser : public QObject {
    Q_OBJECT
  public:
    // `instanceName` overrides the single-instance socket (tests).
    explicit CBrowser(QString instanceName = {});
    ~CBrowser() override;

    // False when another instance took the arguments (this one should end at once).
    bool Start(const QStringList& arguments);
    // The exit sequence: the selection and the version are written, watchers removed.
    void Shutdown();
    CMainFrame* Window() const { return window_.get(); }
    // Whether the first idle moment has passed (sites loaded, panes filled).
    bool Ready() const { return ready_; }

  signals:
    void BecameReady();

  private:
    void FirstIdle();
    // The selection of the last session ("SelectedPath", or the nearest folder above it).
    void SelectStartPath();
    void TakeScreenshots(const QString& file);
    // Command-line arguments, at start-up or handed over by a second start: "--track DIR"
    // tracks a folder as a site; any other path is selected. At start-up "--startup-time"
    // prints how long the window took to become usable and "--screenshot FILE" saves a picture
    // of it; both then quit. "--nosplash" starts without the splash window.
    void Process(const QStringList& arguments);

    SingleInstance instance_;
    std::unique_ptr<ScopedLog> log_;
    std::unique_ptr<CMainFrame> window_;
    std::unique_ptr<ScopedUiServices> services_;
    std::unique_ptr<Splash> splash_;
    QStringList pending_, arguments_;
    QString startPath_;
    bool ready_ = false;
    int screenshotStep_ = 0;                   // where --screenshot has got to
    std::vector<std::function<void()>> tour_;  // the dialogs it pictures
    bool shutDown_ = false;
    QElapsedTimer started_;
    bool reportStartup_ = false;
};

}  // namespace tw::app
