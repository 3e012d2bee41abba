#include "platform/win/FileDialog.h"

#include "platform/win/WinInternal.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace platform {

namespace {

FileDialogFunction& FileDialogHook() {
    static FileDialogFunction hook;
    return hook;
}

// "*.txt" stands alone; "Text files|*.txt|All files|*.*||" gives "Text files (*.txt)" and so on.
QStringList NameFilters(const CString& filter) {
    QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return parts;
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return filters;
}

// A name with wildcards, such as the initial "*.txt", is no file to take: accepting it makes it
// the filter of the list, and the dialog stays open.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        const QString name = files.isEmpty() ? QString() : QFileInfo(files.first()).fileName();
        if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
            setNameFilter(name);
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

void SetFileDialogForTesting(FileDialogFunction answer) {
    FileDialogHook() = std::move(answer);
}

} // namespace platform

using namespace platform;

CFileDialog::CFileDialog(BOOL open, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_bOpen(open), m_strDefaultExtension(defaultExtension ? defaultExtension : ""),
      m_strFileName(fileName ? fileName : ""), m_nFlags(flags), m_strFilter(filter ? filter : ""),
      m_hParent(parent ? parent->GetSafeHwnd() : g_mainWindow.load()) {}

INT_PTR CFileDialog::DoModal() {
    FileDialogAnswer answer{IDCANCEL, CString()};
    RunOnWindowThread([&] {
        if (const FileDialogFunction& hook = FileDialogHook()) {
            answer = hook(m_bOpen);
            return;
        }
        if (!EnsureGuiApplication())
            return;
        // Qt's own dialog looks and behaves the same on every desktop.
        FileDialog dialog(WidgetOf(m_hParent),
                          m_bOpen ? QStringLiteral("Open") : QStringLiteral("Save As"),
                          QDir::currentPath());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        // A typed name is taken whether its file exists or not.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(m_nFlags & OFN_OVERWRITEPROMPT));
        dialog.setDefaultSuffix(QString::fromStdString(m_strDefaultExtension));
        if (const QStringList filters = NameFilters(m_strFilter); !filters.isEmpty())
            dialog.setNameFilters(filters);
        if (!m_strFileName.empty())
            dialog.selectFile(QString::fromStdString(m_strFileName));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            answer = {IDOK, QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString()};
    });
    if (answer.result != IDOK)
        return answer.result;
    m_strPath = answer.path;
    QDir::setCurrent(QFileInfo(QString::fromStdString(m_strPath)).absolutePath());
    return IDOK;
}
