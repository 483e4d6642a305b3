#include "engine/SavedFile.h"

namespace brisk {

std::string savedFileMessage(const std::filesystem::path& file)
{
    return "No application could open " + file.filename().string() + ".\nIt is saved in the folder " +
           file.parent_path().string() + ".";
}

bool openSavedFile(const std::filesystem::path& file, SavedFileKind kind, Prompts& prompts, Desktop& desktop)
{
    const bool opened = kind == SavedFileKind::Text ? desktop.openInTextEditor(file) : desktop.openFile(file);
    if (opened)
        return true;
    const std::string text = savedFileMessage(file);
    const std::string title(kAppTitle);
    if (!desktop.canOpenFolders())
        prompts.message(text, title);
    else if (prompts.messageWithAction(text, title, "Open Folder"))
        desktop.openFolder(file.parent_path());
    return false;
}

} // namespace brisk
