#pragma once
// The user's own lists (server default pages and the like) in the window: "Define List" edits
// one (Add..., Delete, Change..., Move Up, Move Down; a sorted list keeps its order itself),
// and the controls that show a list — a button that opens the editor, and a drop-down whose
// last entry, "Define...", does.

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "core/settings/UserExtensibleList.h"

namespace tw::ui {

class GDefineListDlg : public QDialog {
    Q_OBJECT
  public:
    GDefineListDlg(GUserExtensibleList& list, QWidget* parent = nullptr);
    QListWidget* Rows() const { return rows_; }
    // Adds or changes rows as "Add..." and "Change..." do after their OK.
    void AddItem(const QString& text);
    void ChangeItem(int row, const QString& text);
    void accept() override;

  private:
    void UpdateButtons();

    GUserExtensibleList& list_;
    QListWidget* rows_;
    QPushButton *delete_, *change_, *up_, *down_;
};

// A push button that edits its list.
class GUserButton : public QPushButton, public GUserExtensibleList {
    Q_OBJECT
  public:
    GUserButton(const QString& text, GUserExtensibleList list, QWidget* parent = nullptr);
};

// A drop-down of the list's entries, "Define..." last; the current entry selected.
class GUserCombo : public QComboBox, public GUserExtensibleList {
    Q_OBJECT
  public:
    GUserCombo(GUserExtensibleList list, QWidget* parent = nullptr);
    void FillControl() override;
};

}  // namespace tw::ui
