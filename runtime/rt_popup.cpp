// Pop-ups and the user-interface loop.
#include "rt_file.h"
#include "rt_internal.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <string>

namespace rt {

namespace {
bool g_quitRequested = false;
int g_quitCode = 0;
int g_loopDepth = 0;

// Pop-ups never block when a script drives the program or no display exists.
bool nonInteractive()
{
    ensureApp();
    return scriptActive() || QGuiApplication::platformName() == "offscreen" ||
           QGuiApplication::platformName() == "minimal";
}

std::string escaped(const char *s)
{
    std::string out;
    for (const char *p = s ? s : ""; *p; ++p) {
        if (*p == '\n')
            out += "\\n";
        else if (*p == '\r')
            out += "\\r";
        else
            out += *p;
    }
    return out;
}
} // namespace

int &forcedExitCode()
{
    static int code = -1;
    return code;
}

} // namespace rt

using namespace rt;

int MessagePopup(const char *title, const char *message)
{
    std::printf("POPUP %s|%s\n", escaped(title).c_str(), escaped(message).c_str());
    std::fflush(stdout);
    if (nonInteractive())
        return 0;
    QMessageBox::information(QApplication::activeWindow(), QString::fromLatin1(title ? title : ""),
                             QString::fromLatin1(message ? message : ""));
    return 0;
}

int HelpOnRightClick(int event, const char *helpText)
{
    if (event != EVENT_RIGHT_CLICK)
        return 0;
    MessagePopup("INFO!", helpText);
    return 1;
}

int ConfirmPopup(const char *title, const char *message)
{
    int answer = 0;
    if (takeConfirmAnswer(&answer) || nonInteractive()) {
        std::printf("CONFIRM %s|%s -> %s\n", escaped(title).c_str(), escaped(message).c_str(), answer ? "yes" : "no");
        std::fflush(stdout);
        return answer;
    }
    const auto r = QMessageBox::question(QApplication::activeWindow(), QString::fromLatin1(title ? title : ""),
                                         QString::fromLatin1(message ? message : ""),
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return r == QMessageBox::Yes ? 1 : 0;
}

void ShowNotRegularFilePopup(const char *path)
{
    const std::string text = std::string(" The file \n ") + (path ? path : "") +
                             " \n is not a regular file (a FIFO, device or directory). \n Nothing was read or written.";
    MessagePopup("ATTENTION!", text.c_str());
}

namespace {

// A chosen path is handed to the program only when its buffer holds it and
// it names a regular file or nothing yet; otherwise the user is told why and
// the dialog counts as cancelled, so the program changes nothing.
bool acceptChosenPath(const std::string &path, char *pathName)
{
    if (path.size() > static_cast<size_t>(kMaxPathBytes)) {
        const std::string text = " The path \n " + path +
                                 " \n is too long: a path must be shorter than 260 characters. \n Nothing was changed.";
        MessagePopup("ATTENTION!", text.c_str());
        return false;
    }
    if (CheckFileKind(path.c_str()) < 0) {
        ShowNotRegularFilePopup(path.c_str());
        return false;
    }
    std::memcpy(pathName, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec, const char *fileTypeList,
                    const char *title, int buttonLabel, int /*restrictDirectory*/, int restrictExtension,
                    int allowCancel, int allowMakeDirectory, char *pathName)
{
    if (!pathName)
        return UIEValueInvalid;
    pathName[0] = '\0';
    std::string scripted;
    int result = VAL_NO_FILE_SELECTED;
    if (takeFileAnswer(&scripted, &result) || nonInteractive()) {
        std::printf("FILEDIALOG %s -> %s\n", escaped(title).c_str(),
                    result == VAL_NO_FILE_SELECTED ? "cancel" : scripted.c_str());
        std::fflush(stdout);
        if (result != VAL_NO_FILE_SELECTED && !acceptChosenPath(scripted, pathName))
            return VAL_NO_FILE_SELECTED;
        return result;
    }
    QString dir = QString::fromLocal8Bit(defaultDirectory ? defaultDirectory : "");
    const QString pattern = QString::fromLocal8Bit(defaultFileSpec ? defaultFileSpec : "");
    if (!pattern.isEmpty() && !pattern.startsWith('*'))
        dir = dir.isEmpty() ? pattern : dir + "/" + pattern;
    QString filter = QString::fromLocal8Bit(fileTypeList ? fileTypeList : "");
    if (filter.isEmpty())
        filter = "*";
    if (!restrictExtension)
        filter += ";;*";
    QFileDialog::Options opts;
    if (!allowMakeDirectory)
        opts |= QFileDialog::ReadOnly;
    (void)allowCancel;
    const QString t = QString::fromLatin1(title ? title : "");
    const QString chosen =
        buttonLabel == VAL_SAVE_BUTTON
            ? QFileDialog::getSaveFileName(QApplication::activeWindow(), t, dir, filter, nullptr, opts)
            : QFileDialog::getOpenFileName(QApplication::activeWindow(), t, dir, filter, nullptr, opts);
    if (chosen.isEmpty())
        return VAL_NO_FILE_SELECTED;
    const QByteArray bytes = QFileInfo(chosen).absoluteFilePath().toLocal8Bit();
    if (!acceptChosenPath(bytes.toStdString(), pathName))
        return VAL_NO_FILE_SELECTED;
    return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int RunUserInterface()
{
    ensureApp();
    if (g_quitRequested) {
        g_quitRequested = false;
        return g_quitCode;
    }
    beginUiScript();
    ++g_loopDepth;
    const int code = QApplication::exec();
    --g_loopDepth;
    g_quitRequested = false;
    return code;
}

int QuitUserInterface(int returnCode)
{
    g_quitCode = returnCode;
    if (g_loopDepth > 0)
        QApplication::exit(returnCode);
    else
        g_quitRequested = true; // the loop has not started yet: it returns at once
    return 0;
}

int CloseRuntime(int programResult)
{
    std::fflush(stdout);
    destroyApp();
    return forcedExitCode() >= 0 ? forcedExitCode() : programResult;
}
