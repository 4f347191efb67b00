#include "dialogs/GDlgReports.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/platform/ProgramFolders.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/model/Site.h"
#include "engine/model/SiteRegistry.h"
#include "engine/report/Overview.h"
#include "ui/components/DialogPosition.h"
#include "ui/components/HelpButton.h"

namespace tw::dialogs {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// ---- the site box ----

GSiteListCB::GSiteListCB(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void GSiteListCB::Fill(const QString& folder) {
    clear();
    addItem("Select site or use \"New Site...\"");
    const ESiteRegistry& registry = ESiteRegistry::Instance();
    const EAppSite* current = registry.FindTrackedSite(folder.toStdString());
    for (std::size_t i = 0; i < registry.Sites().size(); ++i) {
        addItem(Q(registry.Sites()[i]->GetName()));
        if (registry.Sites()[i].get() == current) setCurrentIndex(static_cast<int>(i) + 1);
    }
}

EAppSite* GSiteListCB::Site() const {
    const auto& sites = ESiteRegistry::Instance().Sites();
    const int at = currentIndex() - 1;
    return at >= 0 && static_cast<std::size_t>(at) < sites.size()
               ? sites[static_cast<std::size_t>(at)].get()
               : nullptr;
}

// ---- Please Wait ----

GDlgWaitMsg::GDlgWaitMsg(const QString& caption, const QString& message, QWidget* parent)
    : QDialog(parent) {
    setObjectName("please-wait");
    setWindowTitle(caption);
    auto* text = new QLabel(message, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setModal(false);
    show();
    // Painted now: the work that follows keeps the window from painting.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---- Web Site Overview ----

QString OverviewText(const EAppSite& site) {
    QString text = Q(LoadMessage(
        296, {site.GetName(), site.GetDirectory(), std::string(PathName(site.GetHomePage()))}));
    if (!site.IsWholeSite()) text += "\n" + Q(LoadString(356)) + "\n";
    text += "\n" + Q(SiteSummary(site, 295));
    return text;
}

GDlgWebOverview::GDlgWebOverview(const EAppSite& site, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit(this)) {
    setObjectName("web-overview");
    setWindowTitle("Web Site Overview");
    {
        GDlgWaitMsg wait(Q(LoadString(368)), Q(LoadString(367)), parent);
        text_->setPlainText(OverviewText(site));
    }
    text_->setReadOnly(true);
    // Fixed pitch, so that the counts line up.
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(text_->font());
    text_->setMinimumSize(metrics.horizontalAdvance(QString(72, 'x')), metrics.lineSpacing() * 16);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ui::AddHelpButton(*buttons, "orphans.htm");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addWidget(buttons);
    setSizeGripEnabled(true);
    ui::KeepPosition(*this, "WebOverviewDialogPosition");
}

// ---- Generate Web Site Statistics ----

GDlgWebStats::GDlgWebStats(const QString& currentFolder, std::function<EAppSite*()> defineSite,
                           QWidget* parent)
    : QDialog(parent),
      folder_(QString::fromStdString(ProgramSubfolder("temp"))),
      sites_(new GSiteListCB(this)),
      path_(new QLineEdit(this)) {
    setObjectName("web-statistics");
    setWindowTitle("Generate Web Site Statistics");
    sites_->Fill(currentFolder);
    DerivePath();
    connect(sites_, &QComboBox::currentIndexChanged, this, &GDlgWebStats::DerivePath);
    auto* newSite = new QPushButton("&New Site...", this);
    connect(newSite, &QPushButton::clicked, this, [this, defineSite] {
        EAppSite* site = defineSite ? defineSite() : nullptr;
        if (!site) return;
        sites_->Fill(QString::fromStdString(site->GetDirectory()));
        DerivePath();
        accept();  // a site just defined is the one to report on
    });
    auto* browse = new QPushButton("&Browse...", this);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString chosen = QFileDialog::getSaveFileName(this, "Report name", path_->text(),
                                                      "HTML Files (*.html *.htm);;All Files (*)");
        if (chosen.isEmpty()) return;
        const QString suffix = QFileInfo(chosen).suffix().toLower();
        if (suffix != "htm" && suffix != "html") chosen += ".html";
        path_->setText(chosen);
    });
    auto* siteRow = new QHBoxLayout;
    siteRow->addWidget(new QLabel("Site:", this));
    siteRow->addWidget(sites_, 1);
    siteRow->addWidget(newSite);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(new QLabel("Report name:", this));
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse);
    path_->setMinimumWidth(360);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ui::AddHelpButton(*buttons, "orphans.htm");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this] { chosen_ = sites_->Site(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(siteRow);
    layout->addLayout(pathRow);
    layout->addWidget(buttons);
    ui::KeepPosition(*this, "WebStatsDialogPosition");
}

void GDlgWebStats::DerivePath() {
    // The report goes beside the last one, named after the site.
    const QString current =
        path_->text().isEmpty() ? folder_ : QFileInfo(path_->text()).absolutePath() + "/";
    const EAppSite* site = sites_->Site();
    if (site) path_->setText(QDir::cleanPath(current) + "/" + Q(site->GetName()) + ".html");
}

// ---- Select a Tracked Site ----

EAppSite* SelectTrackedSite(QWidget* parent, const QString& currentFolder,
                            const std::function<EAppSite*()>& defineSite) {
    QDialog dialog(parent);
    dialog.setObjectName("select-site");
    dialog.setWindowTitle(Q(LoadString(117)));
    auto* sites = new GSiteListCB(&dialog);
    sites->Fill(currentFolder);
    EAppSite* defined = nullptr;
    auto* newSite = new QPushButton("&New Site...", &dialog);
    QObject::connect(newSite, &QPushButton::clicked, &dialog, [&] {
        dialog.accept();
        defined = defineSite ? defineSite() : nullptr;
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->addButton(newSite, QDialogButtonBox::ActionRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Please select a tracked site for this operation.", &dialog));
    layout->addWidget(sites);
    layout->addWidget(buttons);
    ui::KeepPosition(dialog, "WarnNeedSiteDialogPosition");
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return defined ? defined : sites->Site();
}

}  // namespace tw::dialogs
