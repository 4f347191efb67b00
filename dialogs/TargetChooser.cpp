#include "dialogs/TargetChooser.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QVBoxLayout>

#include "core/settings/SettingsStore.h"
#include "dialogs/GDlgFindTarget.h"
#include "engine/maintenance/TargetSearch.h"
#include "engine/model/Node.h"

namespace tw::dialogs {
namespace {

constexpr const char* kPreviewKey = "1ShowPreviewInFixDlg";

QToolButton* Button(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    return button;
}

}  // namespace

TargetChooser::TargetChooser(const QString& siteDirectory, QWidget* parent)
    : QWidget(parent),
      siteDirectory_(QDir::cleanPath(siteDirectory)),
      target_(new QLineEdit(this)),
      files_(new QTreeView(this)),
      status_(new QLabel(this)),
      showPreview_(new QCheckBox("Show preview", this)),
      preview_(new ui::FilePreview(this)),
      instances_(new QTextEdit(this)) {
    auto* find = Button(this, QStyle::SP_FileDialogContentsView, "Find target using wildcards");
    auto* previous = Button(this, QStyle::SP_ArrowBack, "Go to previous target match");
    auto* next = Button(this, QStyle::SP_ArrowForward, "Go to next target match");
    auto* view = Button(this, QStyle::SP_FileDialogInfoView, "View the selected file");
    connect(find, &QToolButton::clicked, this, &TargetChooser::FindWithWildcards);
    connect(previous, &QToolButton::clicked, this, [this] { SearchSameName(false); });
    connect(next, &QToolButton::clicked, this, [this] { SearchSameName(true); });
    connect(view, &QToolButton::clicked, this, &TargetChooser::ViewSelectedInstance);
    // F3 searches forward and Shift+F3 back wherever the focus is in the dialog.
    auto* forward = new QShortcut(QKeySequence(Qt::Key_F3), this);
    forward->setContext(Qt::WidgetWithChildrenShortcut);
    connect(forward, &QShortcut::activated, this, [this] { SearchSameName(true); });
    auto* back = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    back->setContext(Qt::WidgetWithChildrenShortcut);
    connect(back, &QShortcut::activated, this, [this] { SearchSameName(false); });

    model_.setRootPath(siteDirectory_);
    model_.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    files_->setModel(&model_);
    files_->setRootIndex(model_.index(siteDirectory_));
    for (int column = 1; column < model_.columnCount(); ++column) files_->hideColumn(column);
    files_->setHeaderHidden(true);
    files_->setMinimumSize(220, 180);
    connect(files_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                const QString path = model_.filePath(current);
                if (path.isEmpty()) return;
                target_->setText(SiteUrlOf(path));
                if (showPreview_->isChecked()) preview_->Show(path);
            });
    target_->installEventFilter(this);

    showPreview_->setChecked(SettingsStore::Instance().ReadBool(kPreviewKey));
    preview_->setVisible(showPreview_->isChecked());
    connect(showPreview_, &QCheckBox::toggled, this, [this](bool on) {
        SettingsStore::Instance().WriteBool(kPreviewKey, on);
        preview_->setVisible(on);
        if (on) preview_->Show(model_.filePath(files_->currentIndex()));
    });

    instances_->setReadOnly(true);
    instances_->setMinimumHeight(90);
    instances_->viewport()->installEventFilter(this);
    connect(&instanceTimer_, &QTimer::timeout, this, &TargetChooser::FillNextInstance);
    status_->setWordWrap(true);

    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(target_, 1);
    targetRow->addWidget(find);
    targetRow->addWidget(previous);
    targetRow->addWidget(next);
    auto* split = new QSplitter(this);
    split->addWidget(files_);
    split->addWidget(preview_);
    split->setChildrenCollapsible(false);
    auto* instancesRow = new QHBoxLayout;
    instancesRow->addWidget(instances_, 1);
    instancesRow->addWidget(view, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("New target (a URL from the site's root):", this));
    layout->addLayout(targetRow);
    layout->addWidget(split, 3);
    layout->addWidget(showPreview_);
    layout->addWidget(status_);
    layout->addWidget(new QLabel("Where the link is written:", this));
    layout->addLayout(instancesRow, 2);
}

QString TargetChooser::SiteUrlOf(const QString& path) const {
    const QString relative = QDir(siteDirectory_).relativeFilePath(path);
    return "/" + (relative == "." ? QString() : relative);
}

