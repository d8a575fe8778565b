#include <QTest>

#include "print/CoverPageLayout.h"

using quillstar::CoverPageLayout;

class CoverPageLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void pageWidthFromResolutionAndMillimetres()
    {
        QCOMPARE(CoverPageLayout::PageWidth(1200, 203), 9590);
        QCOMPARE(CoverPageLayout::PageWidth(600, 0), 0);
    }

    // A 300 x 293 preview on a 1200 dpi printer, seen at 96 dpi: one page,
    // printed at one and a half times its physical size.
    void coverThatFitsIsOnePageHalfAsLargeAgain()
    {
        const CoverPageLayout layout(9590, QSize(300, 293), 12.5, 12.5);
        QCOMPARE(layout.PageCount(), 1);
        const quillstar::CoverPage page = layout.Page(1);
        QCOMPARE(page.source, QRect(0, 0, 300, 293));
        QCOMPARE(page.target, QRect(0, 0, 5625, 5493));
    }

    void narrowPaperCutsTheCoverIntoStrips()
    {
        const CoverPageLayout layout(2000, QSize(300, 293), 12.5, 12.5);
        QCOMPARE(layout.PageCount(), 2);
        const quillstar::CoverPage first = layout.Page(1);
        QCOMPARE(first.source, QRect(0, 0, 160, 293));
        QCOMPARE(first.target, QRect(0, 0, 2000, 3662));
        const quillstar::CoverPage last = layout.Page(2);
        QCOMPARE(last.source, QRect(160, 0, 140, 293));
        QCOMPARE(last.target, QRect(0, 0, 2625, 5493));
    }

    void coverExactlyOnePageWideNeedsNoSecondPage()
    {
        QCOMPARE(CoverPageLayout(3750, QSize(300, 293), 12.5, 12.5).PageCount(), 1);
        QCOMPARE(CoverPageLayout(3749, QSize(300, 293), 12.5, 12.5).PageCount(), 2);
    }

    void noPageWidthGivesNoPages()
    {
        QCOMPARE(CoverPageLayout(0, QSize(300, 293), 12.5, 12.5).PageCount(), 0);
    }
};

QTEST_GUILESS_MAIN(CoverPageLayoutTest)
#include "CoverPageLayoutTest.moc"
