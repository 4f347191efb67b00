#include "views/GPathCB.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QLineEdit>

#include "core/settings/SettingsStore.h"

namespace tw::views {

GPathCB::GPathCB(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] {
        QString typed = lineEdit()->text().trimmed();
        if (typed.startsWith('~')) typed = QDir::homePath() + typed.mid(1);
        // The folder shown already (the box shows it once a path was gone to, and a completion
        // popup may pass the same Enter on) is no new choice.
        if (typed.isEmpty() ||
            (count() > 0 && QDir::cleanPath(typed) == QDir::cleanPath(itemText(0))))
            return;
        emit FolderChosen(QDir::cleanPath(typed));
    });
    // The folder pane may be narrow: the box gives way, its list still shows whole paths.
    setMinimumContentsLength(6);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const std::string& folder : SettingsStore::Instance().LoadStringList("RecentFolders"))
        addItem(QString::fromStdString(folder));
    setCurrentIndex(count() > 0 ? 0 : -1);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index <= 0) return;
        // The chosen folder leaves its place; it comes back at the top as the current folder.
        const QString folder = itemText(index);
        removeItem(index);
        setFocus();
        emit FolderChosen(folder);
    });
}

void GPathCB::Remember(const QString& folder) {
    if (folder.isEmpty() || (count() > 0 && itemText(0) == folder) || view()->isVisible()) return;
    const int found = findText(folder, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found > 0) removeItem(found);
    insertItem(0, folder);
    setCurrentIndex(0);
    const int most =
        std::max(1, SettingsStore::Instance().ReadNonNegativeInt("25FolderHistoryLength"));
    while (count() > most) removeItem(count() - 1);
    Save();
}

QStringList GPathCB::Entries() const {
    QStringList entries;
    for (int i = 0; i < count(); ++i) entries << itemText(i);
    return entries;
}

void GPathCB::Save() const {
    std::vector<std::string> folders;
    for (const QString& entry : Entries()) folders.push_back(entry.toStdString());
    SettingsStore::Instance().SaveStringList("RecentFolders", folders);
}

void GPathCB::focusInEvent(QFocusEvent* event) {
    // The completion reads the disk (and watches it): made when the box first takes the
    // keyboard, not at start-up.
    if (!completesFolders_) {
        completesFolders_ = true;
        auto* folders = new QFileSystemModel(this);
        folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
        folders->setRootPath("/");
        auto* completer = new QCompleter(folders, this);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        lineEdit()->setCompleter(completer);
    }
    QComboBox::focusInEvent(event);
}

void GPathCB::EditLocation() {
    setFocus(Qt::ShortcutFocusReason);
    lineEdit()->selectAll();
}

void GPathCB::showPopup() {
    // The list is as wide as its widest folder, never narrower than the box.
    int widest = width();
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(i)) + 5 + 24);
    view()->setMinimumWidth(widest);
    QComboBox::showPopup();
}

}  // namespace tw::views
