#include "ui/components/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace tw::ui {
namespace {

constexpr const char* kGnome = "x-special/gnome-copied-files";
constexpr const char* kKdeCut = "application/x-kde-cutselection";

}  // namespace

QMimeData* FileListData(const QStringList& paths, bool copy) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray gnome = copy ? "copy" : "cut";
    QString text;
    for (const QString& path : paths) {
        const QUrl url = QUrl::fromLocalFile(path);
        urls << url;
        gnome += "\n" + url.toEncoded();
        text += path + "\n";
    }
    data->setUrls(urls);
    data->setData(kGnome, gnome);
    data->setData(kKdeCut, copy ? "0" : "1");
    data->setText(text);
    return data;
}

void OfferPaths(const QStringList& paths, bool copy) {
    if (!paths.isEmpty()) QGuiApplication::clipboard()->setMimeData(FileListData(paths, copy));
}

bool ClipboardPaths(QStringList& paths, bool& copy) {
    paths.clear();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return false;
    // The files as a list of URLs, or only in GNOME's form ("copy" or "cut", then one URL a
    // line): each copy side offers what it offers.
    QList<QUrl> urls = data->urls();
    if (urls.isEmpty() && data->hasFormat(kGnome)) {
        const QList<QByteArray> lines = data->data(kGnome).split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            if (!lines[i].trimmed().isEmpty()) urls << QUrl::fromEncoded(lines[i].trimmed());
    }
    for (const QUrl& url : urls)
        if (url.isLocalFile()) paths << url.toLocalFile();
    // Copy unless a file manager said cut.
    copy = true;
    if (data->hasFormat(kGnome))
        copy = !data->data(kGnome).startsWith("cut");
    else if (data->hasFormat(kKdeCut))
        copy = data->data(kKdeCut).trimmed() != "1";
    return !paths.isEmpty();
}

}  // namespace tw::ui
