#include "dialogs/GDlgOrphans.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/settings/SettingsStore.h"
#include "dialogs/GDlgWarn.h"
#include "engine/commands/Command.h"
#include "engine/maintenance/Orphans.h"
#include "engine/model/Site.h"
#include "ui/components/DialogPosition.h"
#include "ui/components/EmptyText.h"
#include "ui/components/HelpButton.h"

namespace tw::dialogs {
namespace {

constexpr const char* kPreviewKey = "1ShowPreviewInOrphansDlg";

}  // namespace

GDlgOrphans::GDlgOrphans(EAppSite& site, CommandRunner execute, QWidget* parent)
    : QDialog(parent),
      site_(site),
      execute_(std::move(execute)),
      list_(new ui::TEmptyText<QListWidget>(
          site.IsWholeSite() ? "There are no orphan files in this site!"
                             : "You are currently working on sections of the site.  Orphans "
                               "can only be removed when the entire site is tracked.",
          this)),
      toFolder_(new QRadioButton("&Folder:", this)),
      toTrash_(new QRadioButton("&Trash", this)),
      folder_(new QLineEdit(this)),
      showPreview_(new QCheckBox("Show &preview", this)),
      preview_(new ui::FilePreview(this)) {
    setObjectName("remove-orphans");
    setWindowTitle("Remove Orphans");
    const SettingsStore& settings = SettingsStore::Instance();
    (settings.ReadBool("SendOrphansToRecycleBin") ? toTrash_ : toFolder_)->setChecked(true);
    folder_->setText(QString::fromStdString(
        settings.ReadString(SettingsStore::kSection, "SendOrphansToDirectory", "")));
    connect(folder_, &QLineEdit::textEdited, this, [this] { toFolder_->setChecked(true); });
    auto* browse = new QPushButton("&Browse...", this);
    connect(browse, &QPushButton::clicked, this, [this] {
        toFolder_->setChecked(true);
        const QString chosen =
            QFileDialog::getExistingDirectory(this, "Select Directory", folder_->text());
        if (!chosen.isEmpty()) folder_->setText(chosen);
    });
    list_->setMinimumSize(380, 240);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item && showPreview_->isChecked()) preview_->Show(item->text());
    });
    showPreview_->setChecked(settings.ReadBool(kPreviewKey));
    preview_->setVisible(showPreview_->isChecked());
    connect(showPreview_, &QCheckBox::toggled, this, [this](bool on) {
        SettingsStore::Instance().WriteBool(kPreviewKey, on);
        preview_->setVisible(on);
        if (on && list_->currentItem()) preview_->Show(list_->currentItem()->text());
    });

    auto* explanation = new QLabel(
        "These files cannot be reached from the site's home page. Ticked files are removed; "
        "unticked ones are left and not listed as to be removed next time.",
        this);
    explanation->setWordWrap(true);
    auto* destination = new QGridLayout;
    destination->addWidget(new QLabel("Move the ticked files to:", this), 0, 0, 1, 3);
    destination->addWidget(toFolder_, 1, 0);
    destination->addWidget(folder_, 1, 1);
    destination->addWidget(browse, 1, 2);
    destination->addWidget(toTrash_, 2, 0, 1, 3);
    destination->setColumnStretch(1, 1);
    auto* listAndPreview = new QHBoxLayout;
    listAndPreview->addWidget(list_, 2);
    listAndPreview->addWidget(preview_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ui::AddHelpButton(*buttons, "orphans.htm");
    connect(buttons, &QDialogButtonBox::accepted, this, &GDlgOrphans::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(listAndPreview, 1);
    layout->addWidget(showPreview_);
    layout->addLayout(destination);
    layout->addWidget(buttons);
    setSizeGripEnabled(true);
    Fill();
    ui::KeepPosition(*this, "OrphansDialogPosition");
}

void GDlgOrphans::Fill() {
    list_->clear();
    const OrphanReview review = ReviewOrphans(site_);
    static const QFileIconProvider icons;
    const auto add = [this](const std::string& path, bool ticked, const QString& tip) {
        const QString text = QString::fromStdString(path);
        auto* item = new QListWidgetItem(icons.icon(QFileInfo(text)), text, list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
        if (!tip.isEmpty()) item->setToolTip(tip);
    };
    for (const std::string& path : review.remove) add(path, true, {});
    for (const std::string& path : review.ignored) add(path, false, "Left alone last time");
    for (const std::string& path : review.referenced)
        add(path, false, "A page of the site names this file (perhaps in a script): left unticked");
    list_->sortItems();
}

void GDlgOrphans::accept() {
    if (!execute_) return;
    const bool toTrash = toTrash_->isChecked();
    if (!toTrash && folder_->text().trimmed().isEmpty()) {
        folder_->setFocus();
        return;  // a folder is needed to move the files to
    }
    std::vector<std::string> ticked, unticked;
    QStringList removing;
    for (int row = list_->count() - 1; row >= 0; --row) {
        QListWidgetItem* item = list_->item(row);
        (item->checkState() == Qt::Checked ? ticked : unticked)
            .push_back(item->text().toStdString());
        if (item->checkState() == Qt::Checked) removing << item->text();
    }
    QDialog::accept();
    if (toTrash && !removing.isEmpty() && !ConfirmFileDelete(parentWidget(), removing)) {
        ticked.clear();  // nothing is removed; what was left unticked is still remembered
    }
    if (auto command = OrphanRemoval(site_, ticked, unticked, toTrash,
                                     folder_->text().trimmed().toStdString()))
        execute_(std::move(command));
}

}  // namespace tw::dialogs
