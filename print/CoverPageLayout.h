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

// Cuts the preview into page-wide strips. Every page but the last is one
// page width of the preview at its physical size; the last page (the only
// one, for a cover that fits across the paper) is printed half as large
// again, which makes the preview a CD-sized cover.
class CoverPageLayout {
public:
    // pageWidth: printable width in printer pixels. scaleX, scaleY: printer
    // pixels per inch over the preview's pixels per inch.
    CoverPageLayout(int pageWidth, QSize preview, double scaleX, double scaleY);

    // The printable width in pixels from the printer's resolution and its
    // printable width in millimetres.
    static int PageWidth(int printerDpiX, int widthMillimetres);

    // Pages needed across the preview's width; 0 without a page width.
    int PageCount() const;
    // Page numbers run from 1 to PageCount().
    CoverPage Page(int number) const;

private:
    int pageWidth_;
    QSize preview_;
    double scaleX_;
    double scaleY_;
};

}  // namespace quillstar
