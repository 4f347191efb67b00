#include "views/GViewLinks.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "engine/model/Node.h"
#include "engine/model/SiteRegistry.h"
#include "ui/components/SortKeyRow.h"

namespace tw::views {
GViewLinks::GViewLinks(QWidget* parent)
    : QWidget(parent), description_(new QLabel(this)), list_(new QTreeWidget(this)) {
    description_->setWordWrap(true);
    description_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    description_->setContentsMargins(6, 6, 6, 6);
    description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    list_->setHeaderLabels({"Line", "Status", "URL", "Target"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSortingEnabled(true);
    list_->sortByColumn(kLine, Qt::AscendingOrder);
    list_->setColumnWidth(kLine, 50);
    list_->setColumnWidth(kStatus, 80);
    list_->setColumnWidth(kUrl, 220);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(description_);
    layout->addWidget(list_, 1);
    // The pane takes the focus itself while it shows no list.
    setFocusPolicy(Qt::StrongFocus);
}

void GViewLinks::Show(const QString& path, int selected) {
    list_->clear();
    ESiteRegistry& registry = ESiteRegistry::Instance();
    if (selected > 1 || path.isEmpty()) {
        description_->setText(path.isEmpty() ? QString("My Computer")
                                             : QString("%1 items selected").arg(selected));
        list_->hide();
        setFocusProxy(nullptr);
        return;
    }
    QString text = "<b>" + path.toHtmlEscaped() + "</b>";
    if (!registry.pageTitle.empty())
        text += "<br>" + QString::fromStdString(registry.pageTitle).toHtmlEscaped();
    std::vector<EUrl> urls;
    std::vector<std::uint32_t> lines;
    registry.GetPageUrls(path.toStdString(), urls, lines);
    if (!urls.empty() || registry.pageBrokenCount >= 0)
        text += QString("<br>%1 links, %2 bad, %3 external")
                    .arg(registry.pageUrlCount)
                    .arg(registry.pageBrokenCount < 0 ? QString("??")
                                                      : QString::number(registry.pageBrokenCount))
                    .arg(registry.pageExternalCount);
    description_->setText(text);
    list_->setVisible(!urls.empty());
    setFocusProxy(urls.empty() ? nullptr : list_);
    list_->setSortingEnabled(false);
    for (const EUrl& url : urls) {
        if (url.IsBaseHref()) continue;
        const char* status = LinkStatusName(url);
        auto* row = new ui::SortKeyRow(list_, {QString::number(url.line), status,
                                    QString::fromStdString(url.text),
                                    url.target ? QString::fromStdString(url.target->GetPath())
                                               : QString()});
        row->setData(kLine, Qt::UserRole, url.line);  // lines sort by number
        for (int column = 0; column < kColumns; ++column) row->setToolTip(column, row->text(column));
        if (url.IsBroken()) row->setForeground(kStatus, QBrush(Qt::red));
    }
    list_->setSortingEnabled(true);
}

}  // namespace tw::views
