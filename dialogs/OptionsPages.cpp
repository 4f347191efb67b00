#include "dialogs/OptionsPages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "core/log/Log.h"
#include "core/settings/DebugProfile.h"

namespace tw::dialogs {
namespace {

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QCheckBox* Box(const QString& text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

// ---- Appearance ----

class AppearancePage : public OptionsPage {
  public:
    AppearancePage(GDlgOptions::Host host, QWidget* parent)
        : OptionsPage(parent), host_(std::move(host)), presets_(new QListWidget(this)) {
        presets_->setObjectName("presets");
        for (const WindowPreset& preset : WindowPresets()) presets_->addItem(preset.name);
        presets_->setMaximumHeight(presets_->sizeHintForRow(0) * 3 + 8);
        const char* toolbarTexts[] = {"Web site", "View options", "Folder history",
                                      "File operations", "Link operations"};
        for (int i = 0; i < 5; ++i)
            toolbars_[static_cast<std::size_t>(i)] = Box(toolbarTexts[i], "toolbar", this);
        titles_ = Box("Titles on panes", "titles", this);
        right_ = Box("Details/links (3rd pane)", "right", this);
        command_ = Box("Command status", "commandStatus", this);
        sizes_ = Box("File sizes", "fileSizes", this);
        link_ = Box("Link status", "linkStatus", this);
        connect(presets_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0) Show(WindowPresets()[static_cast<std::size_t>(row)].switches);
        });
        auto* toolbars = new QGroupBox("Show toolbars:", this);
        auto* toolbarLayout = new QVBoxLayout(toolbars);
        for (QCheckBox* box : toolbars_) toolbarLayout->addWidget(box);
        auto* view = new QGroupBox("View:", this);
        auto* viewLayout = new QVBoxLayout(view);
        viewLayout->addWidget(titles_);
        viewLayout->addWidget(right_);
        auto* status = new QGroupBox("Show status bars:", this);
        auto* statusLayout = new QVBoxLayout(status);
        for (QCheckBox* box : {command_, sizes_, link_}) statusLayout->addWidget(box);
        // Touching any box leaves the preset behind.
        for (QCheckBox* box : findChildren<QCheckBox*>())
            connect(box, &QCheckBox::clicked, this, [this] { presets_->clearSelection(); });
        auto* columns = new QHBoxLayout;
        columns->addWidget(toolbars);
        auto* right = new QVBoxLayout;
        right->addWidget(view);
        right->addWidget(status);
        columns->addLayout(right);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Heading("Appearance", this));
        layout->addWidget(new QLabel("Common presets:", this));
        layout->addWidget(presets_);
        layout->addLayout(columns);
        layout->addStretch(1);
    }
    void Load() override {
        Show(host_.currentSwitches ? host_.currentSwitches() : WindowSwitches{});
    }
    void Save() override {
        WindowSwitches s;
        s.bars = {command_->isChecked(),     sizes_->isChecked(),       sizes_->isChecked(),
                  link_->isChecked(),        toolbars_[0]->isChecked(), toolbars_[1]->isChecked(),
                  toolbars_[2]->isChecked(), toolbars_[3]->isChecked(), toolbars_[4]->isChecked()};
        s.showTitles = titles_->isChecked();
        s.showRight = right_->isChecked();
        if (host_.applySwitches) host_.applySwitches(s);
    }

  private:
    void Show(const WindowSwitches& s) {
        for (std::size_t i = 0; i < 5; ++i) toolbars_[i]->setChecked(s.bars[4 + i]);
        command_->setChecked(s.bars[0]);
        sizes_->setChecked(s.bars[1] || s.bars[2]);
        link_->setChecked(s.bars[3]);
        titles_->setChecked(s.showTitles);
        right_->setChecked(s.showRight);
    }

    GDlgOptions::Host host_;
    QListWidget* presets_;
    std::array<QCheckBox*, 5> toolbars_{};
    QCheckBox *titles_, *right_, *command_, *sizes_, *link_;
};

// ---- Folder View ----

