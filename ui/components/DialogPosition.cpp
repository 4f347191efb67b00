#include "ui/components/DialogPosition.h"

#include "core/settings/SettingsStore.h"

namespace tw::ui {

void KeepPosition(QDialog& dialog, std::string key) {
    if (!dialog.testAttribute(Qt::WA_Resized)) dialog.adjustSize();
    const QRect now = dialog.geometry();
    if (const auto rect = SettingsStore::Instance().RestoredRect(
            key, {now.left(), now.top(), now.right() + 1, now.bottom() + 1}))
        dialog.setGeometry(rect->left, rect->top, rect->Width(), rect->Height());
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog, key] {
        const QRect place = dialog.geometry();
        SettingsStore::Instance().WriteRect(
            key, {place.left(), place.top(), place.right() + 1, place.bottom() + 1});
    });
}

}  // namespace tw::ui
