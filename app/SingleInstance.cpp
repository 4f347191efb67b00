#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDataStream>
#include <QLocalSocket>

namespace tw::app {
namespace {

constexpr int kWaitMs = 2000;

QString DefaultName() {
    // Per user and per display: two users, or two displays of one user, each get their own.
    // In the user's runtime folder (or /tmp), by absolute path, so that the name does not
    // depend on the temporary folder of the moment; the display is hashed to keep the path
    // within what a socket address holds.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || folder.size() > 64) folder = "/tmp";
    return QString("%1/tidewright-%2-%3").arg(folder).arg(::getuid()).arg(qHash(display), 0, 16);
}

}  // namespace

SingleInstance::SingleInstance(QString name) : name_(name.isEmpty() ? DefaultName() : name) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                QDataStream in(socket);
                in.startTransaction();
                QStringList arguments;
                in >> arguments;
                if (!in.commitTransaction()) return;  // not all there yet
                socket->write("ok");
                socket->flush();
                // Acted on from the event loop, not from inside the socket's handler: the work
                // (loading a site) processes events, in which the socket may go away.
                QMetaObject::invokeMethod(
                    this, [this, arguments] { emit ArgumentsReceived(arguments); },
                    Qt::QueuedConnection);
            });
        }
    });
}

bool SingleInstance::HandOver(const QStringList& arguments) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kWaitMs)) return false;
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out << arguments;
    socket.write(data);
    socket.flush();
    // An instance that does not answer is hung: this one starts in its place.
    return socket.waitForReadyRead(kWaitMs) && socket.readAll() == "ok";
}

bool SingleInstance::Listen() {
    // A socket left by an instance that crashed (or one that no longer answers) is replaced.
    QLocalServer::removeServer(name_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    return server_.listen(name_);
}

}  // namespace tw::app
