#pragma once
// A short list the user keeps (server default pages, helper programs' file types...): add,
// rename in place, remove and reorder its entries; OK hands the list back.

#include <QDialog>
#include <QListWidget>

namespace tw::ui {

class ListEditor : public QDialog {
    Q_OBJECT
  public:
    ListEditor(const QString& title, const QString& explanation, const QStringList& items,
               QWidget* parent = nullptr);
    // The entries as they stand, blanks dropped.
    QStringList Items() const;
    QListWidget* List() const { return list_; }

  private:
    QListWidget* list_;
};

}  // namespace tw::ui
