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
    if (pageWidth_ <= 0 || StripWidth() < 1)
        return 0;
    const double coverWidth = preview_.width() * scaleX_ * print::kCoverScale;
    return static_cast<int>((pageWidth_ + coverWidth - 1) / pageWidth_);
}

CoverPage CoverPageLayout::Page(int number) const
{
    const int left = StripWidth() * (number - 1);
    const int width = number < PageCount() ? StripWidth() : preview_.width() - left;
    return {QRect(left, 0, width, preview_.height()),
            QRect(0, 0, static_cast<int>(width * scaleX_ * print::kCoverScale),
                  static_cast<int>(preview_.height() * scaleY_ * print::kCoverScale))};
}

int CoverPageLayout::StripWidth() const
{
    if (scaleX_ <= 0)
        return 0;
    return static_cast<int>(pageWidth_ / (scaleX_ * print::kCoverScale));
}

}  // namespace quillstar
