#include "print/CoverPageLayout.h"

#include "resources/PrintTexts.h"

namespace quillstar {

CoverPageLayout::CoverPageLayout(int pageWidth, QSize preview, double scaleX, double scaleY)
    : pageWidth_(pageWidth), preview_(preview), scaleX_(scaleX), scaleY_(scaleY)
{
}

int CoverPageLayout::PageWidth(int printerDpiX, int widthMillimetres)
{
    return static_cast<int>(printerDpiX * widthMillimetres * print::kInchesPerMillimetre);
}

int CoverPageLayout::PageCount() const
{
    if (pageWidth_ <= 0 || scaleX_ <= 0)
        return 0;
    return static_cast<int>((pageWidth_ + preview_.width() * scaleX_ - 1) / pageWidth_);
}

CoverPage CoverPageLayout::Page(int number) const
{
    const int offset = pageWidth_ * (number - 1);
    const int sourceLeft = static_cast<int>(offset / scaleX_);
    const int stripWidth = static_cast<int>(pageWidth_ / scaleX_);
    const int height = preview_.height();
    if (number < PageCount()) {
        return {QRect(sourceLeft, 0, stripWidth, height),
                QRect(0, 0, pageWidth_, static_cast<int>(height * scaleY_))};
    }
    const int lastWidth = preview_.width() - stripWidth * (number - 1);
    return {QRect(sourceLeft, 0, lastWidth, height),
            QRect(0, 0, static_cast<int>(scaleX_ * lastWidth * print::kLastPageScale),
                  static_cast<int>(height * scaleY_ * print::kLastPageScale))};
}

}  // namespace quillstar
