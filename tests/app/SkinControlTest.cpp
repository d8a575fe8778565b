// The skin's buttons are the window's commands: each reports its name.
#include <QSignalSpy>
#include <QTest>

#include "app/SkinButton.h"
#include "app/SkinControl.h"

using namespace quillstar;

class SkinControlTest : public QObject {
    Q_OBJECT

private slots:
    void EveryElementReportsItsNameWhenClickedUnlessItIsDisabled()
    {
        QWidget window;
        auto* skin = new SkinControl(&window);
        window.resize(900, 500);
        skin->resize(window.size());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QStringList expected{"Title", "Min",  "Exit",    "Add",     "Del",  "Play",     "New",
                                   "Load",  "Save", "BurnNow", "CDCover", "Help", "Homepage", "MP3Ripper"};
        QCOMPARE(skin->ElementNames(), expected);
        QSignalSpy clicks(skin, &SkinControl::ElementClicked);
        for (const QString& name : expected)
            QTest::mouseClick(skin->Element(name.toUpper()), Qt::LeftButton);
        skin->SetElementEnabled("save", false);
        QTest::mouseClick(skin->Element("Save"), Qt::LeftButton);
        QStringList reported;
        for (const QList<QVariant>& click : clicks)
            reported.append(click.at(0).toString());
        QCOMPARE(reported, expected);
    }
};

QTEST_MAIN(SkinControlTest)
#include "SkinControlTest.moc"
