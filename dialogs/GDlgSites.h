#pragma once
// The site definition dialogs: "Define Web Site" (one site's name, folder, home page, server
// address, default pages and excluded sections), "Manage Tracked Web Sites" (every defined
// site, checked while it is tracked) and "Include/Exclude Site Sections" (the site's folders
// with boxes; unchecked ones are not tracked).

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

namespace tw {
class EAppSite;
}
namespace tw::ui {
class GUserButton;
}

namespace tw::dialogs {

class GDlgDefineOneSite : public QDialog {
    Q_OBJECT
  public:
    // Results besides Accepted and Rejected.
    enum { kRemoveSite = 2, kShowManageSites = 3 };

    // Edits `site` (a new one when `isNew`); on OK the record holds the new values.
    GDlgDefineOneSite(EAppSite& site, bool isNew, QWidget* parent = nullptr);
    // After OK: whether anything that loading depends on changed (always for a new site).
    bool LoadingChanged() const { return loadingChanged_; }

    QLineEdit* Name() const { return name_; }
    QLineEdit* Directory() const { return directory_; }
    QLineEdit* HomePage() const { return homePage_; }
    QLineEdit* Server() const { return server_; }
    ui::GUserButton* ServerDefaults() const { return defaults_; }
    const std::vector<std::string>& Excluded() const { return excluded_; }
    void accept() override;

    // Answers the validation messages in tests: gets the message, gives the button.
    using Hook = std::function<int(const QString& message)>;
    static void SetHook(Hook hook);

  private:
    void EditSections();

    EAppSite& site_;
    bool isNew_;
    bool loadingChanged_ = false;
    QLineEdit* name_;
    QLineEdit* directory_;
    QLineEdit* homePage_;
    QLineEdit* server_;
    ui::GUserButton* defaults_ = nullptr;
    std::vector<std::string> excluded_;
};

class GDlgDefineSites : public QDialog {
    Q_OBJECT
  public:
    struct Actions {
        std::function<EAppSite*()> propose;          // a new site, defined and loaded; or null
        std::function<int(EAppSite*)> edit;          // GDlgDefineOneSite's result
        std::function<void(EAppSite*)> remove;       // the site leaves the registry
        std::function<bool(EAppSite*, bool)> track;  // switch active tracking; false on failure
    };
    GDlgDefineSites(Actions actions, EAppSite* current, QWidget* parent = nullptr);
    QListWidget* List() const { return list_; }
    EAppSite* SiteAt(int row) const;
    void Fill(EAppSite* select);

  private:
    Actions actions_;
    QListWidget* list_;
};

class GDlgFilterFolders : public QDialog {
    Q_OBJECT
  public:
    // `directory`: the site's folder; `excluded`: the folders left out now.
    GDlgFilterFolders(const QString& directory, const std::vector<std::string>& excluded,
                      QWidget* parent = nullptr);
    QTreeWidget* Tree() const { return tree_; }
    // The unchecked folders, each with its unchecked subfolders, in tree order.
    std::vector<std::string> Excluded() const;
    void CheckAll(bool on);

  private:
    void UpdateIcon();

    QTreeWidget* tree_;
    QLabel* icon_;
};

}  // namespace tw::dialogs
