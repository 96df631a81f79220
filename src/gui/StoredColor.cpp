#include "gui/StoredColor.h"

#include <QApplication>
#include <QPalette>

namespace kalvo {
namespace {

// The system colour indices in their order, and the palette colour that stands for each.
QColor systemColor(int index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
        case 0:
            return palette.color(QPalette::Button);  // scroll bar
        case 1:
            return palette.color(QPalette::Dark);  // desktop
        case 2:
            return palette.color(QPalette::Highlight);  // active caption
        case 3:
            return palette.color(QPalette::Mid);  // inactive caption
        case 4:
            return palette.color(QPalette::Window);  // menu
        case 5:
            return palette.color(QPalette::Base);  // window
        case 6:
            return palette.color(QPalette::Shadow);  // window frame
        case 7:
            return palette.color(QPalette::WindowText);  // menu text
        case 8:
            return palette.color(QPalette::Text);  // window text
        case 9:
            return palette.color(QPalette::HighlightedText);  // caption text
        case 10:
            return palette.color(QPalette::Midlight);  // active border
        case 11:
            return palette.color(QPalette::Midlight);  // inactive border
        case 12:
            return palette.color(QPalette::Dark);  // application workspace
        case 13:
            return palette.color(QPalette::Highlight);  // highlight
        case 14:
            return palette.color(QPalette::HighlightedText);  // highlight text
        case 15:
            return palette.color(QPalette::Button);  // button face
        case 16:
            return palette.color(QPalette::Dark);  // button shadow
        case 17:
            return palette.color(QPalette::Disabled, QPalette::Text);  // grey text
        case 18:
            return palette.color(QPalette::ButtonText);  // button text
        case 19:
            return palette.color(QPalette::Inactive, QPalette::WindowText);
        case 20:
            return palette.color(QPalette::Light);  // button highlight
        case 21:
            return palette.color(QPalette::Shadow);  // 3D dark shadow
        case 22:
            return palette.color(QPalette::Midlight);  // 3D light
        case 23:
            return palette.color(QPalette::ToolTipText);  // info text
        case 24:
            return palette.color(QPalette::ToolTipBase);  // info background
        default:
            return palette.color(QPalette::Window);
    }
}

}  // namespace

QColor colorFromStored(std::int32_t stored) {
    const auto value = static_cast<std::uint32_t>(stored);
    if ((value & 0xFF000000U) != 0) {
        return systemColor(static_cast<int>(value & 0xFFU));
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

}  // namespace kalvo