class FoldersPage : public OptionsPage {
  public:
    explicit FoldersPage(QWidget* parent) : OptionsPage(parent), length_(new QSpinBox(this)) {
        length_->setObjectName("historyLength");
        length_->setRange(1, 30);
        auto* form = new QFormLayout;
        form->addRow("Folder history length:", length_);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Heading("Folder View", this));
        layout->addLayout(form);
        layout->addStretch(1);
    }
    void Load() override {
        length_->setValue(SettingsStore::Instance().ReadNonNegativeInt("25FolderHistoryLength"));
    }
    void Save() override {
        SettingsStore::Instance().WriteInt("25FolderHistoryLength",
                                           std::clamp(length_->value(), 1, 30));
    }

  private:
    QSpinBox* length_;
};

// ---- File View and Details/Links View: the columns' order and the sort ----

class ColumnsPage : public OptionsPage {
  public:
    ColumnsPage(const QString& heading, const QStringList& columns, const char* sortText,
                std::string columnsKey, std::string sortKey, QWidget* parent)
        : OptionsPage(parent),
          columnsKey_(std::move(columnsKey)),
          sortKey_(std::move(sortKey)),
          model_(0, static_cast<int>(columns.size())),
          header_(new QHeaderView(Qt::Horizontal, this)),
          sortBy_(new QComboBox(this)),
          ascending_(new QRadioButton("Ascending", this)),
          descending_(new QRadioButton("Descending", this)) {
        model_.setHorizontalHeaderLabels(columns);
        header_->setModel(&model_);
        header_->setObjectName("columns");
        header_->setSectionsMovable(true);
        header_->setSectionsClickable(true);
        header_->setSortIndicatorShown(true);
        // One row of headings, as tall as the font needs: the page's spare height goes below.
        header_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        header_->setFixedHeight(header_->sizeHint().height());
        header_->setDefaultSectionSize(80);
        sortBy_->setObjectName("sortBy");
        sortBy_->addItems(columns);
        ascending_->setObjectName("ascending");
        descending_->setObjectName("descending");
        connect(header_, &QHeaderView::sectionClicked, this, [this](int column) {
            // The sorted column clicked again turns the order round.
            const bool ascending =
                column == sortBy_->currentIndex() ? !ascending_->isChecked() : true;
            ShowSort(column, ascending);
        });
        connect(sortBy_, &QComboBox::activated, this,
                [this](int column) { ShowSort(column, ascending_->isChecked()); });
        connect(ascending_, &QRadioButton::clicked, this,
                [this] { ShowSort(sortBy_->currentIndex(), true); });
        connect(descending_, &QRadioButton::clicked, this,
                [this] { ShowSort(sortBy_->currentIndex(), false); });
        auto* sortRow = new QHBoxLayout;
        sortRow->addWidget(new QLabel(sortText, this));
        sortRow->addWidget(sortBy_, 1);
        sortRow->addWidget(ascending_);
        sortRow->addWidget(descending_);
        layout_ = new QVBoxLayout(this);
        layout_->addWidget(Heading(heading, this));
        layout_->addWidget(
            new QLabel("Drag the headings to order the columns; click one to sort by it.", this));
        layout_->addWidget(header_);
        layout_->addLayout(sortRow);
    }
    void Load() override {
        const SettingsStore& settings = SettingsStore::Instance();
        std::vector<ColumnLayout> columns = settings.LoadColumnLayout(columnsKey_);
        std::sort(columns.begin(), columns.end(),
                  [](const ColumnLayout& a, const ColumnLayout& b) { return a.order < b.order; });
        widths_.assign(static_cast<std::size_t>(header_->count()), 0);
        for (const ColumnLayout& column : columns)
            if (column.id >= 0 && column.id < header_->count()) {
                header_->moveSection(header_->visualIndex(column.id),
                                     std::clamp(column.order, 0, header_->count() - 1));
                widths_[static_cast<std::size_t>(column.id)] = column.width;
            }
        const SortIndex sort = settings.ReadSortIndex(sortKey_);
        ShowSort(std::clamp(sort.column, 0, header_->count() - 1), sort.ascending);
    }
    void Save() override {
        std::vector<ColumnLayout> columns;
        // The order is this page's; the widths stay the list's own (the page shows every
        // heading at one width).
        for (int id = 0; id < header_->count(); ++id) {
            const std::size_t at = static_cast<std::size_t>(id);
            const int width =
                at < widths_.size() && widths_[at] > 0 ? widths_[at] : header_->sectionSize(id);
            columns.push_back({id, header_->visualIndex(id), width});
        }
        SettingsStore& settings = SettingsStore::Instance();
        settings.SaveColumnLayout(columnsKey_, columns, false);
        settings.WriteSortIndex(sortKey_, {sortBy_->currentIndex(), ascending_->isChecked()});
    }

