#include "ui/controls/profile_actions.h"

#include <QFileDialog>
#include <array>

#include "ui/toolkit/save_file.h"

namespace halvern::ui {
namespace {

struct RenameRefusal {
    int result;
    const char* textId;
};

constexpr std::array<RenameRefusal, 3> kRenameRefusals{
    {{0, "message_text_5"}, {2, "message_text_25"}, {3, "name_invalid_text"}}};

}  // namespace

QString ChooseExportPath(QWidget* owner) {
    return chooseSaveFile(owner, QLatin1String(kProfileFileFilter), QLatin1String(kProfileFileExtension));
}

QString ChooseImportPath(QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, QString(), QString(), QLatin1String(kProfileFileFilter));
}

QString RenameRefusalTextId(int renameResult) {
    for (const RenameRefusal& refusal : kRenameRefusals) {
        if (refusal.result == renameResult) return QLatin1String(refusal.textId);
    }
    return {};
}

}  // namespace halvern::ui
