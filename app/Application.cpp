#include "app/Application.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <cstdio>

#include "app/HelpViewer.h"
#include "app/QtServices.h"
#include "app/ScreenshotTour.h"
#include "app/Splash.h"
#include "core/log/AppLog.h"
#include "core/settings/SettingsStore.h"
#include "engine/model/SiteRegistry.h"
#include "ui/components/HelpButton.h"
#include "ui/components/SelectionCoordinator.h"

namespace tw::app {

using ui::ClipboardPaths;
using ui::OfferPaths;
using ui::SelectionCoordinator;

namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

}  // namespace

CBrowser::CBrowser(QString instanceName) : instance_(std::move(instanceName)) {
    started_.start();
    connect(&instance_, &SingleInstance::ArgumentsReceived, this,
            [this](const QStringList& arguments) {
                // A second start: this window comes to the front (as it was: a maximized window
                // stays maximized) and takes its arguments.
                if (!window_) return;
                window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
                window_->show();
                window_->raise();
                window_->activateWindow();
                if (ready_)
                    Process(arguments);
                else
                    pending_ << arguments;
            });
}

CBrowser::~CBrowser() {
    Shutdown();
}

bool CBrowser::Start(const QStringList& arguments) {
    if (instance_.HandOver(arguments)) return false;
    instance_.Listen();
    log_ = std::make_unique<ScopedLog>(std::make_unique<EAppLog>());
    SettingsStore& settings = SettingsStore::Instance();
    // The last selection comes back, or the nearest folder above it that still exists.
    QString selected =
        QString::fromStdString(settings.ReadString(SettingsStore::kSection, "SelectedPath", "/"));
    while (!selected.isEmpty() && !QFileInfo::exists(selected)) {
        const QString parent = QFileInfo(selected).absolutePath();
        selected = parent == selected ? QString() : parent;
    }
    startPath_ = selected;
    SelectStartPath();
    window_ = std::make_unique<CMainFrame>();
    CMainFrame* window = window_.get();
    auto services = std::make_unique<EQtServices>(
        window,
        [window](const QString& text, bool flash) { window->ShowStatusMessage(text, flash); });
    services->SetTrackSite([window] { window->Run(kTrackSite); });
    ui::SetHelpHandler([](QWidget* parent, const QString& page) { ShowHelpTopic(parent, page); });
    services_ = std::make_unique<ScopedUiServices>(std::move(services));
    reportStartup_ = arguments.contains("--startup-time");
    if (const qsizetype at = arguments.indexOf("--screenshot");
        at >= 0 && at + 1 < arguments.size())
        TakeScreenshots(arguments[at + 1]);
    pending_ = arguments;
    arguments_ = arguments;
    if (settings.ReadBool("1Maximized"))
        window->showMaximized();
    else
        window->show();
    // The splash shows over the new window; the first idle moment comes once it has gone.
    const bool splash =
        !arguments.contains("--nosplash") && !reportStartup_ && !arguments.contains("--screenshot");
    if (splash) {
        splash_ = std::make_unique<Splash>(window);
        connect(splash_.get(), &Splash::Gone, this,
                [this] { QTimer::singleShot(200, this, &CBrowser::FirstIdle); });
        splash_->Show();
    } else {
        QTimer::singleShot(0, this, &CBrowser::FirstIdle);
    }
    return true;
}

void CBrowser::SelectStartPath() {
    if (startPath_.isEmpty()) return;
    if (QFileInfo(startPath_).isDir())
        SelectionCoordinator::Instance().SelectDir(startPath_);
    else
        SelectionCoordinator::Instance().SelectFile(startPath_);
}