    void AddStretch() { layout_->addStretch(1); }

  protected:
    QVBoxLayout* layout_;

  private:
    void ShowSort(int column, bool ascending) {
        sortBy_->setCurrentIndex(column);
        (ascending ? ascending_ : descending_)->setChecked(true);
        header_->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }

    std::string columnsKey_, sortKey_;
    std::vector<int> widths_;  // the list's column widths, as the settings hold them
    QStandardItemModel model_;
    QHeaderView* header_;
    QComboBox* sortBy_;
    QRadioButton* ascending_;
    QRadioButton* descending_;
};

class DetailsPage : public ColumnsPage {
  public:
    explicit DetailsPage(QWidget* parent)
        : ColumnsPage("Details/Links View", {"Icons", "URL", "Line #"},
                      "Sort links by:", "LinkViewColumns", "3LinksSortIndex", parent) {
        auto* filters = new QGroupBox("Filter visible links:", this);
        auto* grid = new QGridLayout(filters);
        const char* texts[] = {"Good links",         "Broken links",
                               "External links",     "Embedded images/objects",
                               "Content/href links", "Collapse common links"};
        for (int i = 0; i < 6; ++i) {
            boxes_[static_cast<std::size_t>(i)] = Box(texts[i], kKeys[i], this);
            grid->addWidget(boxes_[static_cast<std::size_t>(i)], i / 2, i % 2);
        }
        layout_->addWidget(filters);
        layout_->addStretch(1);
    }
    void Load() override {
        ColumnsPage::Load();
        for (std::size_t i = 0; i < 6; ++i)
            boxes_[i]->setChecked(SettingsStore::Instance().ReadBool(kKeys[i]));
    }
    void Save() override {
        ColumnsPage::Save();
        for (std::size_t i = 0; i < 6; ++i)
            SettingsStore::Instance().WriteBool(kKeys[i], boxes_[i]->isChecked());
    }

  private:
    static constexpr const char* kKeys[] = {"1ShowGoodLinks", "1ShowBadLinks",
                                            "1ShowExtLinks",  "1ShowEmbeddedLinks",
                                            "1ShowHrefLinks", "1CombineLinkLineNumbers"};
    std::array<QCheckBox*, 6> boxes_{};
};

// ---- File Management ----

class FileManagePage : public OptionsPage {
  public:
    explicit FileManagePage(QWidget* parent)
        : OptionsPage(parent),
          transfer_(new QLineEdit(this)),
          fromHome_(new QRadioButton(
              "the home page (by clicking through any number of other pages)", this)),
          fromAny_(new QRadioButton("any other file (no files in the site link to it)", this)) {
        transfer_->setObjectName("transferSize");
        fromAny_->setObjectName("totalOrphans");
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel("Show progress for file transfers >", this));
        row->addWidget(transfer_);
        row->addWidget(new QLabel("KB", this));
        row->addStretch(1);
        transfer_->setMaximumWidth(80);
        auto* orphans =
            new QGroupBox("Report a file as an orphan when it can not be reached from:", this);
        auto* orphanLayout = new QVBoxLayout(orphans);
        orphanLayout->addWidget(fromHome_);
        orphanLayout->addWidget(fromAny_);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Heading("File Management", this));
        layout->addLayout(row);
        layout->addWidget(orphans);
        layout->addStretch(1);
    }
    void Load() override {
        const SettingsStore& settings = SettingsStore::Instance();
        transfer_->setText(QString::number(settings.ReadInt("100TransferSizeForProgressDlg")));
        (settings.ReadBool("0TotalOrphans") ? fromAny_ : fromHome_)->setChecked(true);
    }
    void Save() override {
        SettingsStore& settings = SettingsStore::Instance();
        int size = transfer_->text().trimmed().toInt();
        if (size < 0 || size > 1024) size = 1024;
        settings.WriteInt("100TransferSizeForProgressDlg", size);
        settings.WriteBool("0TotalOrphans", fromAny_->isChecked());
    }

  private:
    QLineEdit* transfer_;
    QRadioButton* fromHome_;
    QRadioButton* fromAny_;
};

// ---- Drag & Drop ----

