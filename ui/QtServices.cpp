#include "ui/QtServices.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QUrl>

namespace brisk {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

void openLocalFile(const std::filesystem::path& file)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

} // namespace

void QtPrompts::message(const std::string& text, const std::string& title)
{
    QMessageBox box(QMessageBox::NoIcon, qs(title), qs(text), QMessageBox::Ok, m_owner.data());
    box.exec();
}

bool QtPrompts::askYesNo(const std::string& text, const std::string& title)
{
    QMessageBox box(QMessageBox::Question, qs(title), qs(text), QMessageBox::Yes | QMessageBox::No,
                    m_owner.data());
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtPrompts::askPassword(const std::string& text, const std::string& title)
{
    bool ok = false;
    const QString typed = QInputDialog::getText(m_owner.data(), qs(title), qs(text), QLineEdit::Password, {}, &ok);
    if (!ok)
        return std::nullopt;
    return typed.toStdString();
}

void QtDesktop::openUrl(const std::string& url)
{
    QDesktopServices::openUrl(QUrl(qs(url)));
}

void QtDesktop::openFile(const std::filesystem::path& file)
{
    openLocalFile(file);
}

// A text file's default application is the desktop's text editor.
void QtDesktop::openInTextEditor(const std::filesystem::path& file)
{
    openLocalFile(file);
}

} // namespace brisk
