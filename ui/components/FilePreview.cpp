#include "ui/components/FilePreview.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>

#include "engine/model/Node.h"

namespace tw::ui {
FilePreview::FilePreview(QWidget* parent)
    : QStackedWidget(parent), text_(new QLabel(this)), page_(new QTextBrowser(this)) {
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    text_->setFrameShape(QFrame::Panel);
    text_->setFrameShadow(QFrame::Sunken);
    page_->setOpenLinks(false);
    addWidget(text_);
    addWidget(page_);
    setMinimumSize(200, 160);
}

void FilePreview::ShowText(const QString& text) {
    text_->setText(text);
    setCurrentWidget(text_);
}

void FilePreview::Show(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return ShowText({});
    if (info.isDir()) return ShowText("A folder");
    if (IsHtmlFile(path.toStdString()) && info.size() < kLargestPreviewedPage) {
        page_->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
        setCurrentWidget(page_);
        return;
    }
    QImageReader reader(path);
    const QSize full = reader.size();
    if (full.isValid()) reader.setScaledSize(full.scaled(size(), Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    if (picture.isNull()) return ShowText("There is no image preview available for this file.");
    text_->setPixmap(QPixmap::fromImage(picture));
    setCurrentWidget(text_);
}

}  // namespace tw::ui
