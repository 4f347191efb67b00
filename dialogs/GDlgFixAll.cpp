#include "dialogs/GDlgFixAll.h"

#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/platform/ProgramFolders.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/CaseFold.h"
#include "dialogs/GDlgFixLink.h"
#include "engine/maintenance/FixLinks.h"
#include "engine/maintenance/TargetSearch.h"
#include "engine/model/Site.h"
#include "engine/model/SiteLoader.h"
#include "ui/components/DialogPosition.h"
#include "ui/components/StatusIcons.h"

namespace tw::dialogs {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

GDlgFixAll::GDlgFixAll(EAppSite& site, CommandRunner execute, QWidget* parent)
    : QDialog(parent),
      site_(site),
      execute_(std::move(execute)),
      tree_(new QTreeWidget(this)),
      chooser_(new TargetChooser(Q(site.GetDirectory()), this)),
      renameGroup_(new QPushButton("Re&name group", this)),
      removeGroup_(new QPushButton("&Remove group", this)) {
    setObjectName("fix-all");
    setWindowTitle(QString("Fix All Broken Links - %1").arg(Q(site.GetName())));
    tree_->setHeaderLabels({"Link", "Instances"});
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->setDragDropMode(QAbstractItemView::InternalMove);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->viewport()->installEventFilter(this);
    tree_->setMinimumSize(280, 260);
    connect(tree_, &QTreeWidget::customContextMenuRequested, this, &GDlgFixAll::ShowTreeMenu);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &GDlgFixAll::OnCurrentChanged);
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        // A user group renamed in place.
        if (item->parent() || item->text(0).isEmpty()) return;
        const std::size_t group = GroupOf(item);
        if (groups_.RenameGroup(group, item->text(0).toStdString()))
            QTimer::singleShot(0, this,
                               [this, group] { Rebuild(Q(groups_.Groups()[group].name)); });
    });

    auto* save = new QPushButton("&Save list", this);
    auto* newGroup = new QPushButton("Create new &group", this);
    auto* fix = new QPushButton("&Fix it", this);
    save->setToolTip("Save the list of links to a text file");
    fix->setToolTip("Give the chosen link the new target in every page of the site");
    connect(save, &QPushButton::clicked, this, &GDlgFixAll::SaveList);
    connect(newGroup, &QPushButton::clicked, this, &GDlgFixAll::NewGroup);
    connect(renameGroup_, &QPushButton::clicked, this, &GDlgFixAll::RenameGroup);
    connect(removeGroup_, &QPushButton::clicked, this, &GDlgFixAll::RemoveGroup);
    connect(fix, &QPushButton::clicked, this, &GDlgFixAll::FixIt);
    for (QPushButton* button : {save, newGroup, renameGroup_, removeGroup_, fix})
        button->setAutoDefault(false);
    auto* done = new QPushButton("Done", this);
    done->setAutoDefault(false);
    connect(done, &QPushButton::clicked, this, &GDlgFixAll::reject);

    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(save);
    groupButtons->addWidget(newGroup);
    groupButtons->addWidget(renameGroup_);
    groupButtons->addWidget(removeGroup_);
    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(tree_, 1);
    leftLayout->addLayout(groupButtons);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(chooser_, 1);
    auto* fixRow = new QHBoxLayout;
    fixRow->addStretch(1);
    fixRow->addWidget(fix);
    rightLayout->addLayout(fixRow);
    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(right);
    split->setChildrenCollapsible(false);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);
    setSizeGripEnabled(true);
    resize(980, 640);

    groups_.Fill(site_);
    Rebuild();
    // The first link of the first group is chosen.
    for (int g = 0; g < tree_->topLevelItemCount(); ++g)
        if (QTreeWidgetItem* first = tree_->topLevelItem(g)->child(0)) {
            tree_->setCurrentItem(first);
            break;
        }
    ui::KeepPosition(*this, "FixAllDialogPosition");
    tree_->setFocus();
}