void TargetChooser::SetLink(const QString& link, const QString& path) {
    link_ = link;
    matches_.clear();
    matchIndex_ = -1;
    status_->clear();
    target_->setText(link);
    target_->selectAll();
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        const QModelIndex index = model_.index(path);
        files_->setCurrentIndex(index);
        files_->scrollTo(index);
        target_->setText(link);  // selecting the file must not rewrite the link as written
        target_->selectAll();
    } else if (link.contains(':')) {
        // An external link: the preview says where it goes.
        preview_->ShowText(link);
    }
}

void TargetChooser::SearchSameName(bool next) {
    status_->clear();
    if (matches_.isEmpty()) {
        for (const std::string& path : FindTargetMatches(siteDirectory_.toStdString(),
                                                         LinkFileName(link_.toStdString()), true))
            matches_ << QString::fromStdString(path);
        matchIndex_ = next ? -1 : 1;
    }
    if (matches_.isEmpty()) {
        Flash();
        status_->setText("File not found.  Try a search using wildcards.");
        return;
    }
    if (next) {
        if (++matchIndex_ >= matches_.size()) {
            matchIndex_ = 0;
            Flash();
            status_->setText("Finished searching target matches. Returning to first match.");
        }
    } else {
        if (--matchIndex_ < 0) {
            matchIndex_ = static_cast<int>(matches_.size()) - 1;
            Flash();
            status_->setText("Finished searching target matches. Returning to last match.");
        }
    }
    ShowMatch();
}

void TargetChooser::ShowMatch() {
    const QString path = matches_.value(matchIndex_);
    if (path.isEmpty()) return;
    const QModelIndex index = model_.index(path);
    files_->setCurrentIndex(index);
    files_->scrollTo(index);
    target_->setText(SiteUrlOf(path));
}

void TargetChooser::FindWithWildcards() {
    GDlgFindTarget find(siteDirectory_, QString::fromStdString(LinkFileName(link_.toStdString())),
                        matches_, this);
    if (find.exec() != QDialog::Accepted || find.SelectedIndex() < 0) return;
    matches_ = find.Matches();
    matchIndex_ = find.SelectedIndex();
    ShowMatch();
}

void TargetChooser::Flash() {
    // The tree blinks twice in the highlight colour: the search went round, or found nothing.
    for (int phase = 0; phase < 4; ++phase)
        QTimer::singleShot(200 * phase, files_, [this, phase] {
            files_->setStyleSheet(phase % 2 == 0 ? "QTreeView { background: palette(highlight); }"
                                                 : QString());
        });
}

void TargetChooser::ShowInstances(const EAppSite* site, int count, const QStringList& pages) {
    site_ = site;
    pendingPages_ = pages;
    instances_->clear();
    instances_->setPlainText(count == 1 ? "1 instance\n" : QString("%1 instances\n").arg(count));
    instanceTimer_.start(0);
}

void TargetChooser::FillNextInstance() {
    if (pendingPages_.isEmpty() || !site_) {
        instanceTimer_.stop();
        return;
    }
    const QString page = pendingPages_.takeFirst();
    QTextCursor cursor(instances_->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat plain;
    QTextCharFormat tag;
    tag.setForeground(QColor(0, 0, 160));
    cursor.insertBlock();
    cursor.insertText(page, bold);
    for (const LinkInstance& instance :
         FindLinkInstances(*site_, page.toStdString(), link_.toStdString())) {
        cursor.insertBlock();
        cursor.insertText(QString(" Line %1:  ").arg(instance.line), plain);
        cursor.insertText(QString::fromStdString(instance.tag), tag);
    }
    cursor.insertBlock();
    cursor.setCharFormat(plain);
}

void TargetChooser::ViewSelectedInstance() {
    const QString path =
        instances_->textCursor().selectedText().section(QChar::ParagraphSeparator, 0, 0).trimmed();
    if (!path.isEmpty() && QFileInfo(path).isFile()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));  // the desktop's viewer
        return;
    }
    QMessageBox::information(this, "Tidewright",
                             "Please select a valid file from the list of instances.");
}

bool TargetChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_ && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, target_, &QLineEdit::selectAll);
    if (watched == instances_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // A click selects the whole block of one page: its path line to its last line.
        QTextCursor cursor =
            instances_->cursorForPosition(static_cast<QMouseEvent*>(event)->position().toPoint());
        QTextBlock first = cursor.block(), last = cursor.block();
        while (first.previous().isValid() && !first.previous().text().isEmpty() &&
               first.text().startsWith(' '))
            first = first.previous();
        while (last.next().isValid() && last.next().text().startsWith(' ')) last = last.next();
        if (!first.text().isEmpty() && !first.text().startsWith(' ') && first.blockNumber() > 0) {
            QTextCursor block(first);
            block.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
            instances_->setTextCursor(block);
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tw::dialogs