class DnDPage : public OptionsPage {
  public:
    explicit DnDPage(QWidget* parent) : OptionsPage(parent), schemes_(new QListWidget(this)) {
        schemes_->setObjectName("schemes");
        schemes_->addItems({"Tidewright", "Windows Explorer", "Always popup menu"});
        schemes_->setMaximumHeight(schemes_->sizeHintForRow(0) * 3 + 8);
        const char* texts[] = {"on drag & drop to the same drive",
                               "on drag & drop between two drives",
                               "on drag & drop to removable media (floppy or Zip drive)",
                               "on drag & drop of a single executable file"};
        auto* form = new QFormLayout;
        for (std::size_t i = 0; i < 4; ++i) {
            actions_[i] = new QComboBox(this);
            actions_[i]->setObjectName(kKeys[i]);
            actions_[i]->addItems({"Move", "Copy", "Shortcut", "Show menu"});
            auto* label = new QLabel(texts[i], this);
            label->setWordWrap(true);  // a narrow dialog wraps the text instead of clipping it
            form->addRow(actions_[i], label);
            connect(actions_[i], &QComboBox::activated, this, [this] { MatchScheme(); });
        }
        connect(schemes_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row < 0) return;
            for (std::size_t i = 0; i < 4; ++i)
                actions_[i]->setCurrentIndex(kSchemes[static_cast<std::size_t>(row)][i]);
        });
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Heading("Drag & Drop", this));
        layout->addWidget(new QLabel("Drag & drop schemes:", this));
        layout->addWidget(schemes_);
        layout->addLayout(form);
        layout->addStretch(1);
    }
    void Load() override {
        for (std::size_t i = 0; i < 4; ++i)
            actions_[i]->setCurrentIndex(
                std::clamp(SettingsStore::Instance().ReadInt(kKeys[i]), 0, 3));
        MatchScheme();
    }
    void Save() override {
        for (std::size_t i = 0; i < 4; ++i)
            SettingsStore::Instance().WriteInt(kKeys[i], actions_[i]->currentIndex());
    }

  private:
    void MatchScheme() {
        const QSignalBlocker quiet(schemes_);
        schemes_->setCurrentRow(-1);
        for (std::size_t s = 0; s < 3; ++s) {
            bool same = true;
            for (std::size_t i = 0; i < 4; ++i)
                same = same && actions_[i]->currentIndex() == kSchemes[s][i];
            if (same) schemes_->setCurrentRow(static_cast<int>(s));
        }
    }

    static constexpr const char* kKeys[] = {"0DnDSame", "0DnDDiff", "1DnDRemovable", "0DnDExe"};
    // Move 0, Copy 1, Shortcut 2, Show menu 3.
    static constexpr int kSchemes[3][4] = {{0, 0, 1, 0}, {0, 1, 1, 2}, {3, 3, 3, 3}};
    QListWidget* schemes_;
    std::array<QComboBox*, 4> actions_{};
};

// ---- Helper Programs ----

class HelpersPage : public OptionsPage {
  public:
    explicit HelpersPage(QWidget* parent) : OptionsPage(parent) {
        auto* form = new QFormLayout;
        const char* texts[] = {"Preferred HTML editor:", "Preferred graphics editor:"};
        for (std::size_t i = 0; i < 2; ++i) {
            edits_[i] = new QLineEdit(this);
            edits_[i]->setObjectName(kKeys[i]);
            edits_[i]->setPlaceholderText("the desktop's own choice");
            auto* browse = new QPushButton("Browse...", this);
            QLineEdit* edit = edits_[i];
            connect(browse, &QPushButton::clicked, this, [this, edit] {
                const QString chosen = QFileDialog::getOpenFileName(
                    this, "Choose a program", edit->text(), "Programs (*);;All Files (*)");
                if (!chosen.isEmpty()) edit->setText(chosen);
            });
            auto* row = new QHBoxLayout;
            row->addWidget(edit, 1);
            row->addWidget(browse);
            form->addRow(texts[i], row);
        }
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Heading("Helper Programs", this));
        layout->addLayout(form);
        layout->addStretch(1);
    }
    void Load() override {
        for (std::size_t i = 0; i < 2; ++i)
            edits_[i]->setText(QString::fromStdString(
                SettingsStore::Instance().ReadString(SettingsStore::kSection, kKeys[i], "")));
    }
    void Save() override {
        for (std::size_t i = 0; i < 2; ++i)
            SettingsStore::Instance().WriteString(SettingsStore::kSection, kKeys[i],
                                                  edits_[i]->text().trimmed().toStdString());
    }

  private:
    static constexpr const char* kKeys[] = {"HtmlEditor", "GraphicsEditor"};
    std::array<QLineEdit*, 2> edits_{};
};

