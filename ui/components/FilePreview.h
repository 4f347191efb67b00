#pragma once
// A small preview of one file for the dialogs: a page rendered (without the network), a
// picture scaled to fit, or a line saying what there is instead.

#include <QLabel>
#include <QStackedWidget>
#include <QTextBrowser>

namespace tw::ui {

// Larger pages are not rendered in a preview: the text view would hold the window up for
// seconds while it lays them out.
constexpr qint64 kLargestPreviewedPage = 2 * 1024 * 1024;

class FilePreview : public QStackedWidget {
    Q_OBJECT
  public:
    explicit FilePreview(QWidget* parent = nullptr);
    void Show(const QString& path);
    // A line of text in place of a file (an external link, "No preview").
    void ShowText(const QString& text);

  private:
    QLabel* text_;
    QTextBrowser* page_;
};

}  // namespace tw::ui
