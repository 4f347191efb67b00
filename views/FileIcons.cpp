#include "views/FileIcons.h"

#include <QApplication>
#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "engine/model/SiteRegistry.h"

namespace tw::views {
namespace {

// The type's icon from the theme: the MIME type's own, its generic one, or the style's.
QIcon TypeIcon(const QString& name, bool folder, bool site) {
    QStyle* style = QApplication::style();
    if (folder)
        return site ? QIcon::fromTheme("folder-remote", style->standardIcon(QStyle::SP_DirLinkIcon))
                    : QIcon::fromTheme("folder", style->standardIcon(QStyle::SP_DirIcon));
    static const QMimeDatabase types;
    const QMimeType type = types.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    return QIcon::fromTheme(
        type.iconName(),
        QIcon::fromTheme(type.genericIconName(), style->standardIcon(QStyle::SP_FileIcon)));
}

// The icon with a mark drawn over its lower corner, at each size it is drawn at.
QIcon WithMark(const QIcon& icon, bool link, bool orphan) {
    QIcon marked;
    for (int size : {16, 22, 32, 48}) {
        QPixmap pixmap = icon.pixmap(size, size);
        if (pixmap.isNull()) continue;
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const int mark = std::max(6, size / 2);
        const QRectF box(size - mark, size - mark, mark - 1, mark - 1);
        if (link) {
            // A white box with an arrow out of its lower left: the desktops' link mark.
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::white);
            painter.drawRect(box);
            painter.setPen(QPen(Qt::black, std::max(1.0, size / 16.0)));
            painter.drawLine(box.bottomLeft() + QPointF(2, -2), box.topRight() + QPointF(-2, 2));
            painter.drawLine(box.topRight() + QPointF(-2, 2),
                             box.topRight() + QPointF(-2 - mark / 3.0, 2));
            painter.drawLine(box.topRight() + QPointF(-2, 2),
                             box.topRight() + QPointF(-2, 2 + mark / 3.0));
        }
        if (orphan) {
            // A grey cross over the upper corner: nothing leads to it.
            const QRectF cross(size - mark, 0, mark - 1, mark - 1);
            painter.setPen(QPen(QColor(110, 110, 110), std::max(1.5, size / 10.0)));
            painter.drawLine(cross.topLeft(), cross.bottomRight());
            painter.drawLine(cross.bottomLeft(), cross.topRight());
        }
        painter.end();
        marked.addPixmap(pixmap);
    }
    return marked;
}

}  // namespace

QIcon FileIcon(const QString& name, IconKind kind) {
    // One icon per type and marks: a folder of thousands of pages makes a handful.
    static QHash<QString, QIcon> made;
    const QString extension = kind.folder ? QString() : name.section('.', -1).toLower();
    const QString key = QString("%1|%2%3%4%5")
                            .arg(name.contains('.') ? extension : name.toLower())
                            .arg(kind.folder)
                            .arg(kind.link)
                            .arg(kind.orphan)
                            .arg(kind.site);
    auto found = made.constFind(key);
    if (found != made.constEnd()) return *found;
    QIcon icon = TypeIcon(name, kind.folder, kind.site);
    if (kind.link || kind.orphan) icon = WithMark(icon, kind.link, kind.orphan);
    made.insert(key, icon);
    return icon;
}

bool IsSiteFolder(const QString& folder) {
    const std::string directory = folder.toStdString() + "/";
    for (const auto& site : ESiteRegistry::Instance().Sites())
        if (site->GetDirectory() == directory) return true;
    return false;
}

}  // namespace tw::views