void GDlgFixAll::Rebuild(const QString& select) {
    const QSignalBlocker quiet(tree_);
    tree_->clear();
    QTreeWidgetItem* chosen = nullptr;
    for (std::size_t g = 0; g < groups_.Groups().size(); ++g) {
        const GLinksTree::Group& group = groups_.Groups()[g];
        auto* item = new QTreeWidgetItem(tree_, {Q(GLinksTree::Label(group))});
        item->setData(0, kGroupRole, static_cast<qulonglong>(g));
        item->setFlags((item->flags() | Qt::ItemIsDropEnabled) & ~Qt::ItemIsDragEnabled);
        if (group.kind == GLinksTree::Kind::User)
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        const bool settled = group.kind == GLinksTree::Kind::Fixed ||
                             group.kind == GLinksTree::Kind::Filtered ||
                             group.kind == GLinksTree::Kind::Ignore;
        const QIcon icon =
            ui::StatusIcon(group.kind == GLinksTree::Kind::Fixed      ? ui::StatusImage::Good
                           : group.kind == GLinksTree::Kind::Ignore   ? ui::StatusImage::Ignored
                           : group.kind == GLinksTree::Kind::Filtered ? ui::StatusImage::Untracked
                                                                      : ui::StatusImage::Broken);
        for (const GLinksTree::Link& link : group.links) {
            auto* row = new QTreeWidgetItem(
                item, {"\"" + Q(link.path) + "\"", QString::number(link.count)});
            row->setData(0, kLinkRole, Q(link.path));
            row->setIcon(0, icon);
            row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            row->setFlags(row->flags() & ~Qt::ItemIsDropEnabled & ~Qt::ItemIsEditable);
            if (!settled)
                for (int column = 0; column < 2; ++column)
                    row->setForeground(column, QColor(128, 0, 0));
            if (Q(link.path) == select) chosen = row;
        }
        if (!chosen && !select.isEmpty() && Q(group.name) == select) chosen = item;
    }
    tree_->expandAll();
    if (chosen) {
        tree_->setCurrentItem(chosen);
        tree_->scrollToItem(chosen);
    }
    OnCurrentChanged();
}

std::size_t GDlgFixAll::GroupOf(const QTreeWidgetItem* item) const {
    if (!item) return std::string::npos;
    if (item->parent()) item = item->parent();
    return static_cast<std::size_t>(item->data(0, kGroupRole).toULongLong());
}

void GDlgFixAll::OnCurrentChanged() {
    QTreeWidgetItem* item = tree_->currentItem();
    const std::size_t group = GroupOf(item);
    const bool user =
        group < groups_.Groups().size() && groups_.Groups()[group].kind == GLinksTree::Kind::User;
    renameGroup_->setEnabled(user && item && !item->parent());
    removeGroup_->setEnabled(user && item && !item->parent());
    if (!item || !item->parent()) {
        link_.clear();
        return;
    }
    link_ = item->data(0, kLinkRole).toString();
    const QString dir = QDir::cleanPath(Q(site_.GetDirectory()));
    chooser_->SetLink(link_, dir + link_);
    QStringList pages;
    for (const std::string& page : PagesWithLink(site_, link_.toStdString(), 9)) pages << Q(page);
    chooser_->ShowInstances(&site_, item->text(1).toInt(), pages);
}

void GDlgFixAll::SelectLink(const QString& link) {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, kLinkRole).toString() == link) {
            tree_->setCurrentItem(*it);
            return;
        }
}

void GDlgFixAll::FixIt() {
    const QString target = chooser_->Target()->text().trimmed();
    if (link_.isEmpty()) return;
    if (target.isEmpty() || EqualsNoCase(target.toStdString(), link_.toStdString())) {
        if (AskForNewTarget(this, link_)) chooser_->SearchSameName(true);
        return;
    }
    if (!execute_) return;
    const std::size_t group = GroupOf(tree_->currentItem());
    execute_(std::make_unique<ESiteFixLinksCommand>(&site_, nullptr, link_.toStdString(),
                                                    target.toStdString(), true));
    // The next link of the group is chosen (else the one before it, else the group).
    QTreeWidgetItem* item = tree_->currentItem();
    QTreeWidgetItem* parent = item->parent();
    const int at = parent->indexOfChild(item);
    QTreeWidgetItem* next = parent->child(at + 1) ? parent->child(at + 1) : parent->child(at - 1);
    const QString following = next ? next->data(0, kLinkRole).toString() : parent->text(0);
    groups_.MarkFixed(group, link_.toStdString());
    Rebuild(next ? following : Q(groups_.Groups()[group].name));
}

