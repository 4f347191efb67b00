#include "ui/components/ImageLoader.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMetaObject>

namespace tw::ui {

ImageLoader::ImageLoader(QObject* parent) : QObject(parent), cache_(64 * 1024) {
    qRegisterMetaType<ImageFacts>();
    pool_.setMaxThreadCount(1);
}

ImageLoader::~ImageLoader() {
    Cancel();
}

bool ImageLoader::CanDecode(const QString& path) {
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    return !suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix);
}

QString ImageLoader::Key(const QString& path, QSize box) {
    const QFileInfo info(path);
    return QString("%1|%2|%3|%4x%5")
        .arg(path)
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(box.width())
        .arg(box.height());
}

void ImageLoader::Request(const QString& path, QSize box, int tag) {
    const QString key = Key(path, box);
    if (const Cached* cached = cache_.object(key)) {
        const Cached copy = *cached;
        // Answered from the event loop like the others, so callers see one order of events.
        QMetaObject::invokeMethod(
            this, [this, path, copy, tag] { emit Loaded(path, copy.image, copy.facts, tag); },
            Qt::QueuedConnection);
        return;
    }
    const int generation = generation_.load();
    pool_.start([this, key, path, box, tag, generation] {
        if (generation != generation_.load()) return;
        QImageReader reader(path);
        reader.setAutoTransform(true);
        ImageFacts facts;
        const QSize full = reader.size();
        // Formats that can decode straight to a smaller size do so: far less work for a photo.
        if (full.isValid() && (full.width() > box.width() || full.height() > box.height()))
            reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio));
        QImage image = reader.read();
        if (!image.isNull()) {
            facts.width = full.isValid() ? full.width() : image.width();
            facts.height = full.isValid() ? full.height() : image.height();
            facts.colours = image.colorCount();
            facts.bitsPerPixel = image.depth();
            if (image.width() > box.width() || image.height() > box.height())
                image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        QMetaObject::invokeMethod(
            this,
            [this, key, path, image, facts, tag, generation] {
                Deliver(key, path, image, facts, tag, generation);
            },
            Qt::QueuedConnection);
    });
}

void ImageLoader::Deliver(const QString& key, const QString& path, const QImage& image,
                          const ImageFacts& facts, int tag, int generation) {
    if (generation != generation_.load()) return;
    if (image.isNull()) {
        emit Failed(path, tag);
        return;
    }
    const qsizetype cost = std::max<qsizetype>(1, image.sizeInBytes() / 1024);
    cache_.insert(key, new Cached{image, facts}, cost);
    emit Loaded(path, image, facts, tag);
}

void ImageLoader::Cancel() {
    ++generation_;
    pool_.clear();
    pool_.waitForDone();
}

}  // namespace tw::ui
