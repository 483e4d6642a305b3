#pragma once
// Prompts and desktop of the real program: Qt message boxes and
// QDesktopServices.

#include "engine/Services.h"

#include <QPointer>
#include <QWidget>

namespace brisk {

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* owner = nullptr) : m_owner(owner) {}
    // The window the boxes are centred on and modal to.
    void setOwner(QWidget* owner) { m_owner = owner; }

    // A box with the given title and an OK button only.
    void message(const std::string& text, const std::string& title) override;
    // Yes and No, with the question icon.
    bool askYesNo(const std::string& text, const std::string& title) override;
    // OK and the action's button; OK is the default.
    bool messageWithAction(const std::string& text, const std::string& title, const std::string& action) override;
    // A line edit that shows no characters; nullopt on Cancel.
    std::optional<std::string> askPassword(const std::string& text, const std::string& title) override;

private:
    QPointer<QWidget> m_owner;
};

// Hands addresses and files to the desktop's default applications without
// waiting for them. A file counts as opened when the desktop has an
// application for its type and the launcher started.
class QtDesktop : public Desktop {
public:
    void openUrl(const std::string& url) override;
    bool openFile(const std::filesystem::path& file) override;
    bool openInTextEditor(const std::filesystem::path& file) override;
    bool canOpenFolders() override;
    bool openFolder(const std::filesystem::path& folder) override;
};

} // namespace brisk
