#include "dialogs/GDlgFindTarget.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/maintenance/TargetSearch.h"
#include "ui/components/DialogPosition.h"

namespace tw::dialogs {
namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

GDlgFindTarget::GDlgFindTarget(const QString& siteDirectory, const QString& pattern,
                               const QStringList& matches, QWidget* parent)
    : QDialog(parent),
      siteDirectory_(QDir::cleanPath(siteDirectory)),
      pattern_(new QLineEdit(pattern, this)),
      list_(new QListWidget(this)),
      label_(new QLabel(this)) {
    setObjectName("find-target");
    setWindowTitle("Find Target");
    auto* search = new QPushButton("&Search", this);
    search->setDefault(true);
    connect(search, &QPushButton::clicked, this, &GDlgFindTarget::Search);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumSize(360, 220);
    for (const QString& path : matches) Add(path);
    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(pattern_, 1);
    patternRow->addWidget(search);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Find File (using wildcards):", this));
    layout->addLayout(patternRow);
    layout->addWidget(label_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    pattern_->selectAll();
    pattern_->setFocus();
    ui::KeepPosition(*this, "FindTargetDialogPosition");
}

void GDlgFindTarget::Add(const QString& path) {
    static const QFileIconProvider icons;
    const QString relative = QDir(siteDirectory_).relativeFilePath(path);
    auto* item = new QListWidgetItem(icons.icon(QFileInfo(path)), "/" + relative);
    item->setData(kPathRole, path);
    list_->addItem(item);
}

void GDlgFindTarget::Search() {
    const QString pattern = pattern_->text().trimmed();
    label_->setText(QString("Results for \"%1\":").arg(pattern));
    list_->clear();
    // Newest first: the list shows the files in the reverse order of finding.
    const std::vector<std::string> found =
        FindTargetMatches(siteDirectory_.toStdString(), pattern.toStdString(), false);
    for (auto it = found.rbegin(); it != found.rend(); ++it) Add(QString::fromStdString(*it));
    if (list_->count() == 0)
        label_->setText(label_->text() + "  No matches found");
    else
        list_->setCurrentRow(0);
}

QStringList GDlgFindTarget::Matches() const {
    QStringList paths;
    for (int row = 0; row < list_->count(); ++row)
        paths << list_->item(row)->data(kPathRole).toString();
    return paths;
}

}  // namespace tw::dialogs
