#include "dialogs/GDlgSites.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QStyle>
#include <QVBoxLayout>
#include <set>

#include "core/strings/PathText.h"
#include "engine/model/Site.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/Browse.h"
#include "engine/services/SiteDefinition.h"
#include "ui/components/DefineList.h"
#include "ui/components/DialogPosition.h"
#include "ui/components/HelpButton.h"

namespace tw::dialogs {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

GDlgDefineOneSite::Hook& TheHook() {
    static GDlgDefineOneSite::Hook hook;
    return hook;
}

int Say(QWidget* parent, const QString& message, QMessageBox::StandardButtons buttons) {
    if (TheHook()) return TheHook()(message);
    return QMessageBox::warning(parent, "Tidewright", message, buttons);
}

std::string Bare(const QString& path) {
    return std::string(StripTrailingSep(QDir::cleanPath(path.trimmed()).toStdString()));
}

}  // namespace

// ---- Define Web Site ----

void GDlgDefineOneSite::SetHook(Hook hook) {
    TheHook() = std::move(hook);
}

GDlgDefineOneSite::GDlgDefineOneSite(EAppSite& site, bool isNew, QWidget* parent)
    : QDialog(parent),
      site_(site),
      isNew_(isNew),
      name_(new QLineEdit(Q(site.GetName()), this)),
      directory_(new QLineEdit(Q(std::string(StripTrailingSep(site.GetDirectory()))), this)),
      homePage_(new QLineEdit(Q(site.GetHomePage()), this)),
      server_(new QLineEdit(Q(site.GetServer()), this)),
      excluded_(site.GetExcludedFolders()) {
    setObjectName("define-site");
    setWindowTitle("Define Web Site");
    auto* browseDirectory = new QPushButton("&Browse...", this);
    auto* browseHome = new QPushButton("Bro&wse...", this);
    connect(browseDirectory, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, "Select Directory", directory_->text());
        if (chosen.isEmpty()) return;
        directory_->setText(chosen);
        homePage_->setText(Q(DefaultPage(chosen.toStdString())));
    });
    connect(browseHome, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(
            this, "Home Page", directory_->text(), "HTML Files (*.html *.htm);;All Files (*)");
        if (!chosen.isEmpty()) homePage_->setText(chosen);
    });
    // The site's own list of the server's default pages, edited in place.
    GUserExtensibleList names({}, "Server Defaults", false);
    names.SetFromText(
        site.GetServerDefaults().empty() ? kServerDefaultNames : site.GetServerDefaults(), ';');
    defaults_ = new ui::GUserButton("Server &Defaults...", std::move(names), this);
    defaults_->setToolTip("The page names the server gives for a folder's address");
    QPushButton* defaults = defaults_;
    auto* sections = new QPushButton("Include/e&xclude sections...", this);
    sections->setToolTip("Include/exclude sections");
    connect(sections, &QPushButton::clicked, this, &GDlgDefineOneSite::EditSections);
    auto* remove = new QPushButton("&Remove this site", this);
    remove->setToolTip("Remove this site");
    remove->setVisible(!isNew);
    connect(remove, &QPushButton::clicked, this, [this] { done(kRemoveSite); });

    auto* form = new QFormLayout;
    // Labels with their keys: Alt and the letter goes to the field.
    const auto row = [&](const QString& text, QLineEdit* field, QWidget* button) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        auto* line = new QHBoxLayout;
        line->addWidget(field, 1);
        if (button) line->addWidget(button);
        form->addRow(label, line);
    };
    row("Web Site &Name:", name_, nullptr);
    row("D&irectory:", directory_, browseDirectory);
    row("&Home Page:", homePage_, browseHome);
    row("HTTP &Address:", server_, defaults);
    server_->setPlaceholderText("www.example.org (optional)");
    directory_->setMinimumWidth(440);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(sections, QDialogButtonBox::ResetRole);
    buttons->addButton(remove, QDialogButtonBox::ResetRole);
    ui::AddHelpButton(*buttons, "sites.htm");
    connect(buttons, &QDialogButtonBox::accepted, this, &GDlgDefineOneSite::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    ui::KeepPosition(*this, "SiteDialogPosition");
}

void GDlgDefineOneSite::EditSections() {
    if (!QFileInfo(directory_->text()).isDir()) return;
    GDlgFilterFolders sections(directory_->text(), excluded_, this);
    if (sections.exec() == QDialog::Accepted) excluded_ = sections.Excluded();
}

