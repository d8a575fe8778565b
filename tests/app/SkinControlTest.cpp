// The skin: its named elements, what a click reports, the keyboard, and the
// title that is both a button and a handle to move the window by.
#include <QSignalSpy>
#include <QTest>

#include "app/SkinButton.h"
#include "app/SkinControl.h"

using namespace quillstar;

class SkinControlTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        window_ = new QWidget;
        skin_ = new SkinControl(window_);
        window_->resize(900, 500);
        skin_->resize(window_->size());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }

    void cleanup() { delete window_; }

    void EveryElementReportsItsNameWhenClicked()
    {
        const QStringList expected{"Title", "Min",  "Exit",    "Add",     "Del",  "Play",     "New",
                                   "Load",  "Save", "BurnNow", "CDCover", "Help", "Homepage", "MP3Ripper"};
        QCOMPARE(skin_->ElementNames(), expected);
        QSignalSpy clicks(skin_, &SkinControl::ElementClicked);
        for (const QString& name : expected)
            QTest::mouseClick(skin_->Element(name), Qt::LeftButton);
        QStringList reported;
        for (const QList<QVariant>& click : clicks)
            reported.append(click.at(0).toString());
        QCOMPARE(reported, expected);
    }

    void ElementsAreFoundInAnyCase()
    {
        QCOMPARE(skin_->Element("BURNNOW"), skin_->Element("BurnNow"));
        QVERIFY(skin_->Element("mp3ripper") != nullptr);
        QCOMPARE(skin_->Element("Burn"), nullptr);
    }

    void TheKeyboardReachesAndPressesTheButtons()
    {
        QSignalSpy clicks(skin_, &SkinControl::ElementClicked);
        SkinButton* add = skin_->Element("Add");
        SkinButton* del = skin_->Element("Del");
        add->setFocus(Qt::TabFocusReason);
        QVERIFY(add->hasFocus());
        QTest::keyClick(add, Qt::Key_Space);
        QTest::keyClick(window_, Qt::Key_Tab);
        QVERIFY(del->hasFocus());
        QTest::keyClick(del, Qt::Key_Return);
        QTest::keyClick(del, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(clicks.at(0).at(0).toString(), QString("Add"));
        QCOMPARE(clicks.at(1).at(0).toString(), QString("Del"));
        QCOMPARE(clicks.at(2).at(0).toString(), QString("Del"));
    }

    void AClickLeavesTheFocusWhereItWas()
    {
        auto* list = new QWidget(skin_->ClientArea());
        list->setFocusPolicy(Qt::StrongFocus);
        list->show();
        list->setFocus();
        QTest::mouseClick(skin_->Element("Del"), Qt::LeftButton);
        QVERIFY(list->hasFocus());
    }

    void ADisabledElementReportsNothing()
    {
        QSignalSpy clicks(skin_, &SkinControl::ElementClicked);
        skin_->SetElementEnabled("save", false);
        QTest::mouseClick(skin_->Element("Save"), Qt::LeftButton);
        skin_->Element("Save")->click();
        QCOMPARE(clicks.count(), 0);
        skin_->SetElementEnabled("Save", true);
        QTest::mouseClick(skin_->Element("Save"), Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
    }

    void DraggingTheTitleMovesTheWindowWithoutAClick()
    {
        QSignalSpy clicks(skin_, &SkinControl::ElementClicked);
        SkinButton* title = skin_->Element("Title");
        const QPoint start = window_->pos();
        const QPoint grip = title->rect().center();
        QTest::mousePress(title, Qt::LeftButton, {}, grip);
        QMouseEvent move(QEvent::MouseMove, grip + QPoint(40, 30), title->mapToGlobal(grip + QPoint(40, 30)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(title, &move);
        QTest::mouseRelease(title, Qt::LeftButton, {}, grip + QPoint(40, 30));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(window_->pos(), start + QPoint(40, 30));
    }

    void ARightClickOnTheTitleBandAsksForTheWindowMenu()
    {
        QSignalSpy menus(skin_, &SkinControl::TitleMenuRequested);
        SkinButton* title = skin_->Element("Title");
        QContextMenuEvent onTitle(QContextMenuEvent::Mouse, QPoint(5, 5), title->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(title, &onTitle);
        // The empty part of the band, left of the window buttons.
        const QPoint band = skin_->Element("Min")->geometry().topLeft() + QPoint(-30, 5);
        QContextMenuEvent onBand(QContextMenuEvent::Mouse, band, skin_->mapToGlobal(band));
        QApplication::sendEvent(skin_, &onBand);
        const QPoint client = skin_->ClientArea()->geometry().center();
        QContextMenuEvent onClient(QContextMenuEvent::Mouse, client, skin_->mapToGlobal(client));
        QApplication::sendEvent(skin_, &onClient);
        QCOMPARE(menus.count(), 2);
    }

private:
    QWidget* window_ = nullptr;
    SkinControl* skin_ = nullptr;
};

QTEST_MAIN(SkinControlTest)
#include "SkinControlTest.moc"
