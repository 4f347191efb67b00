#include "views/GCtrlLink.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <map>

#include "core/settings/SettingsStore.h"
#include "core/strings/Strings.h"
#include "engine/html/UrlText.h"
#include "engine/model/Node.h"
#include "engine/model/SiteRegistry.h"
#include "ui/components/EmptyText.h"
#include "ui/components/HeaderLayout.h"
#include "ui/components/StatusIcons.h"

namespace tw::views {
namespace {

constexpr const char* kSwitchKeys[] = {"1ShowGoodLinks",     "1ShowBadLinks",
                                       "1ShowExtLinks",      "1ShowHrefLinks",
                                       "1ShowEmbeddedLinks", "1CombineLinkLineNumbers"};
constexpr const char* kSortKey = "3LinksSortIndex";
constexpr int kClassRole = Qt::UserRole + 2;
constexpr int kLineRole = Qt::UserRole + 3;

// The order of the status column, from the status table; a broken link that is not written
// canonically sorts between the ignored and the untracked ones.
QString TextOf(LinkStatus status) {
    const std::string_view text = LoadString(InfoOf(status).messageId);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int StatusClass(const EUrl& url, LinkStatus status) {
    if (status == LinkStatus::Broken && url.Has(EUrl::kNotCanonical)) return 2;
    return InfoOf(status).sortClass;
}

// A row sorts by its column: status class then line; internal before external, then the URL
// text, then line; or line alone.
class LinkRow : public QTreeWidgetItem {
  public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int line = data(GCtrlLink::kLine, kLineRole).toInt();
        const int otherLine = other.data(GCtrlLink::kLine, kLineRole).toInt();
        const int status = data(GCtrlLink::kStatus, kClassRole).toInt();
        const int otherStatus = other.data(GCtrlLink::kStatus, kClassRole).toInt();
        switch (treeWidget() ? treeWidget()->sortColumn() : GCtrlLink::kLine) {
            case GCtrlLink::kStatus:
                if (status != otherStatus) return status < otherStatus;
                break;
            case GCtrlLink::kUrl: {
                const bool external = status == 5, otherExternal = otherStatus == 5;
                if (external != otherExternal) return otherExternal;
                const int order = text(GCtrlLink::kUrl).compare(other.text(GCtrlLink::kUrl));
                if (order != 0) return order < 0;
                break;
            }
            default:
                break;
        }
        return line < otherLine;
    }
};

}  // namespace

LinkFilters LinkFilters::Load() {
    const SettingsStore& settings = SettingsStore::Instance();
    LinkFilters f;
    bool* switches[] = {&f.good, &f.bad, &f.external, &f.href, &f.embedded, &f.combine};
    for (int i = 0; i < 6; ++i) *switches[i] = settings.ReadBool(kSwitchKeys[i]);
    return f;
}

void LinkFilters::Save() const {
    const SettingsStore& settings = SettingsStore::Instance();
    const bool switches[] = {good, bad, external, href, embedded, combine};
    for (int i = 0; i < 6; ++i) settings.WriteBool(kSwitchKeys[i], switches[i]);
}

GCtrlLink::GCtrlLink(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabels({" ", "URL", "Line #"});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(true);
    header()->setSectionsMovable(true);
    setColumnWidth(kStatus, fontMetrics().horizontalAdvance("External link") + 40);
    setColumnWidth(kUrl, 200);
    setColumnWidth(kLine, 60);
    // The line numbers stay in sight in a narrow pane: the URL column gives way.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(kUrl, QHeaderView::Stretch);
    sortByColumn(kLine, Qt::AscendingOrder);
    ui::LoadHeaderLayout(*header(), "LinkViewColumns", {});
    // One click repairs: the list is where a broken link is seen, so it is where it is fixed.
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) {
        emit RepairRequested(row->data(kStatus, kUrlIndexRole).toInt());
    });
}

GCtrlLink::~GCtrlLink() {
    SaveLayout();
}

void GCtrlLink::SaveLayout() const {
    ui::SaveHeaderLayout(*header(), "LinkViewColumns", {});
}

QString GCtrlLink::StatusText(const EUrl& url, bool tracked) {
    return TextOf(ClassifyLink(url, tracked));
}