void GDlgDefineOneSite::accept() {
    SiteFields fields{name_->text().trimmed().toStdString(), Bare(directory_->text()),
                      QDir::cleanPath(homePage_->text().trimmed()).toStdString(),
                      server_->text().trimmed().toStdString()};
    if (homePage_->text().trimmed().isEmpty()) fields.homePage.clear();
    if (const auto problem = CheckSiteDefinition(fields, isNew_ ? nullptr : &site_)) {
        if (problem->alreadyTracked) {
            if (Say(this, Q(problem->message), QMessageBox::Ok | QMessageBox::Cancel) ==
                QMessageBox::Ok)
                done(kShowManageSites);
            return;
        }
        Say(this, Q(problem->message), QMessageBox::Ok);
        QLineEdit* field = problem->field == SiteProblem::Name        ? name_
                           : problem->field == SiteProblem::Directory ? directory_
                                                                      : homePage_;
        field->setFocus();
        field->selectAll();
        return;
    }
    const std::string directory = fields.directory + kPathSep;
    loadingChanged_ = isNew_ || directory != site_.GetDirectory() ||
                      fields.homePage != site_.GetHomePage() ||
                      fields.server != site_.GetServer() || excluded_ != site_.GetExcludedFolders();
    site_.SetName(fields.name);
    site_.SetDirectory(directory);
    site_.SetHomePage(fields.homePage);
    site_.SetServer(fields.server);
    site_.SetServerDefaults(defaults_->GetAsText(';'));
    site_.SetExcludedFolders(excluded_);
    QDialog::accept();
}

// ---- Manage Tracked Web Sites ----

GDlgDefineSites::GDlgDefineSites(Actions actions, EAppSite* current, QWidget* parent)
    : QDialog(parent), actions_(std::move(actions)), list_(new QListWidget(this)) {
    setObjectName("manage-sites");
    setWindowTitle("Manage Tracked Web Sites");
    auto* explanation =
        new QLabel("Check a checkbox to actively track a site, uncheck it to stop tracking.", this);
    explanation->setWordWrap(true);
    auto* add = new QPushButton("&New Web Site...", this);
    auto* edit = new QPushButton("&Edit...", this);
    auto* remove = new QPushButton("&Remove", this);
    auto* done = new QPushButton("Done", this);
    connect(add, &QPushButton::clicked, this, [this] {
        if (EAppSite* site = actions_.propose ? actions_.propose() : nullptr) Fill(site);
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        EAppSite* site = SiteAt(list_->currentRow());
        if (!site || !actions_.edit) return;
        const int result = actions_.edit(site);
        Fill(result == GDlgDefineOneSite::kRemoveSite ? nullptr : site);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        EAppSite* site = SiteAt(list_->currentRow());
        if (!site || !actions_.remove) return;
        actions_.remove(site);
        Fill(nullptr);
    });
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(list_, &QListWidget::itemDoubleClicked, edit, &QPushButton::click);
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        EAppSite* site = SiteAt(list_->row(item));
        const bool on = item->checkState() == Qt::Checked;
        if (!site || site->IsTracking() == on || !actions_.track) return;
        if (!actions_.track(site, on)) {
            const QSignalBlocker quiet(list_);
            item->setCheckState(Qt::Unchecked);
        }
    });
    auto* side = new QVBoxLayout;
    for (QPushButton* button : {add, edit, remove}) side->addWidget(button);
    side->addStretch(1);
    side->addWidget(done);
    auto* row = new QHBoxLayout;
    row->addWidget(list_, 1);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(row, 1);
    list_->setMinimumSize(300, 180);
    setSizeGripEnabled(true);
    Fill(current);
    ui::KeepPosition(*this, "ManageSitesDialogPosition");
}

EAppSite* GDlgDefineSites::SiteAt(int row) const {
    const auto& sites = ESiteRegistry::Instance().Sites();
    return row >= 0 && static_cast<std::size_t>(row) < sites.size()
               ? sites[static_cast<std::size_t>(row)].get()
               : nullptr;
}

