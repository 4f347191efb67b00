#include "views/GViewDetails.h"

#include <QDateTime>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QTextDocumentFragment>
#include <QTimer>

#include "core/platform/SizeText.h"
#include "core/settings/SettingsStore.h"
#include "engine/model/SiteRegistry.h"
#include "ui/components/FilePreview.h"

namespace tw::views {
namespace {

constexpr const char* kStripKey = "1ShowTrackingButton";
constexpr const char* kPreviewKey = "1ShowPreview";

// A title as the page's readers see it: entities ("&amp;") decoded, blanks trimmed.
QString TitleText(const std::string& text) {
    return QTextDocumentFragment::fromHtml(QString::fromStdString(text)).toPlainText().trimmed();
}

QString LocalTime(const QDateTime& time) {
    return QLocale().toString(time.toLocalTime(), QLocale::ShortFormat);
}

}  // namespace

QString SizeLine(const QString& path) {
    const QFileInfo info(path);
    return "Size:\t" + QString::fromStdString(SizeText(static_cast<std::uint64_t>(info.size()), 1));
}

// ---- the header common to every view ----

GViewDetails::GViewDetails(const PaneActions& actions, QAction* switchTo, QWidget* parent)
    : QWidget(parent),
      toggle_(new QToolButton(this)),
      strip_(new QWidget(this)),
      icon_(new QLabel(this)),
      name_(new QLabel(this)),
      body_(new QVBoxLayout) {
    toggle_->setAutoRaise(true);
    toggle_->setFixedSize(14, 14);
    toggle_->setIconSize(QSize(8, 8));
    connect(toggle_, &QToolButton::clicked, this, [this] {
        const bool on = !SettingsStore::Instance().ReadBool(kStripKey);
        SettingsStore::Instance().WriteBool(kStripKey, on);
        ShowStrip(on);
    });

    auto* reminder = new QLabel(
        "Moving/renaming files may break links in a web site.  Track the site to keep it "
        "synchronized.",
        strip_);
    reminder->setWordWrap(true);
    auto* track = new QToolButton(strip_);
    track->setDefaultAction(actions.trackSite);
    track->setText("Track site");
    track->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* stripRow = new QHBoxLayout;
    stripRow->setContentsMargins(0, 0, 0, 0);
    stripRow->addWidget(reminder, 1);
    stripRow->addWidget(track, 0, Qt::AlignTop);
    if (switchTo) {
        auto* other = new QToolButton(strip_);
        other->setDefaultAction(switchTo);
        other->setToolButtonStyle(Qt::ToolButtonIconOnly);
        stripRow->addWidget(other, 0, Qt::AlignTop);
    }
    auto* line = new QFrame(strip_);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* stripLayout = new QVBoxLayout(strip_);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addLayout(stripRow);
    stripLayout->addWidget(line);

    QFont bold = name_->font();
    bold.setBold(true);
    name_->setFont(bold);
    name_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    icon_->setFixedSize(16, 16);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(icon_);
    nameRow->addWidget(name_, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(toggle_, 0, Qt::AlignTop);
    top->addWidget(strip_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addLayout(nameRow);
    layout->addLayout(body_, 1);
    ShowStrip(SettingsStore::Instance().ReadBool(kStripKey));
}

void GViewDetails::ShowStrip(bool on) {
    strip_->setVisible(on);
    toggle_->setArrowType(on ? Qt::DownArrow : Qt::RightArrow);
    toggle_->setToolTip(on ? "Hide \"Track site\" button" : "Show \"Track site\" button");
}

void GViewDetails::Refresh(const QString& path, int /*selected*/) {
    path_ = path;
    // The switch is shared by every view: one view may have changed it since this one showed.
    ShowStrip(SettingsStore::Instance().ReadBool(kStripKey));
    if (path.isEmpty()) {
        icon_->clear();
        name_->clear();
        return;
    }
    static const QFileIconProvider icons;
    icon_->setPixmap(icons.icon(QFileInfo(path)).pixmap(16, 16));
    name_->setToolTip(QFileInfo(path).fileName());
    ElideName();
}

void GViewDetails::ElideName() {
    const QString full = QFileInfo(path_).fileName();
    name_->setText(
        name_->fontMetrics().elidedText(full, Qt::ElideRight, std::max(40, width() - 40)));
}

void GViewDetails::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!path_.isEmpty()) ElideName();
}

GViewNone::GViewNone(const PaneActions& actions, QWidget* parent)
    : GViewDetails(actions, nullptr, parent) {
    Body()->addStretch(1);
}

// ---- details with a preview ----

GViewPreviewed::GViewPreviewed(const PaneActions& actions, QAction* switchTo, QWidget* parent)
    : GViewDetails(actions, switchTo, parent),
      information_(new QTextEdit(this)),
      showPreview_(new QCheckBox("Show preview", this)),
      preview_(new QStackedWidget(this)),
      none_(new QLabel("There is no image preview available for this file.", this)),
      picture_(new QLabel(this)),
      page_(new QTextBrowser(this)) {
    information_->setReadOnly(true);
    information_->setFrameShape(QFrame::NoFrame);
    information_->setBackgroundRole(QPalette::Window);
    information_->viewport()->setAutoFillBackground(false);
    information_->setTabStopDistance(information_->fontMetrics().horizontalAdvance("Accessed:W"));
    information_->setFixedHeight(information_->fontMetrics().lineSpacing() * 6 + 8);
    none_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    none_->setContentsMargins(0, 10, 0, 0);
    none_->setWordWrap(true);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::Panel);
    picture_->setFrameShadow(QFrame::Sunken);
    picture_->setMinimumSize(1, 1);
    picture_->installEventFilter(this);
    // The rendered page stays a picture of the page: its links are not followed here, and
    // nothing is fetched from the network.
    page_->setOpenLinks(false);
    page_->setFrameShape(QFrame::Panel);
    page_->setFrameShadow(QFrame::Sunken);
    page_->viewport()->installEventFilter(this);
    preview_->addWidget(none_);
    preview_->addWidget(picture_);
    preview_->addWidget(page_);
    Body()->addWidget(information_);
    Body()->addWidget(showPreview_);
    Body()->addWidget(preview_, 1);
    connect(showPreview_, &QCheckBox::toggled, this, [this](bool on) {
        loader_.Cancel();
        SettingsStore::Instance().WriteBool(kPreviewKey, on);
        preview_->setVisible(on);
        if (on) LoadPreview(Path());
    });
    connect(&loader_, &ui::ImageLoader::Loaded, this,
            [this](const QString& path, const QImage& image, const ui::ImageFacts& facts, int) {
                if (path != Path()) return;
                facts_ = facts;
                hasPicture_ = true;
                picture_->setPixmap(QPixmap::fromImage(image));
                preview_->setCurrentWidget(picture_);
                WriteInformation();
            });
    connect(&loader_, &ui::ImageLoader::Failed, this, [this](const QString& path, int) {
        if (path == Path()) ShowNoPreview();
    });
}

