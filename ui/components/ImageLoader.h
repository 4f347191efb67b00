#pragma once
// Pictures for previews and thumbnails, decoded and scaled on a worker thread so that the
// window never waits for a large image. Results come back as signals on the owner's thread,
// tagged with the request; requests older than the last Cancel are dropped. Scaled images are
// kept in a small cache, keyed by path, size on disk, time of change and box.

#include <QCache>
#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <atomic>

namespace tw::ui {

// What the file itself says about the picture: its size and colour depth.
struct ImageFacts {
    int width = 0, height = 0;
    int colours = 0;  // the palette's size for indexed pictures, else 0
    int bitsPerPixel = 0;
};

class ImageLoader : public QObject {
    Q_OBJECT
  public:
    explicit ImageLoader(QObject* parent = nullptr);
    ~ImageLoader() override;

    // Asks for the picture of `path` scaled to fit `box` (never enlarged).
    void Request(const QString& path, QSize box, int tag);
    // Drops every request not yet answered and waits for the one being decoded.
    void Cancel();
    static bool CanDecode(const QString& path);

  signals:
    void Loaded(const QString& path, const QImage& image, const tw::ui::ImageFacts& facts, int tag);
    void Failed(const QString& path, int tag);

  private:
    struct Cached {
        QImage image;
        ImageFacts facts;
    };
    static QString Key(const QString& path, QSize box);
    void Deliver(const QString& key, const QString& path, const QImage& image,
                 const ImageFacts& facts, int tag, int generation);

    QThreadPool pool_;
    QCache<QString, Cached> cache_;
    std::atomic<int> generation_{0};
};

}  // namespace tw::ui

Q_DECLARE_METATYPE(tw::ui::ImageFacts)
