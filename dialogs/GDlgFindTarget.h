#pragma once
// "Find Target": the site's files whose names match a wildcard pattern ("*.gif", "logo*"),
// listed as URLs from the site's root, with a preview. OK hands the list and the chosen
// entry back to the dialog that asked.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace tw::dialogs {

class GDlgFindTarget : public QDialog {
    Q_OBJECT
  public:
    // `matches`: the full paths found before, listed until a new search.
    GDlgFindTarget(const QString& siteDirectory, const QString& pattern, const QStringList& matches,
                   QWidget* parent = nullptr);
    void Search();
    // After OK: every listed path in list order, and the position of the chosen one (-1 none).
    QStringList Matches() const;
    int SelectedIndex() const { return list_->currentRow(); }
    QLineEdit* Pattern() const { return pattern_; }
    QListWidget* Results() const { return list_; }
    QLabel* ResultsLabel() const { return label_; }

  private:
    void Add(const QString& path);

    QString siteDirectory_;
    QLineEdit* pattern_;
    QListWidget* list_;
    QLabel* label_;
};

}  // namespace tw::dialogs
