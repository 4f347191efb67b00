#include "dialogs/GDlgFixLink.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/strings/CaseFold.h"
#include "engine/html/UrlText.h"
#include "engine/maintenance/FixLinks.h"
#include "engine/maintenance/TargetSearch.h"
#include "engine/model/Node.h"
#include "engine/model/SiteRegistry.h"
#include "ui/components/DialogPosition.h"
#include "ui/components/HelpButton.h"

namespace tw::dialogs {

bool AskForNewTarget(QWidget* parent, const QString& link) {
    const QString name = QString::fromStdString(LinkFileName(link.toStdString()));
    return QMessageBox::question(
               parent, "Tidewright",
               QString("Please select a new target to fix/replace this link.\n"
                       "You can use the arrow buttons beside the target field or the \"F3\" "
                       "and \"Shift+F3\"\nkeys to search forward and backward in the local files "
                       "list.\n\nClick \"OK\" to search forward for the next file named \"%1\".")
                   .arg(name),
               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

GDlgFixLink::GDlgFixLink(const QString& page, const EUrl& url, CommandRunner execute,
                         QWidget* parent)
    : QDialog(parent), page_(page), url_(url), execute_(std::move(execute)) {
    const std::string path = page.toStdString();
    EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(path);
    if (site) node_ = dynamic_cast<EHtmlNode*>(site->FindExactNode(path));
    if (!node_) {
        temporary_ = std::make_unique<EHtmlNode>(path);
        node_ = temporary_.get();
    }
    oldLink_ = url.IsExternal() ? QString::fromStdString(url.text)
                                : QString::fromStdString(SiteRelativeUrlPath(*node_, url.text));
    setObjectName("replace-link");
    setWindowTitle(QString("%1 Link In \"%2\"").arg(url.target ? "Replace" : "Fix", page));

    // Outside the sites the tree shows the folder the page and the link's target share.
    QString root =
        site ? QString::fromStdString(site->GetDirectory()) : QFileInfo(page).absolutePath();
    const QString targetPath =
        url.target
            ? QString::fromStdString(url.target->GetPath())
            : (url.IsExternal() ? QString()
                                : QDir::cleanPath(QString::fromStdString(
                                      site ? site->GetDirectory() + url.text : std::string())));
    chooser_ = new TargetChooser(root, this);
    chooser_->SetLink(oldLink_, url.target ? targetPath : QString());

    // The places the link is written: the other pages that have it first, this page last.
    int count = 0;
    QStringList pages;
    if (site && site->IsTracking() && site->brokenLinks.count(oldLink_.toStdString()) > 0) {
        for (const std::string& other : PagesWithLink(*site, oldLink_.toStdString(), 10, &count))
            if (other != path && pages.size() < 9) pages << QString::fromStdString(other);
    } else if (site) {
        count = static_cast<int>(FindLinkInstances(*site, path, oldLink_.toStdString()).size());
    }
    pages << page;
    if (site) chooser_->ShowInstances(site, std::max(count, 1), pages);

    auto* old = new QLabel(QString("Link: \"%1\"").arg(oldLink_.toHtmlEscaped()), this);
    old->setTextInteractionFlags(Qt::TextSelectableByMouse);
    allInFile_ = new QRadioButton("Replace all in &file", this);
    allInSite_ = new QRadioButton("Replace all in &site", this);
    allInFile_->setChecked(true);
    allInSite_->setEnabled(site != nullptr);
    auto* scope = new QHBoxLayout;
    scope->addWidget(allInFile_);
    scope->addWidget(allInSite_);
    scope->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* edit = buttons->addButton("&Edit Full File...", QDialogButtonBox::ResetRole);
    connect(edit, &QPushButton::clicked, this, [this] {
        emit EditRequested(page_);
        reject();
    });
    ui::AddHelpButton(*buttons, "fixing.htm");
    connect(buttons, &QDialogButtonBox::accepted, this, &GDlgFixLink::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(old);
    layout->addWidget(chooser_, 1);
    layout->addLayout(scope);
    layout->addWidget(buttons);
    setSizeGripEnabled(true);
    resize(640, 560);
    ui::KeepPosition(*this, "FixDialogPosition");
    chooser_->Target()->setFocus();
    chooser_->Target()->selectAll();
}

GDlgFixLink::~GDlgFixLink() = default;

void GDlgFixLink::accept() {
    QString target = chooser_->Target()->text().trimmed();
    if (!target.isEmpty() && IsLocalUrl(*node_, target.toStdString()))
        target = QString::fromStdString(SiteRelativeUrlPath(*node_, target.toStdString()));
    EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(page_.toStdString());
    if (target.isEmpty() || EqualsNoCase(target.toStdString(), oldLink_.toStdString())) {
        // Nothing new was chosen: say how to choose, and stay open to let the user do it.
        if (AskForNewTarget(this, oldLink_)) chooser_->SearchSameName(true);
        return;
    }
    // The command keeps the page's node for undo and redo: only a page of a loaded site has one.
    if (!site || temporary_ || !execute_) {
        QMessageBox::information(this, "Tidewright",
                                 "This page is not in a tracked site: track the site first, so "
                                 "that its links can be fixed and the fix undone.");
        return;
    }
    execute_(std::make_unique<ESiteFixLinksCommand>(site, node_, url_.text, target.toStdString(),
                                                    allInSite_->isChecked()));
    QDialog::accept();
}

}  // namespace tw::dialogs
