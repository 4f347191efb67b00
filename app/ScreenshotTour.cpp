#include "app/ScreenshotTour.h"

#include "app/MainFrame.h"
#include "core/settings/SettingsStore.h"
#include "dialogs/GDlgEditor.h"
#include "dialogs/GDlgFindTarget.h"
#include "dialogs/GDlgReports.h"
#include "dialogs/GDlgSites.h"
#include "dialogs/GDlgWarn.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/Browse.h"
#include "ui/components/DefineList.h"

namespace tw::app {
namespace {

const EAppSite* FirstSite() {
    const auto& sites = ESiteRegistry::Instance().Sites();
    return sites.empty() ? nullptr : sites.front().get();
}

}  // namespace

std::vector<std::function<void()>> DialogTour(CMainFrame& window) {
    std::vector<std::function<void()>> steps;
    const auto run = [&window](CommandId id) { return [&window, id] { window.Run(id); }; };
    // The site's dialogs: fixing, the warning before removing orphans, then (warning off)
    // Remove Orphans, the delete warning, the site definitions.
    steps.push_back(run(kFixAllLinks));
    steps.push_back(run(kRemoveOrphans));
    steps.push_back([&window] {
        SettingsStore::Instance().WriteBool("1WarnFixLinksFirst", false);
        window.Run(kRemoveOrphans);
    });
    for (CommandId id : {kDeleteFiles, kManageSites, kTrackSite}) steps.push_back(run(id));
    steps.push_back([&window] {
        if (const EAppSite* site = FirstSite()) {
            dialogs::GDlgFilterFolders sections(QString::fromStdString(site->GetDirectory()),
                                                {site->GetDirectory() + "old"}, &window);
            sections.exec();
        }
    });
    // Options and the reports.
    for (CommandId id : {kViewOptions, kOverview, kStatistics}) steps.push_back(run(id));
    steps.push_back([&window] { dialogs::SelectTrackedSite(&window, {}, {}); });
    steps.push_back([&window] {
        dialogs::GDlgEditor chooser(true, &window);
        chooser.exec();
    });
    // The remaining warnings, Find Target and Define List.
    steps.push_back([&window] {
        bool ticked = false;
        dialogs::WarnBeginTracking(&window, &ticked);
    });
    steps.push_back([&window] {
        bool ticked = false;
        dialogs::ConfirmReloadSite(&window, &ticked);
    });
    steps.push_back([&window] {
        bool ticked = false;
        dialogs::WarnNotTracked(&window, &ticked);
    });
    steps.push_back([&window] {
        bool ticked = false;
        dialogs::ShowLoadErrors(&window,
                                "<p><b>HTML SYNTAX ERRORS:</b></p><p>products/item.html (line 4): "
                                "HTML syntax error, no starting \"&lt;\" near "
                                "\"&lt;body&gt;&lt;p&gt;Length &gt; 4 metres\"</p>",
                                &ticked);
    });
    steps.push_back([&window] {
        if (const EAppSite* site = FirstSite()) {
            dialogs::GDlgFindTarget find(QString::fromStdString(site->GetDirectory()), "*.html", {},
                                         &window);
            find.Search();
            find.exec();
        }
    });
    steps.push_back([&window] {
        GUserExtensibleList pages({}, "Server Defaults", false);
        pages.SetFromText(kServerDefaultNames, ';');
        ui::GDefineListDlg editor(pages, &window);
        editor.exec();
    });
    return steps;
}

}  // namespace tw::app
