#pragma once

#include <QRect>
#include <QSize>

namespace quillstar {

// One printed page: the part of the preview it shows and where that part
// lands on the page, in printer pixels from the printable area's corner.
struct CoverPage {
    QRect source;
    QRect target;
};

// Prints the preview half as large again as its physical size. A cover
// wider than the paper is cut into page-wide strips, all at that one scale,
// so that the strips join up.
class CoverPageLayout {
public:
    // pageWidth: printable width in printer pixels. scaleX, scaleY: printer
    // pixels per inch over the preview's pixels per inch.
    CoverPageLayout(int pageWidth, QSize preview, double scaleX, double scaleY);

    // The printable width in pixels from the printer's resolution and its
    // printable width in millimetres.
    static int PageWidth(int printerDpiX, int widthMillimetres);

    // Pages needed across the cover's width; 0 when nothing fits on a page.
    int PageCount() const;
    // Page numbers run from 1 to PageCount().
    CoverPage Page(int number) const;

private:
    // Preview pixels that fill one page width.
    int StripWidth() const;

    int pageWidth_;
    QSize preview_;
    double scaleX_;
    double scaleY_;
};

}  // namespace quillstar
