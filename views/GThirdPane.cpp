#include "views/GThirdPane.h"

#include <QFileInfo>

#include "core/settings/SettingsStore.h"
#include "engine/model/Node.h"
#include "ui/components/StatusIcons.h"

namespace tw::views {

GThirdPane::GThirdPane(const PaneActions& actions, QWidget* parent)
    : QStackedWidget(parent),
      none_(new GViewNone(actions, this)),
      multiple_(new GViewMultiple(actions, this)),
      unlinked_(new GViewUnlinked(actions, this)),
      html_(new GViewHtml(actions, this)),
      link_(new GViewLink(actions, this)) {
    for (GViewDetails* view :
         std::initializer_list<GViewDetails*>{none_, multiple_, unlinked_, html_, link_}) {
        addWidget(view);
        connect(view, &GViewDetails::OpenRequested, this, &GThirdPane::OpenRequested);
    }
    connect(multiple_, &GViewMultiple::FileChosen, this, &GThirdPane::FileChosen);
    connect(link_->List(), &GCtrlLink::RepairRequested, this,
            [this](int index) { emit RepairRequested(link_->List()->Page(), index); });
    BuildFilters();
    setCurrentWidget(none_);
}

GThirdPane::~GThirdPane() {
    StopWork();
}

void GThirdPane::BuildFilters() {
    struct Filter {
        const char* text;
        QIcon icon;
        bool LinkFilters::*member;
    };
    const QStyle* look = style();
    const Filter filters[] = {
        {"Filter good links", ui::StatusIcon(ui::StatusImage::Good), &LinkFilters::good},
        {"Filter broken links", ui::StatusIcon(ui::StatusImage::Broken), &LinkFilters::bad},
        {"Filter external links", ui::StatusIcon(ui::StatusImage::External),
         &LinkFilters::external},
        {nullptr, {}, nullptr},
        {"Filter content links (href)",
         QIcon::fromTheme("insert-link", look->standardIcon(QStyle::SP_FileLinkIcon)),
         &LinkFilters::href},
        {"Filter embedded content (images, objects)",
         QIcon::fromTheme("insert-image", look->standardIcon(QStyle::SP_FileDialogContentsView)),
         &LinkFilters::embedded},
        {nullptr, {}, nullptr},
        {"Collapse list: one row per target",
         QIcon::fromTheme("view-list-tree", look->standardIcon(QStyle::SP_FileDialogListView)),
         &LinkFilters::combine},
    };
    for (const Filter& filter : filters) {
        auto* action = new QAction(this);
        if (!filter.text) {
            action->setSeparator(true);
            filterActions_ << action;
            continue;
        }
        action->setText(filter.text);
        action->setIcon(filter.icon);
        action->setCheckable(true);
        const auto member = filter.member;
        connect(action, &QAction::triggered, this, [this, member](bool on) {
            link_->List()->Filters().*member = on;
            link_->List()->Fill(false);
        });
        filterActions_ << action;
    }
    UpdateFilters();
}

void GThirdPane::UpdateFilters() {
    // The buttons show the switches in use; "broken" means something only in a tracked site.
    const LinkFilters& f = link_->List()->Filters();
    const bool values[] = {f.good, f.bad, f.external, false, f.href, f.embedded, false, f.combine};
    for (qsizetype i = 0; i < filterActions_.size(); ++i) filterActions_[i]->setChecked(values[i]);
    QAction* broken = filterActions_.value(1);
    const bool tracked = link_->List()->InTrackedSite();
    broken->setEnabled(tracked);
    if (!tracked) broken->setChecked(false);
}

void GThirdPane::Update(const QString& current, const QStringList& selection, bool isFolder) {
    current_ = current;
    selection_ = selection;
    isFolder_ = isFolder;
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    stale_ = false;
    Kind kind = kNone;
    if (current.isEmpty())
        kind = kNone;
    else if (isFolder || selection.size() > 1)
        kind = kMultiple;
    else if (IsHtmlFile(current.toStdString()))
        kind = SettingsStore::Instance().ReadBool("0PreferLinkView") ? kLink : kHtml;
    else
        kind = kUnlinked;
    GViewDetails* views[] = {none_, multiple_, unlinked_, html_, link_};
    if (kind != kind_) {
        Current()->StopWork();
        kind_ = kind;
        setCurrentWidget(views[kind]);
    }
    if (kind == kMultiple)
        multiple_->ShowSelection(selection.size() > 1 ? selection : QStringList{current});
    else
        views[kind]->Refresh(current, static_cast<int>(selection.size()));
    if (kind == kLink) UpdateFilters();
    emit KindChanged(kind);
}

void GThirdPane::RefreshView() {
    Update(current_, selection_, isFolder_);
}

void GThirdPane::StopWork() {
    multiple_->StopWork();
    unlinked_->StopWork();
    html_->StopWork();
}

void GThirdPane::showEvent(QShowEvent* event) {
    QStackedWidget::showEvent(event);
    if (stale_) RefreshView();
}

}  // namespace tw::views
