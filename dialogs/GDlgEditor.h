#pragma once
// "Select HTML Editor" / "Select Graphics Editor": asked the first time a page or a picture is
// edited while no editor is chosen. It proposes the program the desktop opens such files
// with; OK keeps the field as the setting ("HtmlEditor", "GraphicsEditor"), an empty field
// meaning the desktop's own choice.

#include <QDialog>
#include <QLineEdit>

namespace tw::dialogs {

class GDlgEditor : public QDialog {
    Q_OBJECT
  public:
    // `html`: the HTML editor; otherwise the graphics editor.
    GDlgEditor(bool html, QWidget* parent = nullptr);
    QLineEdit* Program() const { return program_; }
    void accept() override;

  private:
    bool html_;
    QLineEdit* program_;
};

// The program the desktop opens files of this MIME type with (its command's first word), or
// empty when it names none.
QString DesktopProgramFor(const QString& mimeType);

}  // namespace tw::dialogs