std::vector<std::string> GDlgFixAll::SelectedLinks(std::size_t* group) const {
    std::vector<std::string> links;
    *group = std::string::npos;
    for (QTreeWidgetItem* item : tree_->selectedItems()) {
        if (!item->parent()) return {};
        const std::size_t of = GroupOf(item);
        if (*group != std::string::npos && of != *group) return {};  // one group at a time
        *group = of;
        links.push_back(item->data(0, kLinkRole).toString().toStdString());
    }
    return links;
}

bool GDlgFixAll::MoveSelectedTo(std::size_t group) {
    std::size_t from = 0;
    const std::vector<std::string> links = SelectedLinks(&from);
    if (links.empty() || !groups_.Move(site_, from, links, group)) return false;
    Rebuild(Q(links.front()));
    return true;
}

void GDlgFixAll::NewGroup() {
    const std::size_t at = groups_.NewGroup();
    Rebuild(Q(groups_.Groups()[at].name));
    RenameGroup();
}

void GDlgFixAll::RenameGroup() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item || item->parent() || groups_.Groups()[GroupOf(item)].kind != GLinksTree::Kind::User)
        return;
    {
        // The name alone is edited; the counts come back after.
        const QSignalBlocker quiet(tree_);
        item->setText(0, Q(groups_.Groups()[GroupOf(item)].name));
    }
    tree_->editItem(item, 0);
}

void GDlgFixAll::RemoveGroup() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item || item->parent()) return;
    if (groups_.RemoveGroup(GroupOf(item))) Rebuild();
}

void GDlgFixAll::SaveList() {
    SettingsStore& settings = SettingsStore::Instance();
    std::string path = settings.ReadString("LinkReport", site_.GetName(), "");
    if (path.empty()) path = ProgramSubfolder("temp") + site_.GetName() + ".txt";
    const QString chosen = QFileDialog::getSaveFileName(this, "Save list", Q(path),
                                                        "Text Files (*.txt *.htm);;All Files (*)");
    if (chosen.isEmpty()) return;
    settings.WriteString("LinkReport", site_.GetName(), chosen.toStdString());
    groups_.Save(chosen.toStdString());
}

void GDlgFixAll::reject() {
    groups_.Save(LinksFilePath(site_));
    QDialog::reject();
}

void GDlgFixAll::ShowTreeMenu(const QPoint& at) {
    QTreeWidgetItem* item = tree_->itemAt(at);
    const std::size_t group = GroupOf(item);
    QMenu menu(this);
    std::size_t from = 0;
    const bool movable = !SelectedLinks(&from).empty() && from == group;
    if (item && item->parent()) {
        QAction* cut = menu.addAction("Cu&t");
        const GLinksTree::Kind kind = groups_.Groups()[group].kind;
        cut->setEnabled(movable && kind != GLinksTree::Kind::Fixed &&
                        kind != GLinksTree::Kind::Filtered);
        connect(cut, &QAction::triggered, this, [this] { cut_ = SelectedLinks(&cutFrom_); });
    } else {
        connect(menu.addAction("Create &New Group"), &QAction::triggered, this,
                &GDlgFixAll::NewGroup);
        if (item && groups_.Groups()[group].kind == GLinksTree::Kind::User) {
            connect(menu.addAction("Re&name Group"), &QAction::triggered, this,
                    &GDlgFixAll::RenameGroup);
            connect(menu.addAction("&Remove Group"), &QAction::triggered, this,
                    &GDlgFixAll::RemoveGroup);
        }
    }
    if (item) {
        QAction* paste = menu.addAction("&Paste");
        paste->setEnabled(!cut_.empty() && groups_.CanMove(cutFrom_, group));
        connect(paste, &QAction::triggered, this, [this, group] {
            if (groups_.Move(site_, cutFrom_, cut_, group)) Rebuild(Q(cut_.front()));
            cut_.clear();
        });
    }
    menu.addSeparator();
    menu.addAction("Ca&ncel\tEsc");
    menu.exec(tree_->viewport()->mapToGlobal(at));
}

bool GDlgFixAll::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_->viewport() && event->type() == QEvent::Drop) {
        // A drop of links on a group (or one of its links) moves them there by the group
        // rules; the tree never moves its rows itself.
        auto* drop = static_cast<QDropEvent*>(event);
        QTreeWidgetItem* onto = tree_->itemAt(drop->position().toPoint());
        if (onto) MoveSelectedTo(GroupOf(onto));
        drop->setDropAction(Qt::IgnoreAction);
        drop->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tw::dialogs
