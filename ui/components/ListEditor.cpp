#include "ui/components/ListEditor.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw::ui {

ListEditor::ListEditor(const QString& title, const QString& explanation, const QStringList& items,
                       QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(title);
    for (const QString& item : items) {
        auto* row = new QListWidgetItem(item, list_);
        row->setFlags(row->flags() | Qt::ItemIsEditable);
    }
    list_->setMinimumSize(260, 200);
    auto* add = new QPushButton("&Add", this);
    auto* remove = new QPushButton("&Remove", this);
    auto* up = new QPushButton("Move &Up", this);
    auto* down = new QPushButton("Move &Down", this);
    connect(add, &QPushButton::clicked, this, [this] {
        auto* row = new QListWidgetItem(QString(), list_);
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        list_->setCurrentItem(row);
        list_->editItem(row);
    });
    connect(remove, &QPushButton::clicked, this, [this] { delete list_->currentItem(); });
    const auto move = [this](int by) {
        const int row = list_->currentRow();
        if (row < 0 || row + by < 0 || row + by >= list_->count()) return;
        QListWidgetItem* item = list_->takeItem(row);
        list_->insertItem(row + by, item);
        list_->setCurrentItem(item);
    };
    connect(up, &QPushButton::clicked, this, [move] { move(-1); });
    connect(down, &QPushButton::clicked, this, [move] { move(1); });
    auto* side = new QVBoxLayout;
    for (QPushButton* button : {add, remove, up, down}) side->addWidget(button);
    side->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(list_, 1);
    row->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(explanation, this);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
    setSizeGripEnabled(true);
}

QStringList ListEditor::Items() const {
    QStringList items;
    for (int row = 0; row < list_->count(); ++row)
        if (const QString text = list_->item(row)->text().trimmed(); !text.isEmpty()) items << text;
    return items;
}

}  // namespace tw::ui
