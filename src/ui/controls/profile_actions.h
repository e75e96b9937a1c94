#pragma once

#include <QString>

class QWidget;

namespace halvern::ui {

/// The file filter of profile files in the import and export dialogs.
inline constexpr char kProfileFileFilter[] = "Profile Files(*.json)";
/// What an exported profile's file name ends with, so that the import dialog lists it.
inline constexpr char kProfileFileExtension[] = ".json";

/// Asks where to export the selected profile (a save dialog over `owner`). A name without ".json" gets
/// it. Empty when the user cancelled.
[[nodiscard]] QString ChooseExportPath(QWidget* owner);

/// Asks for an existing profile file to import (an open dialog over `owner`). Empty when the user cancelled.
[[nodiscard]] QString ChooseImportPath(QWidget* owner);

/// The text id of the message that explains a refused rename (CDeviceProfileUI::RenameProfile's result):
/// "message_text_5" for 0 (the name is taken), "message_text_25" for 2 (the name is blank), empty for 1.
[[nodiscard]] QString RenameRefusalTextId(int renameResult);

}  // namespace halvern::ui
