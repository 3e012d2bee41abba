#include "platform/win/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {

ShellExecuteFunction& ShellHook() {
    static ShellExecuteFunction hook;
    return hook;
}

// A scheme takes at least two characters, so that a Windows drive letter is no scheme.
bool HasScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

QString LocalPath(const char* file, const char* directory) {
    const QString path = QString::fromUtf8(file);
    const QString base = directory != nullptr && directory[0] != '\0' ? QString::fromUtf8(directory)
                                                                      : QDir::currentPath();
    return QFileInfo(QDir(base), path).absoluteFilePath();
}

} // namespace

bool DesktopOpensType(const char* mimeType) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return false;
    QProcess query;
    query.setProgram(tool);
    query.setArguments(
        {QStringLiteral("query"), QStringLiteral("default"), QString::fromUtf8(mimeType)});
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start();
    // The tool is a small script; one that hangs is not waited for long.
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
#else
    (void)mimeType;
    return true;
#endif
}

CString ShellTarget(const char* file, const char* directory) {
    const QString text = QString::fromUtf8(file != nullptr ? file : "");
    if (HasScheme(text))
        return QUrl(text).toString().toStdString();
    const QString local = LocalPath(file != nullptr ? file : "", directory);
    if (!QFileInfo::exists(local) && text.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("https://") + text).toString().toStdString();
    return QUrl::fromLocalFile(local).toString().toStdString();
}

void SetShellExecuteForTesting(ShellExecuteFunction execute) {
    ShellHook() = std::move(execute);
}

} // namespace platform

HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                        const char* directory, int show) {
    if (const platform::ShellExecuteFunction& hook = platform::ShellHook())
        return hook(owner, verb, file, parameters, directory, show);
    if (verb != nullptr &&
        QString::fromUtf8(verb).compare(QStringLiteral("open"), Qt::CaseInsensitive) != 0)
        return SE_ERR_NOASSOC;
    if (file == nullptr || !platform::EnsureGuiApplication())
        return SE_ERR_FNF;
    const QUrl url(QString::fromStdString(platform::ShellTarget(file, directory)));
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return SE_ERR_FNF;
    return QDesktopServices::openUrl(url) ? 42 : SE_ERR_NOASSOC;
}
