#include "ui/components/PaneFrame.h"

#include <QVBoxLayout>

namespace tw::ui {

PaneFrame::PaneFrame(const QString& title, QWidget* parent)
    : QFrame(parent),
      title_(new QLabel(title, this)),
      toolBar_(new QToolBar(this)),
      statusBar_(new QStatusBar(this)) {
    setFrameShape(QFrame::NoFrame);
    // The band is one and a half lines of text high, in the button-face colour, framed.
    title_->setFrameShape(QFrame::Box);
    title_->setAutoFillBackground(true);
    title_->setBackgroundRole(QPalette::Button);
    title_->setForegroundRole(QPalette::ButtonText);
    title_->setContentsMargins(5, 0, 0, 0);
    title_->setFixedHeight(fontMetrics().height() * 3 / 2);
    toolBar_->setIconSize(QSize(16, 16));
    statusBar_->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title_);
    layout->addWidget(toolBar_);
    layout->addStretch(1);
    layout->addWidget(statusBar_);
}

void PaneFrame::ShowTitle(bool on) {
    title_->setVisible(on);
}

void PaneFrame::SetView(QWidget* view) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    if (view_) {
        layout->removeWidget(view_);
        view_->deleteLater();
    } else {
        delete layout->takeAt(2);  // the stretch that stood in for a view
    }
    view_ = view;
    view_->setParent(this);
    layout->insertWidget(2, view_, 1);
}

void PaneFrame::SetParts(int count) {
    for (QLabel* part : parts_) delete part;
    parts_.clear();
    for (int i = 0; i < count; ++i) {
        auto* part = new QLabel(statusBar_);
        part->setContentsMargins(4, 0, 4, 0);
        if (i + 1 < count)
            statusBar_->addWidget(part);
        else
            statusBar_->addWidget(part, 1);
        parts_ << part;
    }
}

}  // namespace tw::ui