void GCtrlLink::ShowPage(const QString& path) {
    page_ = path;
    std::vector<std::uint32_t> lines;
    ESiteRegistry& registry = ESiteRegistry::Instance();
    baseDirectory_ = registry.GetPageUrls(path.toStdString(), urls_, lines);
    std::erase_if(urls_, [](const EUrl& url) { return url.IsBaseHref(); });
    const EAppSite* site = registry.FindTrackedSite(path.toStdString());
    tracked_ = site && site->IsTracking();
    Fill(true);
}

bool GCtrlLink::Passes(const EUrl& url) const {
    bool shown;
    if (url.IsExternal())
        shown = filters_.external;
    else if (tracked_)
        shown = url.target ? filters_.good : filters_.bad;
    else
        shown = filters_.good;
    if (!shown) return false;
    return url.IsEmbedded() ? filters_.embedded : filters_.href;
}

void GCtrlLink::Fill(bool reload) {
    const SettingsStore& settings = SettingsStore::Instance();
    if (reload) {
        filters_ = LinkFilters::Load();
        const SortIndex sort = settings.ReadSortIndex(kSortKey);
        if (sort.column >= 0 && sort.column < kColumns)
            sortByColumn(sort.column, sort.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    } else {
        SaveLayout();
        filters_.Save();
        settings.WriteSortIndex(kSortKey, {header()->sortIndicatorSection(),
                                           header()->sortIndicatorOrder() == Qt::AscendingOrder});
    }
    setUpdatesEnabled(false);
    setSortingEnabled(false);
    clear();
    // With rows combined, one row per target: its line column lists every line.
    std::map<std::string, LinkRow*> byTarget;
    QFont bold = font();
    bold.setBold(true);
    for (std::size_t i = 0; i < urls_.size(); ++i) {
        const EUrl& url = urls_[i];
        if (!Passes(url)) continue;
        LinkRow* row = nullptr;
        if (filters_.combine) {
            std::string key = url.target         ? url.target->GetPath()
                              : url.IsExternal() ? url.text
                                                 : ResolveToFilePath(url.text, baseDirectory_, {});
            auto [it, added] = byTarget.try_emplace(std::move(key), nullptr);
            if (!added) {
                // A line that names the target twice (src and srcset) is listed once.
                const QString line = QString::number(url.line);
                QTreeWidgetItem* row = it->second;
                if (!row->text(kLine).endsWith("," + line) && row->text(kLine) != line)
                    row->setText(kLine, row->text(kLine) + "," + line);
                continue;
            }
            row = it->second = new LinkRow(this);
        } else {
            row = new LinkRow(this);
        }
        const LinkStatus status = ClassifyLink(url, tracked_);
        const bool broken = status == LinkStatus::Broken;
        row->setText(kStatus, TextOf(status));
        row->setIcon(kStatus, ui::StatusIcon(InfoOf(status).icon));
        row->setData(kStatus, kClassRole, StatusClass(url, status));
        row->setData(kStatus, kUrlIndexRole, static_cast<int>(i));
        row->setText(kUrl, QString::fromStdString(url.text));
        row->setText(kLine, QString::number(url.line));
        row->setData(kLine, kLineRole, url.line);
        row->setTextAlignment(kLine, Qt::AlignRight | Qt::AlignVCenter);
        QString tip = QString::fromStdString(url.text);
        if (url.target) tip += "\n→ " + QString::fromStdString(url.target->GetPath());
        if (url.IsCaseMismatch()) tip += "\nFound only when letter case is ignored";
        row->setToolTip(kUrl, tip);
        if (broken) {
            QFont underlined = font();
            underlined.setUnderline(true);
            for (int column = 0; column < kColumns; ++column) {
                row->setForeground(column, QColor(128, 0, 0));
                row->setFont(column, underlined);
            }
        }
        if (filters_.combine) row->setFont(kLine, bold);
    }
    setSortingEnabled(true);
    setUpdatesEnabled(true);
}

void GCtrlLink::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (topLevelItemCount() > 0 || page_.isEmpty()) return;
    ui::DrawEmptyText(*this, "No URL links in this file match the link filters now chosen.");
}

void GCtrlLink::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* row = itemAt(viewport()->mapFromGlobal(event->globalPos()));
    if (!row) return;
    QMenu menu(this);
    QAction* replace = menu.addAction("&Replace Link...");
    menu.addAction("Ca&ncel\tEsc");
    if (menu.exec(event->globalPos()) == replace)
        emit RepairRequested(row->data(kStatus, kUrlIndexRole).toInt());
}

void GCtrlLink::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit RepairRequested(currentItem()->data(kStatus, kUrlIndexRole).toInt());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace tw::views
