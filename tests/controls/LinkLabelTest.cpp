#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "controls/LinkLabel.h"
#include "resources/ControlTexts.h"

using quillstar::LinkLabel;

namespace {

const QString kMailTarget = QStringLiteral("mailto:support@quillstar.example");

// Records failed openings instead of showing the box.
class QuietLinkLabel : public LinkLabel {
public:
    using LinkLabel::LinkLabel;
    QList<int> reported;

    void ReportError(int code) override { reported << code; }
};

// Stands in for the desktop's mail program.
class MailHandler : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

void Leave(QWidget& widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

}  // namespace

class LinkLabelTest : public QObject {
    Q_OBJECT
private slots:
    void keepsItsTextAndShowsTheTargetAsToolTip()
    {
        LinkLabel label(QStringLiteral("email us"));
        label.SetUrl(kMailTarget);
        QCOMPARE(label.text(), QStringLiteral("email us"));
        QCOMPARE(label.toolTip(), kMailTarget);
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(label.TextColor(), QColor(0, 0, 238));
        QVERIFY(!label.font().underline());
        // Either of text and target stands in for the other.
        QCOMPARE(LinkLabel(QStringLiteral("https://quillstar.example/")).Url(),
                 QStringLiteral("https://quillstar.example/"));
        QCOMPARE(LinkLabel(QString(), kMailTarget).text(), kMailTarget);
    }

    void hoverTurnsRedAndUnderlinesUntilTheMouseLeaves()
    {
        LinkLabel label(QStringLiteral("email us"), kMailTarget);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTest::mouseMove(&label, label.rect().center());
        QTRY_VERIFY(label.IsHovered());
        QCOMPARE(label.TextColor(), QColor(255, 0, 0));
        QVERIFY(label.font().underline());

        Leave(label);
        QVERIFY(!label.IsHovered());
        QCOMPARE(label.TextColor(), QColor(0, 0, 238));
        QVERIFY(!label.font().underline());
    }

    void underlineModes()
    {
        LinkLabel label(QStringLiteral("email us"), kMailTarget);
        label.SetUnderline(LinkLabel::Underline::Always);
        QVERIFY(label.font().underline());
        Leave(label);
        QVERIFY(label.font().underline());

        label.SetUnderline(LinkLabel::Underline::Never);
        QVERIFY(!label.font().underline());
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&label, &enter);
        QVERIFY(label.IsHovered());
        QVERIFY(!label.font().underline());
    }

    void clickOpensTheTargetAndMarksItVisited()
    {
        MailHandler mail;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &mail, "Open");
        QuietLinkLabel label(QStringLiteral("email us"), kMailTarget);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

        QCOMPARE(mail.opened, QList<QUrl>{QUrl(kMailTarget)});
        QVERIFY(label.IsVisited());
        QVERIFY(!label.IsHovered());
        QCOMPARE(label.TextColor(), QColor(85, 26, 139));
        QVERIFY(label.reported.isEmpty());
    }

    void failedOpeningReportsTheReasonAndClearsVisited()
    {
        QTemporaryDir folder;
        QuietLinkLabel label(QStringLiteral("help"), folder.filePath(QStringLiteral("missing.html")));
        label.SetVisited(true);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
        QCOMPARE(label.reported, QList<int>{quillstar::controls::kErrorFileNotFound});
        QVERIFY(!label.IsVisited());

        label.SetUrl(folder.filePath(QStringLiteral("no-such-folder/page.html")));
        QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
        QCOMPARE(label.reported.last(), quillstar::controls::kErrorPathNotFound);
    }

    void errorMessages()
    {
        const QString prefix = QStringLiteral("Unable to open hyperlink:\n\n");
        QCOMPARE(LinkLabel::ErrorMessage(26), prefix + QStringLiteral("A sharing violation occurred. "));
        QCOMPARE(LinkLabel::ErrorMessage(4), prefix + QStringLiteral("Unknown Error (4) occurred."));
    }

    void reportShowsAWarningBox()
    {
        LinkLabel label(QStringLiteral("help"));
        QString shown;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            icon = box->icon();
            box->accept();
        });
        label.ReportError(26);
        QCOMPARE(shown, LinkLabel::ErrorMessage(26));
        QCOMPARE(icon, QMessageBox::Warning);
    }

    void fittingKeepsTheEdgeItsAlignmentNames_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("keptX");  // 0 left edge, 1 centre, 2 right edge
        QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignVCenter) << 0;
        QTest::newRow("centre") << int(Qt::AlignHCenter | Qt::AlignVCenter) << 1;
        QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter) << 2;
    }
    void fittingKeepsTheEdgeItsAlignmentNames()
    {
        QFETCH(int, alignment);
        QFETCH(int, keptX);
        QWidget dialog;
        LinkLabel label(QStringLiteral("email us"), kMailTarget, &dialog);
        label.setAlignment(Qt::Alignment(alignment));
        const QRect item(100, 10, 200, 40);
        label.setGeometry(item);
        label.FitToText();

        QFont underlined = label.font();
        underlined.setUnderline(true);
        const QSize text = QFontMetrics(underlined).size(Qt::TextSingleLine, label.text());
        QCOMPARE(label.size(), text);
        QCOMPARE(label.geometry().center().y(), item.center().y());
        const int kept[] = {label.geometry().left() - item.left(), label.geometry().center().x() - item.center().x(),
                            label.geometry().right() - item.right()};
        QVERIFY(qAbs(kept[keptX]) <= 1);
    }
};

QTEST_MAIN(LinkLabelTest)
#include "LinkLabelTest.moc"
