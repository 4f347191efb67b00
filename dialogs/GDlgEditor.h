#pragma once
// "Select HTML Editor" / "Select Graphics Editor": asked the first time a page or a picture is
// edited while no editor is chosen. It proposes the program the desktop opens such files
// with (for pages, its text editor: the desktop opens HTML in a browser) and lists the
// installed editors; OK keeps the field as the setting ("HtmlEditor", "GraphicsEditor"), an empty
// field meaning the desktop's own choice.

#include <QDialog>
#include <QLineEdit>
#include <QStringList>
#include <vector>

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

// An installed program, from its desktop entry: its name and its command's first word.
struct DesktopProgram {
    QString name, program;
};
// The installed programs (desktop entries shown in menus) that open any of these MIME types,
// web browsers left out, by name.
std::vector<DesktopProgram> DesktopEditorsFor(const QStringList& mimeTypes);

// The program the desktop opens files of this MIME type with (its command's first word), or
// empty when it names none.
QString DesktopProgramFor(const QString& mimeType);

}  // namespace tw::dialogs
