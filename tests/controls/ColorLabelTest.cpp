#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTest>

#include "controls/ColorLabel.h"

using quillstar::ColorLabel;

namespace {

bool HasPixelOf(const QImage& image, QRgb rgb)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF))
                return true;
    return false;
}

}  // namespace

class ColorLabelTest : public QObject {
    Q_OBJECT
private slots:
    // The main window's totals line: white on dark purple.
    void drawsItsOwnTextAndBackgroundColours()
    {
        ColorLabel label(QStringLiteral("00:00 - 0 Track"));
        label.resize(160, 24);
        label.SetLabelTextColor(QColor(0xFF, 0xFF, 0xFF));
        label.SetLabelBackColor(QColor(0x33, 0x00, 0x33));
        const QImage drawn = label.grab().toImage();
        QCOMPARE(drawn.pixel(drawn.width() - 1, drawn.height() - 1) & 0xFFFFFF, 0x330033u);
        QCOMPARE(drawn.pixel(0, 0) & 0xFFFFFF, 0x330033u);
        QVERIFY(HasPixelOf(drawn, qRgb(255, 255, 255)));
    }

    void startsInAndFallsBackToTheSystemColours()
    {
        ColorLabel label(QStringLiteral("80min"));
        QCOMPARE(label.LabelTextColor(), QGuiApplication::palette().color(QPalette::ButtonText));
        QCOMPARE(label.LabelBackColor(), QGuiApplication::palette().color(QPalette::Button));
        label.resize(80, 24);
        label.SetLabelTextColor(Qt::white);
        label.SetLabelBackColor(QColor(0x33, 0x00, 0x33));
        label.SetLabelTextColor(QColor());
        label.SetLabelBackColor(QColor());
        const QColor face = QGuiApplication::palette().color(QPalette::Button);
        QCOMPARE(label.LabelTextColor(), QGuiApplication::palette().color(QPalette::ButtonText));
        QCOMPARE(label.LabelBackColor(), face);
        const QImage drawn = label.grab().toImage();
        QCOMPARE(QColor(drawn.pixel(drawn.width() - 1, drawn.height() - 1)), face);
    }
};

QTEST_MAIN(ColorLabelTest)
#include "ColorLabelTest.moc"