void GViewPreviewed::Refresh(const QString& path, int selected) {
    loader_.Cancel();
    GViewDetails::Refresh(path, selected);
    selected_ = selected;
    hasPicture_ = false;
    WriteInformation();
    const bool on = SettingsStore::Instance().ReadBool(kPreviewKey);
    {
        const QSignalBlocker quiet(showPreview_);
        showPreview_->setChecked(on);
    }
    preview_->setVisible(on);
    if (on) LoadPreview(path);
}

void GViewPreviewed::WriteInformation() {
    const QString path = Path();
    QString text = Description(path);
    const QFileInfo info(path);
    if (selected_ == 1 && !info.isDir()) {
        text += "\n\n";
        // Not every file system keeps a creation time; the line is left out where none is.
        if (info.birthTime().isValid()) text += "Created:\t" + LocalTime(info.birthTime()) + "\n";
        text += "Modified:\t" + LocalTime(info.lastModified());
    }
    information_->setPlainText(text);
}

void GViewPreviewed::ShowNoPreview() {
    picture_->clear();
    preview_->setCurrentWidget(none_);
}

void GViewPreviewed::ShowPicture(const QString& path) {
    if (!ui::ImageLoader::CanDecode(path)) return ShowNoPreview();
    picture_->clear();
    preview_->setCurrentWidget(picture_);
    const QSize box = preview_->size().isEmpty() ? QSize(300, 300) : preview_->size() - QSize(4, 4);
    loader_.Request(path, box, 0);
}

