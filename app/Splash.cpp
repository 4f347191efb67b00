#include "app/Splash.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QSplashScreen>

namespace tw::app {
namespace {

// The picture: the name and the version on the palette's highlight colour.
QPixmap Picture(const QWidget* over) {
    QPixmap picture(420, 200);
    const QPalette palette = over->palette();
    picture.fill(palette.color(QPalette::Highlight));
    QPainter painter(&picture);
    painter.setPen(palette.color(QPalette::HighlightedText));
    QFont font = over->font();
    font.setPointSizeF(font.pointSizeF() * 2.4);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 40, 420, 80), Qt::AlignCenter, "Tidewright");
    font.setPointSizeF(over->font().pointSizeF());
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, 110, 420, 60), Qt::AlignCenter,
                     QString("Web sites kept as files, links kept valid\nVersion %1")
                         .arg(QApplication::applicationVersion()));
    return picture;
}

}  // namespace

Splash::Splash(QWidget* over) : screen_(std::make_unique<QSplashScreen>(Picture(over))) {
    timer_.setSingleShot(true);
    timer_.setInterval(3200);
    connect(&timer_, &QTimer::timeout, this, &Splash::Close);
}

Splash::~Splash() {
    qApp->removeEventFilter(this);
}

void Splash::Show() {
    qApp->installEventFilter(this);
    screen_->show();
    timer_.start();
}

bool Splash::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            Close();
            return true;  // the press only closes the splash
        default:
            return QObject::eventFilter(watched, event);
    }
}

void Splash::Close() {
    if (gone_) return;
    gone_ = true;
    timer_.stop();
    qApp->removeEventFilter(this);
    screen_->close();
    emit Gone();
}

}  // namespace tw::app
