#include <QApplication>
#include <QDesktopServices>
#include <QTemporaryDir>
#include <QTest>
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

}  // namespace

class LinkLabelTest : public QObject {
    Q_OBJECT
private slots:
    void aClickOpensTheTargetOrSaysWhyItCannot()
    {
        MailHandler mail;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &mail, "Open");
        QuietLinkLabel label(QStringLiteral("email us"), kMailTarget);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(mail.opened, QList<QUrl>{QUrl(kMailTarget)});
        QVERIFY(label.reported.isEmpty());

        QTemporaryDir folder;
        label.SetUrl(folder.filePath(QStringLiteral("missing.html")));
        QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
        label.SetUrl(folder.filePath(QStringLiteral("no-such-folder/page.html")));
        QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
        QCOMPARE(label.reported,
                 (QList<int>{quillstar::controls::kErrorFileNotFound, quillstar::controls::kErrorPathNotFound}));
        const QString prefix = QStringLiteral("Unable to open hyperlink:\n\n");
        QCOMPARE(LinkLabel::ErrorMessage(26), prefix + QStringLiteral("A sharing violation occurred. "));
        QCOMPARE(LinkLabel::ErrorMessage(4), prefix + QStringLiteral("Unknown Error (4) occurred."));
    }
};

QTEST_MAIN(LinkLabelTest)
#include "LinkLabelTest.moc"