void GViewPreviewed::ShowPage(const QString& path) {
    if (QFileInfo(path).size() > ui::kLargestPreviewedPage) {
        none_->setText("This page is too large to preview here. Click Open to view it.");
        preview_->setCurrentWidget(none_);
        return;
    }
    page_->clear();
    page_->setPlaceholderText("Loading File...");
    preview_->setCurrentWidget(page_);
    // After the selection has been drawn: reading a page is the slow part of a click.
    QTimer::singleShot(0, page_, [this, path] {
        if (path != Path() || !preview_->isVisible()) return;
        page_->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
    });
}

bool GViewPreviewed::eventFilter(QObject* watched, QEvent* event) {
    // A click on the preview opens the file (a drag in a page still selects its text).
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        (watched == picture_ || !page_->textCursor().hasSelection()) && !Path().isEmpty())
        emit OpenRequested(Path());
    return GViewDetails::eventFilter(watched, event);
}

GViewUnlinked::GViewUnlinked(const PaneActions& actions, QWidget* parent)
    : GViewPreviewed(actions, nullptr, parent) {}

QString GViewUnlinked::Description(const QString& path) const {
    const QFileInfo info(path);
    if (hasPicture_) {
        const int colours = facts_.colours > 0          ? facts_.colours
                            : facts_.bitsPerPixel <= 10 ? 1 << facts_.bitsPerPixel
                                                        : 0;
        const QString picture =
            colours > 0
                ? QString("%1 x %2 (%3 colors)\n").arg(facts_.width).arg(facts_.height).arg(colours)
                : QString("%1 x %2 (%3-bit color)\n")
                      .arg(facts_.width)
                      .arg(facts_.height)
                      .arg(facts_.bitsPerPixel);
        return picture + QString("%1 bytes (%2)")
                             .arg(info.size())
                             .arg(QString::fromStdString(
                                 SizeText(static_cast<std::uint64_t>(info.size()), 1)));
    }
    static const QMimeDatabase mimes;
    QString text = SizeLine(path) + "\nType:\t" + mimes.mimeTypeForFile(info).comment();
    if (info.isSymLink()) text += " to \"" + info.symLinkTarget() + "\"";
    return text;
}

void GViewUnlinked::LoadPreview(const QString& path) {
    ShowPicture(path);
}

GViewHtml::GViewHtml(const PaneActions& actions, QWidget* parent)
    : GViewPreviewed(actions, actions.viewLinks, parent) {}

QString GViewHtml::Description(const QString& path) const {
    return SizeLine(path) + "\nTitle:\t" + TitleText(ESiteRegistry::Instance().pageTitle);
}

// ---- the links ----

GViewLink::GViewLink(const PaneActions& actions, QWidget* parent)
    : GViewDetails(actions, actions.viewDetails, parent), list_(new GCtrlLink(this)) {
    Body()->addWidget(list_, 1);
    setFocusProxy(list_);
}

void GViewLink::Refresh(const QString& path, int selected) {
    GViewDetails::Refresh(path, selected);
    list_->ShowPage(path);
}

}  // namespace tw::views
