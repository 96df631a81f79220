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

constexpr std::int32_t systemColorValue(std::uint32_t index) {
    return static_cast<std::int32_t>(0xFF000000U | index);
}

constexpr NamedStoredColor kNamedColors[] = {
    {0x000000, "Black"},
    {0x000080, "Maroon"},
    {0x008000, "Green"},
    {0x008080, "Olive"},
    {0x800000, "Navy"},
    {0x800080, "Purple"},
    {0x808000, "Teal"},
    {0x808080, "Gray"},
    {0xC0C0C0, "Silver"},
    {0x0000FF, "Red"},
    {0x00FF00, "Lime"},
    {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},
    {0xFF00FF, "Fuchsia"},
    {0xFFFF00, "Aqua"},
    {0xFFFFFF, "White"},
    {0xC0DCC0, "Money Green"},
    {0xF0CAA6, "Sky Blue"},
    {0xF0FBFF, "Cream"},
    {0xA4A0A0, "Medium Gray"},
    {systemColorValue(0), "Scroll Bar"},
    {systemColorValue(1), "Background"},
    {systemColorValue(2), "Active Caption"},
    {systemColorValue(3), "Inactive Caption"},
    {systemColorValue(4), "Menu"},
    {systemColorValue(5), "Window"},
    {systemColorValue(6), "Window Frame"},
    {systemColorValue(7), "Menu Text"},
    {systemColorValue(8), "Window Text"},
    {systemColorValue(9), "Caption Text"},
    {systemColorValue(10), "Active Border"},
    {systemColorValue(11), "Inactive Border"},
    {systemColorValue(12), "Application Workspace"},
    {systemColorValue(13), "Highlight"},
    {systemColorValue(14), "Highlight Text"},
    {systemColorValue(15), "Button Face"},
    {systemColorValue(16), "Button Shadow"},
    {systemColorValue(17), "Gray Text"},
    {systemColorValue(18), "Button Text"},
    {systemColorValue(19), "Inactive Caption Text"},
    {systemColorValue(20), "Button Highlight"},
    {systemColorValue(21), "3D Dark Shadow"},
    {systemColorValue(22), "3D Light"},
    {systemColorValue(23), "Info Text"},
    {systemColorValue(24), "Info Background"},
};

}  // namespace

std::int32_t storedFromRgb(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

std::span<const NamedStoredColor> namedStoredColors() {
    return kNamedColors;
}

QColor colorFromStored(std::int32_t stored) {
    const auto value = static_cast<std::uint32_t>(stored);
    if ((value & 0xFF000000U) != 0) {
        return systemColor(static_cast<int>(value & 0xFFU));
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

}  // namespace kalvo