void CBrowser::FirstIdle() {
    if (ready_) return;
    SelectionCoordinator& selection = SelectionCoordinator::Instance();
    // While the splash showed, the panes may have reported their first rows (the computer):
    // the last session's selection is taken again, unless the arguments choose another.
    SelectStartPath();
    const QString folder = selection.CurrentFolder();
    ESiteRegistry::Instance().LoadAllSites();
    selection.Enable(true);
    if (SettingsStore::Instance().ReadBool("1ShowQuickStart") && !reportStartup_)
        window_->RunQuickStart(true);
    window_->LoadSites();
    Process(pending_);
    pending_.clear();
    if (!folder.isEmpty() && selection.CurrentFolder() == folder) {
        ESiteRegistry::Instance().LoadPageInfo(S(selection.CurrentFile()));
        selection.SelectDir(folder);
    }
    window_->UpdateCommands();
    ready_ = true;
    emit BecameReady();
    if (reportStartup_) {
        std::printf("usable after %.3f s\n", static_cast<double>(started_.elapsed()) / 1000.0);
        std::fflush(stdout);
        QTimer::singleShot(0, window_.get(), &QWidget::close);
    }
}

void CBrowser::TakeScreenshots(const QString& file) {
    // For the documentation: each dialog that shows on the way is saved beside the picture
    // (named after the dialog) and closed. Once the window is ready and painted it is saved
    // as it is (a page's details), then with the page's links and a broken one selected, the
    // Replace Link dialog that link opens, and the site's dialogs; then the program quits.
    tour_ = DialogTour(*window_);
    auto* shooter = new QTimer(this);
    connect(shooter, &QTimer::timeout, this, [this, file, shooter] {
        const QString folder = QFileInfo(file).absolutePath();
        bool dialogs = false;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            // A progress window is left to finish its work: closing it would cancel it.
            if (!dialog || !dialog->isVisible() || qobject_cast<QProgressDialog*>(dialog)) continue;
            dialogs = true;
            const QString name = dialog->objectName().isEmpty() ? "dialog" : dialog->objectName();
            dialog->grab().save(folder + "/" + name + ".png");
            dialog->reject();
        }
        if (dialogs || !ready_) return;
        views::GCtrlLink* links = window_->ThirdPane()->Links()->List();
        switch (screenshotStep_++) {
            case 0:
                window_->grab().save(file);
                window_->Run(kViewLinks);
                for (int row = 0; row < links->topLevelItemCount(); ++row)
                    if (links->topLevelItem(row)->text(views::GCtrlLink::kStatus) == "Broken link")
                        links->setCurrentItem(links->topLevelItem(row));
                return;
            case 1:
                window_->grab().save(QFileInfo(file).path() + "/" + QFileInfo(file).baseName() +
                                     "-links.png");
                if (QTreeWidgetItem* broken = links->currentItem())
                    QTimer::singleShot(0, links, [links, broken] {
                        emit links->RepairRequested(
                            broken->data(views::GCtrlLink::kStatus, views::GCtrlLink::kUrlIndexRole)
                                .toInt());
                    });
                return;
            default:
                // Then every dialog of the tour, each saved and cancelled in its turn.
                if (const std::size_t at = static_cast<std::size_t>(screenshotStep_ - 3);
                    at < tour_.size()) {
                    QTimer::singleShot(0, this, tour_[at]);
                    return;
                }
                shooter->stop();
                window_->Run(kViewDetails);
                window_->close();
        }
    });
    shooter->start(800);
}

void CBrowser::Process(const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--track" && i + 1 < arguments.size()) {
            const QString folder = QFileInfo(arguments[++i]).absoluteFilePath();
            if (EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(S(folder + "/")))
                SelectionCoordinator::Instance().SelectFile(
                    QString::fromStdString(site->GetHomePage()));
            else
                window_->TrackSite(folder);
        } else if (argument == "--screenshot") {
            ++i;
        } else if (!argument.startsWith("--") && QFileInfo::exists(argument)) {
            const QString path = QFileInfo(argument).absoluteFilePath();
            if (QFileInfo(path).isDir())
                SelectionCoordinator::Instance().SelectDir(path);
            else
                SelectionCoordinator::Instance().SelectFile(path);
        }
    }
}

void CBrowser::Shutdown() {
    if (shutDown_ || !window_) return;
    shutDown_ = true;
    SettingsStore& settings = SettingsStore::Instance();
    settings.WriteString(SettingsStore::kSection, "SelectedPath",
                         S(SelectionCoordinator::Instance().CurrentFolder()));
    settings.WriteString(SettingsStore::kSection, "Version", "1.00");
    services_.reset();
    window_.reset();
    ESiteRegistry::Instance().Clear();
    log_.reset();
}

}  // namespace tw::app