// ---- Logging & Notifications, Warning Dialogs, Troubleshooting: boxes over switches ----

struct Switch {
    const char* text;
    const char* key;
};

class SwitchesPage : public OptionsPage {
  public:
    SwitchesPage(const QString& heading, std::vector<Switch> switches, bool debug, QWidget* parent)
        : OptionsPage(parent), switches_(std::move(switches)), debug_(debug) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Heading(heading, this));
        for (const Switch& s : switches_) {
            boxes_.push_back(Box(s.text, s.key, this));
            layout->addWidget(boxes_.back());
        }
        layout->addStretch(1);
    }
    void Load() override {
        for (std::size_t i = 0; i < switches_.size(); ++i)
            boxes_[i]->setChecked(debug_ ? DebugProfile::ReadBool(switches_[i].key)
                                         : SettingsStore::Instance().ReadBool(switches_[i].key));
    }
    void Save() override {
        for (std::size_t i = 0; i < switches_.size(); ++i) {
            if (debug_)
                DebugProfile::WriteBool(switches_[i].key, boxes_[i]->isChecked());
            else
                SettingsStore::Instance().WriteBool(switches_[i].key, boxes_[i]->isChecked());
        }
        // The log file follows its switch at once.
        if (debug_) ELog::Instance().SetLogFileEnabled(DebugProfile::ReadBool("1EnableLogging"));
    }

  private:
    std::vector<Switch> switches_;
    bool debug_;
    std::vector<QCheckBox*> boxes_;
};

}  // namespace

OptionsPage* MakeOptionsPage(int id, const GDlgOptions::Host& host, QWidget* parent) {
    switch (id) {
        case GDlgOptions::kAppearance:
            return new AppearancePage(host, parent);
        case GDlgOptions::kFolders:
            return new FoldersPage(parent);
        case GDlgOptions::kFiles: {
            auto* page =
                new ColumnsPage("File View", {"Name", "Bad links", "Size", "Type", "Date"},
                                "Sort files by:", "FileViewColumns", "1FileViewSorting", parent);
            page->AddStretch();  // the page's spare height goes below its rows
            return page;
        }
        case GDlgOptions::kDetails:
            return new DetailsPage(parent);
        case GDlgOptions::kFileManage:
            return new FileManagePage(parent);
        case GDlgOptions::kDnD:
            return new DnDPage(parent);
        case GDlgOptions::kHelpers:
            return new HelpersPage(parent);
        case GDlgOptions::kNotifications:
            return new SwitchesPage(
                "Logging & Notifications",
                {{"Report syntax errors on site loading and in statistics report",
                  "1ReportSyntaxErrors"}},
                false, parent);
        case GDlgOptions::kWarn:
            return new SwitchesPage(
                "Warning Dialogs",
                {{"Show \"Confirm File Delete\" dialog", "1WarnOnRecycle"},
                 {"Show \"Confirm File Operation on Untracked Site\" dialog", "1WarnSiteUntracked"},
                 {"Show \"Begin Site Tracking\" dialog at application startup",
                  "1WarnBeginTracking"},
                 {"Show \"File and Syntax Error\" dialog after loading tracked sites",
                  "1WarnOnLoadSites"},
                 {"Show \"Confirm Reload Site\" dialog", "1WarnReloadSite"},
                 {"Show \"Confirm Remove Orphans\" dialog when site has broken links",
                  "1WarnFixLinksFirst"},
                 {"Show other file error dialogs (errors always appear in the status bar)",
                  "1WarnOnFileError"}},
                false, parent);
        case GDlgOptions::kTroubleshoot:
            return new SwitchesPage(
                "Troubleshooting",
                {{"Enable application logging to \"log.txt\" file", "1EnableLogging"},
                 {"Use alternate preview (decode pictures without the page renderer)",
                  "0UseAltThumbnail"}},
                true, parent);
        default:
            return nullptr;
    }
}

}  // namespace tw::dialogs
