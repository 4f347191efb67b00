#pragma once
// The splash window: the program's name over the new main window for a moment at start-up.
// It goes after 3200 ms or at the first key or mouse press (which it swallows).

#include <QObject>
#include <QTimer>
#include <memory>

class QSplashScreen;
class QWidget;

namespace tw::app {

class Splash : public QObject {
    Q_OBJECT
  public:
    explicit Splash(QWidget* over);
    ~Splash() override;
    void Show();

  signals:
    void Gone();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Close();

    std::unique_ptr<QSplashScreen> screen_;
    QTimer timer_;
    bool gone_ = false;
};

}  // namespace tw::app
