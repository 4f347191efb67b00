#include "dialogs/GDlgOptions.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/settings/DebugProfile.h"
#include "dialogs/OptionsPages.h"
#include "ui/components/DialogPosition.h"
#include "ui/components/HelpButton.h"

namespace tw::dialogs {
namespace {

constexpr int kPageRole = Qt::UserRole + 1;
// The order pages save in.
constexpr int kSaveOrder[] = {GDlgOptions::kAppearance, GDlgOptions::kFolders,
                              GDlgOptions::kFiles,      GDlgOptions::kDetails,
                              GDlgOptions::kFileManage, GDlgOptions::kDnD,
                              GDlgOptions::kHelpers,    GDlgOptions::kNotifications,
                              GDlgOptions::kWarn,       GDlgOptions::kTroubleshoot};

}  // namespace

GDlgOptions::GDlgOptions(Host host, QWidget* parent)
    : QDialog(parent),
      host_(std::move(host)),
      topics_(new QTreeWidget(this)),
      stack_(new QStackedWidget(this)) {
    setObjectName("options");
    setWindowTitle("Set Display Options");
    topics_->setHeaderHidden(true);
    topics_->setMinimumWidth(180);
    const auto topic = [this](const QString& text, int page, QTreeWidgetItem* under) {
        auto* item =
            under ? new QTreeWidgetItem(under, {text}) : new QTreeWidgetItem(topics_, {text});
        item->setData(0, kPageRole, page);
        return item;
    };
    QTreeWidgetItem* appearance = topic("Appearance", kAppearance, nullptr);
    topic("Folder View", kFolders, appearance);
    topic("File View", kFiles, appearance);
    topic("Details/Links View", kDetails, appearance);
    QTreeWidgetItem* files = topic("File Management", kFileManage, nullptr);
    topic("Drag & Drop", kDnD, files);
    topic("Helper Programs", kHelpers, nullptr);
    QTreeWidgetItem* logging = topic("Logging & Notifications", kNotifications, nullptr);
    topic("Warning Dialogs", kWarn, logging);
    // Troubleshooting is for those who keep a debug profile.
    if (DebugProfile::Exists()) topic("Troubleshooting", kTroubleshoot, nullptr);
    topics_->expandAll();
    connect(topics_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) ShowPage(item->data(0, kPageRole).toInt());
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ui::AddHelpButton(*buttons, "main.htm");
    connect(buttons, &QDialogButtonBox::accepted, this, &GDlgOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GDlgOptions::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(topics_);
    row->addWidget(stack_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
    stack_->setMinimumSize(460, 340);
    int first = SettingsStore::Instance().ReadInt("OptionsDlgPage");
    if (first == 0 || (first == kTroubleshoot && !DebugProfile::Exists())) first = kAppearance;
    ShowPage(first);
    topics_->setFocus();
    ui::KeepPosition(*this, "OptionsDialogPosition");
}

OptionsPage* GDlgOptions::FindPage(int id) const {
    const auto it = pages_.find(id);
    return it == pages_.end() ? nullptr : it->second;
}

OptionsPage* GDlgOptions::CreatePage(int id) {
    OptionsPage* page = MakeOptionsPage(id, host_, stack_);
    if (!page) return nullptr;
    stack_->addWidget(page);
    pages_[id] = page;
    page->Load();
    return page;
}

void GDlgOptions::ShowPage(int id) {
    OptionsPage* page = FindPage(id);
    if (!page) page = CreatePage(id);
    if (!page) return;
    shown_ = id;
    stack_->setCurrentWidget(page);
    for (QTreeWidgetItemIterator it(topics_); *it; ++it)
        if ((*it)->data(0, kPageRole).toInt() == id && topics_->currentItem() != *it) {
            const QSignalBlocker quiet(topics_);
            topics_->setCurrentItem(*it);
        }
}

void GDlgOptions::accept() {
    SettingsStore::Instance().WriteInt("OptionsDlgPage", shown_);
    // Only the pages that were shown have anything to say.
    for (int id : kSaveOrder)
        if (OptionsPage* page = FindPage(id)) page->Save();
    QDialog::accept();
}

void GDlgOptions::reject() {
    SettingsStore::Instance().WriteInt("OptionsDlgPage", shown_);
    QDialog::reject();
}

}  // namespace tw::dialogs
