#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FakeOwner.h"
#include "ModalWatcher.h"
#include "browse/FileList.h"
#include "browse/FileListModel.h"
#include "resources/BrowseTexts.h"

using namespace quillstar;

namespace {

void MakeFile(const QString& path, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size));  // sparse: a large file costs no disk space
}

QStringList Column(const FileList& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        texts.append(list.model()->index(row, column).data().toString());
    return texts;
}

void SelectRows(FileList& list, const QList<int>& rows)
{
    list.selectionModel()->clear();
    for (const int row : rows)
        list.selectionModel()->select(list.model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

}  // namespace

class FileListTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        folder_ = dir_->path() + "/";
        owner_ = FakeOwner();
    }

    void theSelectionFollowsItsRowsAcrossASortAndOnlyItsMusicFilesGoToTheBurnList()
    {
        QDir(folder_).mkdir("folder.mp3");
        MakeFile(folder_ + "a.mp3", 300);
        MakeFile(folder_ + "B.MP3", 200);
        MakeFile(folder_ + "c.mp3", 100);
        MakeFile(folder_ + "d.wav", 1);
        FileList list(owner_);
        list.ShowFolder(folder_);
        QCOMPARE(Column(list, browse::kNameColumn),
                 (QStringList{"..", "folder.mp3", "a.mp3", "B.MP3", "c.mp3", "d.wav"}));
        SelectRows(list, {0, 2, 4});  // "..", a.mp3, c.mp3
        list.SortBy(browse::kSizeColumn, browse::kAscending);
        QCOMPARE(Column(list, browse::kNameColumn),
                 (QStringList{"..", "folder.mp3", "d.wav", "c.mp3", "B.MP3", "a.mp3"}));
        // Row 0 does not carry its selection.
        QCOMPARE(list.SelectedMusicPaths(), (QStringList{folder_ + "c.mp3", folder_ + "a.mp3"}));
        SelectRows(list, {0, 1, 2});  // "..", folder.mp3, d.wav
        QCOMPARE(list.SelectedMusicPaths(), QStringList{folder_ + "d.wav"});
        for (const QList<int>& rows : {QList<int>{0, 1}, QList<int>{}}) {
            SelectRows(list, rows);
            QVERIFY(!list.SelectionHasMusic());
        }
        // A folder that cannot be opened lists only ".." and says why.
        test::ModalWatcher watcher;
        list.ShowFolder(folder_ + "missing");
        QCOMPARE(Column(list, browse::kNameColumn), QStringList{".."});
        QTRY_COMPARE(watcher.texts,
                     QStringList{"Cannot open the folder \"" + folder_ + "missing/\": No such file or directory."});
    }

    // A folder of thousands of files must not freeze the window: every row
    // is listed, but only the shown ones get an icon.
    void aLargeFolderIsListedWholeAndOnlyShownRowsLookUpTheirIcons()
    {
        for (int i = 0; i < 300; ++i)
            MakeFile(folder_ + QString("f%1.mp3").arg(i, 3, 10, QChar('0')), 1);
        FileList list(owner_);
        list.resize(500, 200);
        list.show();
        list.ShowFolder(folder_);
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCoreApplication::processEvents();
        QCOMPARE(list.model()->rowCount(), 301);
        QVERIFY(list.isEnabled());
        QVERIFY(list.updatesEnabled());
        auto* model = static_cast<FileListModel*>(list.model());
        const auto looked = std::count_if(model->Entries().begin(), model->Entries().end(),
                                          [](const FileEntry& e) { return e.iconIndex >= 0; });
        QVERIFY(looked > 0);
        QVERIFY(looked < 50);
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;
    FakeOwner owner_;
};

QTEST_MAIN(FileListTest)
#include "FileListTest.moc"
