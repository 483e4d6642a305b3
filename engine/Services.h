#pragma once
// What the program needs from a person and from the world, injected so that
// tests are deterministic and never block: message boxes and questions, the
// clock, the desktop (opening a file or a web page).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brisk {

// vAppTitle: the product title, caption of the user messages.
inline constexpr std::string_view kAppTitle = "Brisk Vezoriv Rizovave";
// The program's own title, shown by error messages that give no title.
inline constexpr std::string_view kProgramTitle = "Brisk Vezoriv Rireviru";

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with an OK button only; returns when the user closed it.
    virtual void message(const std::string& text, const std::string& title) = 0;
    // A question with Yes and No buttons and a question icon; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
    // A message with OK and a second button captioned `action`; true when the
    // user chose the action. Without such a button, the plain message.
    virtual bool messageWithAction(const std::string& text, const std::string& title, const std::string& action)
    {
        (void)action;
        message(text, title);
        return false;
    }

    // A password, typed without echo; nullopt when the user cancelled or
    // there is nobody to ask. Never written anywhere by any implementation.
    virtual std::optional<std::string> askPassword(const std::string& text, const std::string& title)
    {
        (void)text;
        (void)title;
        return std::nullopt;
    }

    // A message with the program's title (the error messages).
    void error(const std::string& text) { message(text, std::string(kProgramTitle)); }
    // An error message and what caused it (the file and the system's reason).
    // The window shows the message alone; the command line adds the cause.
    virtual void failure(const std::string& text, const std::string& cause)
    {
        (void)cause;
        error(text);
    }
    // A user message titled with the product title.
    void inform(const std::string& text) { message(text, std::string(kAppTitle)); }
};

// "BRISK Vezoriv Rizovave: Error in <procedure>: lEmailsProcessed = <n>"
std::string errorText(std::string_view procedure, std::int32_t lEmailsProcessed);

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time as a date value.
    virtual double now() = 0;
    // Let time pass (a poll interval); a test clock advances instead.
    virtual void sleepFor(double seconds) = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    // Hand a web address to the default browser; the result is ignored.
    virtual void openUrl(const std::string& url) = 0;
    // Open a file with the desktop's default application, without waiting;
    // false when no application could be started for it.
    virtual bool openFile(const std::filesystem::path& file) = 0;
    // Open a text file in the desktop's text editor, without waiting; false
    // when no editor could be started.
    virtual bool openInTextEditor(const std::filesystem::path& file) = 0;
    // Whether a folder can be shown in a file manager, and showing it.
    virtual bool canOpenFolders() { return false; }
    virtual bool openFolder(const std::filesystem::path& folder)
    {
        (void)folder;
        return false;
    }
};

} // namespace brisk
