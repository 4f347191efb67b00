#include "dialogs/GDlgEditor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>

#include "core/settings/SettingsStore.h"

namespace tw::dialogs {

namespace {

// The first word of a desktop entry's Exec line, as a path when it is on the PATH.
QString ProgramOf(const QString& exec) {
    const QString program = exec.section(' ', 0, 0);
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

}  // namespace

QString DesktopProgramFor(const QString& mimeType) {
    // The desktop's association: its entry's name from xdg-mime, then that entry's command.
    QProcess query;
    query.start("xdg-mime", {"query", "default", mimeType});
    if (!query.waitForFinished(2000)) return {};
    const QString entry = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (entry.isEmpty()) return {};
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    QFile desktop(file);
    if (file.isEmpty() || !desktop.open(QIODevice::ReadOnly)) return {};
    while (!desktop.atEnd()) {
        const QString line = QString::fromUtf8(desktop.readLine()).trimmed();
        if (line.startsWith("Exec=")) return ProgramOf(line.mid(5));
    }
    return {};
}

std::vector<DesktopProgram> DesktopEditorsFor(const QStringList& mimeTypes) {
    std::vector<DesktopProgram> programs;
    QStringList seen;
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        for (const QFileInfo& file : QDir(folder).entryInfoList({"*.desktop"}, QDir::Files)) {
            QFile entry(file.filePath());
            if (!entry.open(QIODevice::ReadOnly)) continue;
            QString name, exec, types, categories;
            bool hidden = false, inEntry = false;
            while (!entry.atEnd()) {
                const QString line = QString::fromUtf8(entry.readLine()).trimmed();
                if (line.startsWith('[')) inEntry = line == "[Desktop Entry]";
                if (!inEntry) continue;
                if (line.startsWith("Name=")) name = line.mid(5);
                if (line.startsWith("Exec=")) exec = line.mid(5);
                if (line.startsWith("MimeType=")) types = line.mid(9);
                if (line.startsWith("Categories=")) categories = line.mid(11);
                if (line == "NoDisplay=true" || line == "Hidden=true") hidden = true;
            }
            // A browser shows pages; it does not edit them.
            if (hidden || exec.isEmpty() || categories.contains("WebBrowser")) continue;
            const QStringList offered = types.split(';', Qt::SkipEmptyParts);
            if (std::none_of(mimeTypes.begin(), mimeTypes.end(),
                             [&](const QString& type) { return offered.contains(type); }))
                continue;
            const QString program = ProgramOf(exec);
            if (seen.contains(program)) continue;
            seen << program;
            programs.push_back({name.isEmpty() ? file.baseName() : name, program});
        }
    }
    std::sort(programs.begin(), programs.end(),
              [](const DesktopProgram& a, const DesktopProgram& b) {
                  return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
              });
    return programs;
}

GDlgEditor::GDlgEditor(bool html, QWidget* parent)
    : QDialog(parent), html_(html), program_(new QLineEdit(this)) {
    setObjectName(html ? "select-html-editor" : "select-graphics-editor");
    setWindowTitle(html ? "Select HTML Editor" : "Select Graphics Editor");
    auto* first = new QLabel(html ? "You have not yet selected a preferred HTML editor."
                                  : "You have not yet selected a preferred graphics editor.",
                             this);
    QFont bold = first->font();
    bold.setBold(true);
    first->setFont(bold);
    auto* explanation = new QLabel(
        html ? "Your default text editor will be used unless you specify a specific HTML "
               "editor here or in the Options dialog."
             : "Your default graphics viewer will be used unless you specify a specific "
               "graphics editor here or in the Options dialog.",
        this);
    explanation->setWordWrap(true);
    // For pages: the desktop's text editor (its choice for text/html is a browser), and every
    // installed program that edits HTML or text to choose from.
    const std::vector<DesktopProgram> editors =
        DesktopEditorsFor(html ? QStringList{"text/html", "text/plain"}
                               : QStringList{"image/gif", "image/png", "image/jpeg"});
    program_->setText(DesktopProgramFor(html ? "text/plain" : "image/gif"));
    program_->setMinimumWidth(320);
    auto* installed = new QComboBox(this);
    installed->setObjectName("installed-editors");
    installed->addItem("Installed editors...");
    for (const DesktopProgram& editor : editors)
        installed->addItem(editor.name + "  (" + editor.program + ")", editor.program);
    installed->setEnabled(!editors.empty());
    connect(installed, &QComboBox::activated, this, [this, installed](int index) {
        if (index > 0) program_->setText(installed->itemData(index).toString());
    });
    auto* browse = new QPushButton("&Browse...", this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(this, windowTitle(), program_->text(),
                                                            "Programs (*);;All Files (*)");
        if (!chosen.isEmpty()) program_->setText(chosen);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(html ? "HTML Editor:" : "Graphics Editor:", this));
    row->addWidget(program_, 1);
    row->addWidget(browse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GDlgEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(first);
    layout->addWidget(explanation);
    layout->addLayout(row);
    layout->addWidget(installed);
    layout->addWidget(buttons);
}

void GDlgEditor::accept() {
    SettingsStore::Instance().WriteString(SettingsStore::kSection,
                                          html_ ? "HtmlEditor" : "GraphicsEditor",
                                          program_->text().toStdString());
    QDialog::accept();
}

}  // namespace tw::dialogs
