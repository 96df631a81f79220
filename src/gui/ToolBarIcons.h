#pragma once

#include <QIcon>

namespace kalvo {

// The pictures of the toolbar buttons and of the Chart page's print button.
enum class ToolBarPicture {
    EditEvent,
    AppointmentType,
    Chart,
    Help,
    Exit,
    Backup,
    DeleteEvent,
    Print,
    Undo,
    Redo,
};

// The freedesktop icon name the platform's theme is asked for first.
const char* themeIconName(ToolBarPicture picture);

// Drawn in code at whatever size is asked for, so the program needs no image files and no
// image plugin; greyed out for a disabled button.
QIcon drawnToolBarIcon(ToolBarPicture picture);

// The theme's icon where the platform has one, else the drawn one.
QIcon toolBarIcon(ToolBarPicture picture);

}  // namespace kalvo
