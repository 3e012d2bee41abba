// The program's resources as the layer finds them: dialog templates and image files by id, through
// the finders the program hands over, and the icons loaded from those images.

#include "platform/win/WinInternal.h"

#include <QIcon>
#include <map>

namespace platform {

namespace {
DialogTemplateFinder g_findDialog = nullptr;
ImageResourceFinder g_findImage = nullptr;
} // namespace

void SetResources(DialogTemplateFinder findDialog, ImageResourceFinder findImage) {
    g_findDialog = findDialog;
    g_findImage = findImage;
}

const DialogTemplate* FindDialogTemplate(UINT id) {
    return g_findDialog != nullptr ? g_findDialog(id) : nullptr;
}

const char* FindImageResource(UINT id) {
    return g_findImage != nullptr ? g_findImage(id) : nullptr;
}

} // namespace platform

using namespace platform;

HICON CWinApp::LoadIcon(UINT id) const {
    const char* path = FindImageResource(id);
    if (path == nullptr || !EnsureGuiApplication())
        return nullptr;
    // Icons are shared for the life of the process, as resource icons are.
    static std::map<UINT, QIcon> icons;
    auto [it, inserted] = icons.try_emplace(id, QString::fromUtf8(path));
    return it->second.isNull() ? nullptr : &it->second;
}
