#include "ui/components/DefineList.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tw::ui {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// "Change Item": the original beside the modified text.
bool AskChange(QWidget* parent, const QString& listName, QString& text) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Change Item for " + listName);
    auto* original = new QLineEdit(text, &dialog);
    original->setReadOnly(true);
    auto* modified = new QLineEdit(text, &dialog);
    modified->selectAll();
    auto* form = new QFormLayout;
    form->addRow("Original item:", original);
    form->addRow("Modified item:", modified);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    modified->setFocus();
    if (dialog.exec() != QDialog::Accepted) return false;
    text = modified->text();
    return true;
}

}  // namespace

GDefineListDlg::GDefineListDlg(GUserExtensibleList& list, QWidget* parent)
    : QDialog(parent), list_(list), rows_(new QListWidget(this)) {
    setObjectName("define-list");
    setWindowTitle(Q(list.Name()));
    for (const std::string& item : list.RealItems()) rows_->addItem(Q(item));
    rows_->setMinimumSize(260, 200);
    auto* add = new QPushButton("&Add...", this);
    delete_ = new QPushButton("&Delete", this);
    change_ = new QPushButton("&Change...", this);
    up_ = new QPushButton("Move &Up", this);
    down_ = new QPushButton("Move Do&wn", this);
    // A sorted list keeps its own order.
    up_->setVisible(!list.IsSorted());
    down_->setVisible(!list.IsSorted());
    connect(add, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, "Add Item to " + Q(list_.Name()),
                                  "Item to add to the list:", QLineEdit::Normal, {}, &ok);
        if (ok) AddItem(text);  // an empty entry too
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        delete rows_->currentItem();
        UpdateButtons();
    });
    connect(change_, &QPushButton::clicked, this, [this] {
        const int row = rows_->currentRow();
        if (row < 0) return;
        QString text = rows_->item(row)->text();
        if (AskChange(this, Q(list_.Name()), text)) ChangeItem(row, text);
    });
    const auto move = [this](int by) {
        const int row = rows_->currentRow();
        if (row < 0 || row + by < 0 || row + by >= rows_->count()) return;
        QListWidgetItem* item = rows_->takeItem(row);
        rows_->insertItem(row + by, item);
        rows_->setCurrentItem(item);
    };
    connect(up_, &QPushButton::clicked, this, [move] { move(-1); });
    connect(down_, &QPushButton::clicked, this, [move] { move(1); });
    connect(rows_, &QListWidget::currentRowChanged, this, &GDefineListDlg::UpdateButtons);
    auto* side = new QVBoxLayout;
    for (QPushButton* button : {add, delete_, change_, up_, down_}) side->addWidget(button);
    side->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(rows_, 1);
    row->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GDefineListDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
    setSizeGripEnabled(true);
    UpdateButtons();
}

void GDefineListDlg::UpdateButtons() {
    const int row = rows_->currentRow();
    delete_->setEnabled(row >= 0);
    change_->setEnabled(row >= 0);
    up_->setEnabled(row > 0);
    down_->setEnabled(row >= 0 && row < rows_->count() - 1);
}

void GDefineListDlg::AddItem(const QString& text) {
    int at = rows_->count();
    if (list_.IsSorted())
        for (int row = 0; row < rows_->count(); ++row)
            if (rows_->item(row)->text().toStdString() > text.toStdString()) {
                at = row;
                break;
            }
    rows_->insertItem(at, text);
    UpdateButtons();
}

void GDefineListDlg::ChangeItem(int row, const QString& text) {
    delete rows_->takeItem(row);
    if (list_.IsSorted()) {
        AddItem(text);
        for (int i = 0; i < rows_->count(); ++i)
            if (rows_->item(i)->text() == text) rows_->setCurrentRow(i);
    } else {
        rows_->insertItem(row, text);
        rows_->setCurrentRow(row);
    }
}

void GDefineListDlg::accept() {
    std::vector<std::string> items;
    for (int row = 0; row < rows_->count(); ++row)
        items.push_back(rows_->item(row)->text().toStdString());
    list_.SetItems(std::move(items));
    list_.SetCurrent(rows_->currentItem() ? rows_->currentItem()->text().toStdString()
                                          : std::string());
    list_.FillControl();
    QDialog::accept();
}

GUserButton::GUserButton(const QString& text, GUserExtensibleList list, QWidget* parent)
    : QPushButton(text, parent), GUserExtensibleList(std::move(list)) {
    connect(this, &QPushButton::clicked, this, [this] {
        GDefineListDlg editor(*this, window());
        editor.exec();
    });
}

GUserCombo::GUserCombo(GUserExtensibleList list, QWidget* parent)
    : QComboBox(parent), GUserExtensibleList(std::move(list)) {
    setInsertPolicy(QComboBox::NoInsert);
    FillControl();
    connect(this, &QComboBox::activated, this, [this](int row) {
        if (row == count() - 1) {
            // "Define...": the editor; cancelled, the current entry stays chosen.
            GDefineListDlg editor(*this, window());
            if (editor.exec() != QDialog::Accepted) FillControl();
            return;
        }
        SetCurrent(itemText(row).toStdString());
    });
}

void GUserCombo::FillControl() {
    const QSignalBlocker quiet(this);
    clear();
    for (const std::string& item : Items()) addItem(Q(item));
    setCurrentIndex(findText(Q(GetCurrent()), Qt::MatchExactly));
}

}  // namespace tw::ui
