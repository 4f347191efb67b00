#pragma once
// One program per user and display: the first start listens on a local socket named for both;
// a second start hands its arguments to the first (which comes to the front) and exits.

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace tw::app {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `name` overrides the socket's name (tests).
    explicit SingleInstance(QString name = {});
    // True when another instance took the arguments: this one should end.
    bool HandOver(const QStringList& arguments);
    // Starts listening; false when the socket could not be made.
    bool Listen();
    const QString& Name() const { return name_; }

  signals:
    void ArgumentsReceived(const QStringList& arguments);

  private:
    QString name_;
    QLocalServer server_;
};

}  // namespace tw::app