void GDlgDefineSites::Fill(EAppSite* select) {
    const QSignalBlocker quiet(list_);
    list_->clear();
    int chosen = -1;
    const auto& sites = ESiteRegistry::Instance().Sites();
    for (std::size_t i = 0; i < sites.size(); ++i) {
        auto* item = new QListWidgetItem(Q(sites[i]->GetName()), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(sites[i]->IsTracking() ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(Q(sites[i]->GetDirectory()));
        if (sites[i].get() == select) chosen = static_cast<int>(i);
    }
    list_->setCurrentRow(chosen >= 0 ? chosen : (list_->count() > 0 ? 0 : -1));
}

// ---- Include/Exclude Site Sections ----

GDlgFilterFolders::GDlgFilterFolders(const QString& directory,
                                     const std::vector<std::string>& excluded, QWidget* parent)
    : QDialog(parent), tree_(new QTreeWidget(this)), icon_(new QLabel(this)) {
    setObjectName("site-sections");
    setWindowTitle("Include/Exclude Site Sections");
    auto* explanation = new QLabel(
        "Checked folders are included in tracking.  Uncheck (exclude) a folder to ignore broken "
        "links in and to that folder.",
        this);
    explanation->setWordWrap(true);
    auto* note = new QLabel(
        "NOTE: Orphan file reporting and removal are disabled for the entire site if any folder "
        "in the site is excluded.",
        this);
    note->setWordWrap(true);
    tree_->setHeaderHidden(true);
    tree_->setMinimumSize(360, 260);
    // The site's folders, all of them, each checked unless it is excluded.
    const QString root = QDir::cleanPath(directory);
    auto* top = new QTreeWidgetItem(tree_, {QFileInfo(root).fileName()});
    top->setData(0, Qt::UserRole, root);
    top->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    top->setCheckState(0, Qt::Checked);
    std::vector<QTreeWidgetItem*> pending{top};
    const std::set<std::string> out(excluded.begin(), excluded.end());
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        const QString path = item->data(0, Qt::UserRole).toString();
        QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : names) {
            if (name.startsWith('.')) continue;
            auto* child = new QTreeWidgetItem(item, {name});
            const QString childPath = path + "/" + name;
            child->setData(0, Qt::UserRole, childPath);
            child->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
            const bool off = out.count(childPath.toStdString()) ||
                             out.count(childPath.toStdString() + "/") ||
                             item->checkState(0) == Qt::Unchecked;
            child->setCheckState(0, off ? Qt::Unchecked : Qt::Checked);
            pending.push_back(child);
        }
    }
    tree_->expandAll();
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        // A folder's subfolders follow it.
        const QSignalBlocker quiet(tree_);
        std::vector<QTreeWidgetItem*> below{item};
        while (!below.empty()) {
            QTreeWidgetItem* at = below.back();
            below.pop_back();
            for (int i = 0; i < at->childCount(); ++i) {
                at->child(i)->setCheckState(0, item->checkState(0));
                below.push_back(at->child(i));
            }
        }
        UpdateIcon();
    });
    auto* all = new QPushButton("Select &All", this);
    auto* none = new QPushButton("Select N&one", this);
    connect(all, &QPushButton::clicked, this, [this] { CheckAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { CheckAll(false); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(all, QDialogButtonBox::ResetRole);
    buttons->addButton(none, QDialogButtonBox::ResetRole);
    ui::AddHelpButton(*buttons, "sites.htm");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* head = new QHBoxLayout;
    head->addWidget(icon_, 0, Qt::AlignTop);
    head->addWidget(explanation, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(tree_, 1);
    layout->addWidget(note);
    layout->addWidget(buttons);
    setSizeGripEnabled(true);
    UpdateIcon();
}

void GDlgFilterFolders::CheckAll(bool on) {
    const QSignalBlocker quiet(tree_);
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        (*it)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    UpdateIcon();
}

void GDlgFilterFolders::UpdateIcon() {
    bool all = true;
    for (QTreeWidgetItemIterator it(tree_); *it && all; ++it)
        all = (*it)->checkState(0) == Qt::Checked;
    icon_->setPixmap(
        style()
            ->standardIcon(all ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxWarning)
            .pixmap(32, 32));
}

std::vector<std::string> GDlgFilterFolders::Excluded() const {
    std::vector<std::string> folders;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->checkState(0) == Qt::Unchecked)
            folders.push_back((*it)->data(0, Qt::UserRole).toString().toStdString());
    return folders;
}

}  // namespace tw::dialogs
