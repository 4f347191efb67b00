#pragma once
// Dragging files out of a view and dropping files onto its folders, for any item view: the
// drag carries the paths in the desktop's file-list formats; a drop of files onto a folder is
// handed to the view's Dropped, which asks the window to do the work (the dragging side never
// deletes anything itself).

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include "ui/components/Clipboard.h"

namespace tw::ui {

template <class View>
class TFileDragDrop : public View {
  public:
    using View::View;

  protected:
    // The paths a drag starting now carries; empty for no drag.
    virtual QStringList DraggedPaths() const = 0;
    // The folder a drop at this point lands in; empty where nothing may be dropped.
    virtual QString DropFolderAt(const QPoint& point) const = 0;
    virtual void Dropped(const QStringList& paths, const QString& folder,
                         Qt::KeyboardModifiers keys) = 0;

    void EnableFileDragDrop() {
        this->setDragEnabled(true);
        this->setAcceptDrops(true);
        this->setDragDropMode(QAbstractItemView::DragDrop);
        this->setDropIndicatorShown(true);
    }

    void startDrag(Qt::DropActions /*actions*/) override {
        const QStringList paths = DraggedPaths();
        if (paths.isEmpty()) return;
        auto* drag = new QDrag(this);  // deleted by Qt when the drag ends
        drag->setMimeData(FileListData(paths, false));
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::MoveAction);
    }

    void dragEnterEvent(QDragEnterEvent* event) override {
        // The view's own part first (its dragging state, from which it scrolls at the edges);
        // whether the files are taken is decided here.
        View::dragEnterEvent(event);
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent* event) override {
        // The view's part: the drop indicator, scrolling near the edges, and (in a tree) the
        // folder under the mouse opening after a second.
        View::dragMoveEvent(event);
        const bool onFolder = !DropFolderAt(event->position().toPoint()).isEmpty();
        if (event->mimeData()->hasUrls() && onFolder)
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dropEvent(QDropEvent* event) override {
        const QString folder = DropFolderAt(event->position().toPoint());
        QStringList paths;
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
        if (folder.isEmpty() || paths.isEmpty()) return event->ignore();
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        Dropped(paths, folder, event->modifiers());
    }
};

}  // namespace tw::ui
