#include "gui/ToolBarIcons.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <string>
#include <vector>

namespace kalvo {
namespace {

const std::vector<ToolBarPicture> pictures = {
    ToolBarPicture::EditEvent,   ToolBarPicture::AppointmentType,
    ToolBarPicture::Chart,       ToolBarPicture::Help,
    ToolBarPicture::Exit,        ToolBarPicture::Backup,
    ToolBarPicture::DeleteEvent, ToolBarPicture::Print};

int paintedPixels(const QImage& image) {
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return painted;
}

TEST(ToolBarIcons, EveryPictureIsDrawnItsOwnAndGreyWhenDisabled) {
    std::vector<QImage> drawn;
    for (const ToolBarPicture picture : pictures) {
        const std::string name = themeIconName(picture);
        SCOPED_TRACE(name);
        const QIcon icon = drawnToolBarIcon(picture);
        for (const int size : {16, 32, 48}) {
            const QImage image = icon.pixmap(QSize(size, size)).toImage();
            EXPECT_EQ(image.size(), QSize(size, size));
            // A picture covers a good part of its square, never all of it.
            EXPECT_GT(paintedPixels(image), size * size / 4) << size;
            EXPECT_LT(paintedPixels(image), size * size) << size;
        }
        const QImage disabled = icon.pixmap(QSize(32, 32), QIcon::Disabled).toImage();
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb pixel = disabled.pixel(x, y);
                ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel))
                    << x << "," << y;
            }
        }
        for (std::size_t other = 0; other < drawn.size(); ++other) {
            EXPECT_NE(icon.pixmap(QSize(32, 32)).toImage(), drawn[other])
                << "same as " << themeIconName(pictures[other]);
        }
        drawn.push_back(icon.pixmap(QSize(32, 32)).toImage());
        EXPECT_FALSE(toolBarIcon(picture).isNull());
    }
}

}  // namespace
}  // namespace kalvo
