#pragma once
// The site's reports: "Web Site Overview" (the counts of a site in a fixed-pitch text),
// "Generate Web Site Statistics" (which site, and where the HTML report goes), the "Please
// Wait" box shown while they count, and the site box both use ("Select a Tracked Site" too).

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

namespace tw {
class EAppSite;
}

namespace tw::dialogs {

// The defined sites after a first entry that stands for none; the site of `folder` chosen.
class GSiteListCB : public QComboBox {
    Q_OBJECT
  public:
    explicit GSiteListCB(QWidget* parent = nullptr);
    void Fill(const QString& folder);
    EAppSite* Site() const;  // null for the first entry
};

// A small box that says what is being done while the window cannot answer.
class GDlgWaitMsg : public QDialog {
    Q_OBJECT
  public:
    GDlgWaitMsg(const QString& caption, const QString& message, QWidget* parent);
};

class GDlgWebOverview : public QDialog {
    Q_OBJECT
  public:
    GDlgWebOverview(const EAppSite& site, QWidget* parent = nullptr);
    QPlainTextEdit* Text() const { return text_; }

  private:
    QPlainTextEdit* text_;
};

// The overview's text for a site.
QString OverviewText(const EAppSite& site);

class GDlgWebStats : public QDialog {
    Q_OBJECT
  public:
    // `defineSite` runs "Define Web Site" for a new site (null when none was defined).
    GDlgWebStats(const QString& currentFolder, std::function<EAppSite*()> defineSite,
                 QWidget* parent = nullptr);
    GSiteListCB* Sites() const { return sites_; }
    QLineEdit* ReportPath() const { return path_; }
    // After OK: the site chosen (null for none) and the report's path.
    EAppSite* ChosenSite() const { return chosen_; }

  private:
    void DerivePath();

    QString folder_;
    GSiteListCB* sites_;
    QLineEdit* path_;
    EAppSite* chosen_ = nullptr;
};

// "Select a Tracked Site": the site box with "New Site..."; the site chosen, or null.
EAppSite* SelectTrackedSite(QWidget* parent, const QString& currentFolder,
                            const std::function<EAppSite*()>& defineSite);

}  // namespace tw::dialogs
