#include "ui/QtServices.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

namespace brisk {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

QUrl localUrl(const std::filesystem::path& file)
{
    return QUrl::fromLocalFile(qs(file.string()));
}

// Whether the desktop has a default application for a MIME type, by
// `xdg-mime query default`. Qt's own launcher reports success whenever
// xdg-open starts, even when xdg-open then finds nothing to open the file
// with; where xdg-mime is missing the answer is left to the launcher.
bool hasApplicationFor(const QStringList& mimeTypes)
{
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty())
        return true;
    for (const QString& type : mimeTypes) {
        QProcess query;
        query.start(xdgMime, {"query", "default", type});
        if (query.waitForFinished(3000) && !query.readAllStandardOutput().trimmed().isEmpty())
            return true;
    }
    return false;
}

QStringList mimeTypesOf(const std::filesystem::path& file)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(qs(file.string()), QMimeDatabase::MatchExtension);
    return QStringList{type.name()} + type.parentMimeTypes();
}

bool openLocalFile(const std::filesystem::path& file)
{
    return hasApplicationFor(mimeTypesOf(file)) && QDesktopServices::openUrl(localUrl(file));
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

bool QtPrompts::messageWithAction(const std::string& text, const std::string& title, const std::string& action)
{
    QMessageBox box(QMessageBox::Information, qs(title), qs(text), QMessageBox::Ok, m_owner.data());
    QPushButton* button = box.addButton(qs(action), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == button;
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

bool QtDesktop::openFile(const std::filesystem::path& file)
{
    return openLocalFile(file);
}

// A text file's default application is the desktop's text editor.
bool QtDesktop::openInTextEditor(const std::filesystem::path& file)
{
    return openLocalFile(file);
}

bool QtDesktop::canOpenFolders()
{
    return hasApplicationFor({"inode/directory"}) && !QStandardPaths::findExecutable("xdg-open").isEmpty();
}

bool QtDesktop::openFolder(const std::filesystem::path& folder)
{
    return QDesktopServices::openUrl(localUrl(folder));
}

} // namespace brisk
