#pragma once
// What a list says when it shows nothing ("No URL links in this file match ...", "There are no
// orphan files in this site!"): drawn in the placeholder colour at the top of its viewport.

#include <QAbstractItemView>
#include <QPainter>

namespace tw::ui {

inline void DrawEmptyText(QAbstractItemView& view, const QString& text) {
    QPainter painter(view.viewport());
    painter.setPen(view.palette().color(QPalette::PlaceholderText));
    painter.drawText(view.viewport()->rect().adjusted(8, 8, -8, -8),
                     Qt::AlignTop | Qt::AlignHCenter | Qt::TextWordWrap, text);
}

// A list that says `text` while it is empty.
template <class List>
class TEmptyText : public List {
  public:
    TEmptyText(QString text, QWidget* parent) : List(parent), text_(std::move(text)) {}

  protected:
    void paintEvent(QPaintEvent* event) override {
        List::paintEvent(event);
        if (this->model() && this->model()->rowCount() == 0) DrawEmptyText(*this, text_);
    }

  private:
    QString text_;
};

}  // namespace tw::ui
