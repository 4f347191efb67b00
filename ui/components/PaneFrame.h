#pragma once
// A pane of the main window: an optional title band ("Folder View"...), an optional toolbar,
// the pane's view and its status bar. The views themselves arrive with the pane issues; until
// then a pane holds a placeholder that says what it will show.

#include <QFrame>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

namespace tw::ui {

class PaneFrame : public QFrame {
    Q_OBJECT
  public:
    PaneFrame(const QString& title, QWidget* parent = nullptr);
    void ShowTitle(bool on);
    void SetView(QWidget* view);
    QWidget* View() const { return view_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QStatusBar* StatusBar() const { return statusBar_; }
    // The status bar's parts, left to right (the last one stretches).
    QLabel* Part(int index) const { return parts_.value(index); }
    void SetParts(int count);

  private:
    QLabel* title_;
    QToolBar* toolBar_;
    QWidget* view_ = nullptr;
    QStatusBar* statusBar_;
    QList<QLabel*> parts_;
};

// The three panes by the names the rest of the program uses.
class GFrameTree : public PaneFrame {
  public:
    explicit GFrameTree(QWidget* parent = nullptr) : PaneFrame("Folder View", parent) {}
};
class GFrameFile : public PaneFrame {
  public:
    explicit GFrameFile(QWidget* parent = nullptr) : PaneFrame("File View", parent) {}
};
class GFrameLink : public PaneFrame {
  public:
    explicit GFrameLink(QWidget* parent = nullptr) : PaneFrame("Details/Links View", parent) {}
};

}  // namespace tw::ui
