// The program's icons: drawn for KORVA (SVG, on a 24 x 24 grid) and bundled with the program as
// resources under ":/icons/", so that the tool bar, the menus and the windows look the same on
// every desktop. The desktop theme's icons are not mixed in.
#pragma once

#include <QIcon>
#include <QString>

namespace korva {

// The program's own icon (a drilled shaft in layered ground): every window's icon.
QIcon AppIcon();

// The bundled icon `name` (":/icons/<name>.svg", e.g. "document-open", "graph-tz",
// "view3d-pan"); a null icon for a name that is not bundled.
QIcon ToolIcon(const char* name);

// The resource path of the bundled icon `name`.
QString ToolIconPath(const char* name);

// Makes AppIcon() the icon of every window of the running application, and names the desktop
// entry (korva2017.desktop) that the desktop matches the windows to.
void SetApplicationIcon();

}  // namespace korva
