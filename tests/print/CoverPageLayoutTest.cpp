#include <QTest>

#include "print/CoverPageLayout.h"

using quillstar::CoverPage;
using quillstar::CoverPageLayout;

class CoverPageLayoutTest : public QObject {
    Q_OBJECT
private slots:
    // A 300 x 293 preview at 96 dpi on a 1200 dpi printer with 203 mm of
    // printable width: one page, half as large again as the preview. Narrow
    // paper cuts the cover into strips at that one scale that join up, none
    // wider than the page, together the whole preview.
    void theCoverIsPrintedWholeOnAsManyPagesAsItNeeds()
    {
        QCOMPARE(CoverPageLayout::PageWidth(1200, 203), 9590);
        const CoverPageLayout wide(9590, QSize(300, 293), 12.5, 12.5);
        QCOMPARE(wide.PageCount(), 1);
        QCOMPARE(wide.Page(1).source, QRect(0, 0, 300, 293));
        QCOMPARE(wide.Page(1).target, QRect(0, 0, 5625, 5493));

        const CoverPageLayout narrow(2000, QSize(300, 293), 12.5, 12.5);
        QCOMPARE(narrow.PageCount(), 3);
        int nextLeft = 0;
        for (int number = 1; number <= 3; ++number) {
            const CoverPage page = narrow.Page(number);
            QCOMPARE(page.source.left(), nextLeft);
            QVERIFY(page.target.width() <= 2000);
            QCOMPARE(page.target.width(), int(page.source.width() * 18.75));
            QCOMPARE(page.target.height(), 5493);
            nextLeft = page.source.right() + 1;
        }
        QCOMPARE(nextLeft, 300);
        QCOMPARE(CoverPageLayout(5625, QSize(300, 293), 12.5, 12.5).PageCount(), 1);
        QCOMPARE(CoverPageLayout(5624, QSize(300, 293), 12.5, 12.5).PageCount(), 2);
        QCOMPARE(CoverPageLayout(0, QSize(300, 293), 12.5, 12.5).PageCount(), 0);
    }
};

QTEST_GUILESS_MAIN(CoverPageLayoutTest)
#include "CoverPageLayoutTest.moc"
