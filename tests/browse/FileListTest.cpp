#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "FakeOwner.h"
#include "MessageBoxAnswerer.h"
#include "browse/FileList.h"
#include "browse/FileListHeader.h"
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

QStringList Names(const FileList& list)
{
    return Column(list, browse::kNameColumn);
}

void ClickHeader(FileList& list, int column)
{
    QHeaderView* header = list.header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void SelectRows(FileList& list, const QList<int>& rows)
{
    list.selectionModel()->clear();
    for (const int row : rows) {
        list.selectionModel()->select(list.model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

// Knows the names of a few types and counts how often it was asked.
struct CountingTypeNames {
    QString operator()(const QString& path, bool isFolder)
    {
        asked->append(path);
        if (isFolder)
            return "Folder";
        if (path.endsWith(".mp3"))
            return "MP3 audio";
        if (path.endsWith(".wav"))
            return "WAV audio";
        return QString();
    }
    std::shared_ptr<QStringList> asked = std::make_shared<QStringList>();
};

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

    void folderListingHasParentFirstFoldersAndFilteredFiles()
    {
        QDir(folder_).mkpath("Album.mp3");
        QDir(folder_).mkpath(".hidden");
        MakeFile(folder_ + "Song.MP3", 10);
        MakeFile(folder_ + "song.mp3.txt", 10);
        MakeFile(folder_ + ".secret.mp3", 10);
        MakeFile(folder_ + "Tune.FLAC", 10);
        FileList list(
            owner_, [] { return QStringList(); }, CountingTypeNames());

        owner_.filter = browse::kFilterMp3;
        list.ShowFolder(folder_ + "//");
        QCOMPARE(list.CurrentFolder(), folder_);
        QCOMPARE(Names(list), (QStringList{"..", ".hidden", "Album.mp3", ".secret.mp3", "Song.MP3"}));
        QVERIFY(list.isEnabled());
        QVERIFY(list.updatesEnabled());

        owner_.filter = browse::kFilterMusic;
        list.ShowFolder(folder_);
        QCOMPARE(Names(list), (QStringList{"..", ".hidden", "Album.mp3", ".secret.mp3", "Song.MP3", "Tune.FLAC"}));

        owner_.filter = browse::kFilterAll;
        list.ShowFolder(folder_.chopped(1));
        QCOMPARE(Names(list),
                 (QStringList{"..", ".hidden", "Album.mp3", ".secret.mp3", "Song.MP3", "song.mp3.txt", "Tune.FLAC"}));
        // A folder named like a file is typed as a folder.
        QCOMPARE(Column(list, browse::kTypeColumn)[2], QString("Folder"));

        owner_.filter = 7;
        list.ShowFolder(folder_);
        QCOMPARE(Names(list), (QStringList{"..", ".hidden", "Album.mp3"}));

        MessageBoxAnswerer answerer;
        list.ShowFolder(folder_ + "missing");
        QCOMPARE(Names(list), QStringList{".."});
        QCOMPARE(answerer.texts,
                 QStringList{"Cannot open the folder \"" + folder_ + "missing/\": No such file or directory."});
    }

    void aLargeFolderIsListedWhole()
    {
        for (int i = 0; i < 150; ++i)
            MakeFile(folder_ + QString("track%1.mp3").arg(i, 3, 10, QChar('0')), i);
        owner_.filter = browse::kFilterMp3;
        FileList list(owner_);
        list.show();
        list.setFocus();
        list.ShowFolder(folder_);
        QCOMPARE(list.model()->rowCount(), 151);
        QVERIFY(list.isEnabled());
        QVERIFY(list.updatesEnabled());
    }

    void sizeTexts()
    {
        QCOMPARE(FileListModel::SizeText(0), QString("0"));
        QCOMPARE(FileListModel::SizeText(1023), QString("1023"));
        QCOMPARE(FileListModel::SizeText(1024), QString("1 KB"));
        QCOMPARE(FileListModel::SizeText(1048575), QString("1023 KB"));
        QCOMPARE(FileListModel::SizeText(1048576), QString("1 MB"));
        QCOMPARE(FileListModel::SizeText(-1), QString());

        QDir(folder_).mkdir("Folder");
        MakeFile(folder_ + "big.bin", 5LL << 30);
        FileList list(owner_);
        list.ShowFolder(folder_);
        QCOMPARE(Column(list, browse::kSizeColumn), (QStringList{"", "", "5120 MB"}));
        QCOMPARE(list.model()->index(2, browse::kSizeColumn).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                     Qt::AlignRight,
                 Qt::AlignRight);
    }

    void modifiedTimeIsLocalShortDateAnd24HourTime()
    {
        MakeFile(folder_ + "song.mp3", 1);
        const QDateTime when(QDate(2003, 11, 7), QTime(21, 5, 59));
        {
            QFile file(folder_ + "song.mp3");
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
        }
        FileList list(owner_);
        list.ShowFolder(folder_);
        QCOMPARE(Column(list, browse::kModifiedColumn),
                 (QStringList{"", QLocale::system().toString(when.date(), QLocale::ShortFormat) + " 21:05"}));
        QCOMPARE(list.model()->index(0, browse::kTypeColumn).data().toString(), QString());
    }

    void driveListHasTypesButNoTimes()
    {
        const QStringList drives{folder_ + "b", folder_ + "A", folder_ + "c"};
        FileList list(owner_, [&] { return drives; });
        list.ShowFolder(folder_);
        list.ShowFolder("");
        QCOMPARE(list.CurrentFolder(), QString());
        QCOMPARE(Names(list).first(), drives.first());
        QCOMPARE(Column(list, browse::kModifiedColumn), (QStringList{"", "", ""}));
        QCOMPARE(Column(list, browse::kSizeColumn), (QStringList{"", "", ""}));
        QVERIFY(!list.model()->index(0, browse::kTypeColumn).data().toString().isEmpty());
    }

    void rowZeroStaysFirstUnderEverySort()
    {
        QDir(folder_).mkdir("zfolder");
        MakeFile(folder_ + "a.mp3", 5);
        MakeFile(folder_ + "b.wav", 1);
        const QStringList drives{folder_ + "m", folder_ + "a", folder_ + "z"};
        FileList list(owner_, [&] { return drives; });
        for (const QString& shown : {folder_, QString()}) {
            list.ShowFolder(shown);
            const QString first = Names(list).first();
            for (int column = 0; column < 4; ++column) {
                for (const int order : {browse::kAscending, browse::kDescending}) {
                    list.SortBy(column, order);
                    QCOMPARE(Names(list).first(), first);
                }
            }
        }
        list.SortBy(0, browse::kDescending);
        QCOMPARE(Names(list), (QStringList{folder_ + "m", folder_ + "z", folder_ + "a"}));
    }

    void headerClicksOnFilesizeAndFiletype()
    {
        QDir(folder_).mkdir("Beta");
        QDir(folder_).mkdir("alpha");
        MakeFile(folder_ + "small.mp3", 10);
        MakeFile(folder_ + "large.wav", 3000);
        MakeFile(folder_ + "b-same.mp3", 100);
        MakeFile(folder_ + "a-same.wav", 100);
        FileList list(owner_, DriveList::Read, CountingTypeNames());
        list.resize(600, 300);
        list.show();
        list.ShowFolder(folder_);
        auto* header = qobject_cast<FileListHeader*>(list.header());
        QCOMPARE(header->SortSection(), 0);
        QCOMPARE(header->SortOrder(), browse::kAscending);

        ClickHeader(list, browse::kSizeColumn);
        QCOMPARE(Names(list),
                 (QStringList{"..", "alpha", "Beta", "small.mp3", "a-same.wav", "b-same.mp3", "large.wav"}));
        QCOMPARE(list.sortOrder(), browse::kAscending);
        ClickHeader(list, browse::kSizeColumn);
        QCOMPARE(Names(list),
                 (QStringList{"..", "large.wav", "b-same.mp3", "a-same.wav", "small.mp3", "Beta", "alpha"}));
        QCOMPARE(header->SortSection(), browse::kSizeColumn);
        QCOMPARE(header->SortOrder(), browse::kDescending);
        ClickHeader(list, browse::kTypeColumn);
        QCOMPARE(list.sortColumn(), browse::kTypeColumn);
        QCOMPARE(list.sortOrder(), browse::kAscending);
        QCOMPARE(Names(list),
                 (QStringList{"..", "alpha", "Beta", "b-same.mp3", "small.mp3", "a-same.wav", "large.wav"}));

        // The order stays for the next folder.
        list.ShowFolder(folder_ + "alpha");
        QCOMPARE(header->SortSection(), browse::kTypeColumn);
    }

    void selectionFollowsItsRowsAcrossASort()
    {
        MakeFile(folder_ + "a.mp3", 300);
        MakeFile(folder_ + "b.mp3", 200);
        MakeFile(folder_ + "c.mp3", 100);
        FileList list(owner_);
        list.ShowFolder(folder_);
        SelectRows(list, {0, 1, 3});  // "..", a.mp3, c.mp3
        list.SortBy(browse::kSizeColumn, browse::kAscending);
        QCOMPARE(Names(list), (QStringList{"..", "c.mp3", "b.mp3", "a.mp3"}));
        // Row 0 does not carry its selection.
        QCOMPARE(list.SelectedMusicPaths(), (QStringList{folder_ + "c.mp3", folder_ + "a.mp3"}));
    }

    void theMusicFilesOfASelectionGoToTheBurnList()
    {
        QDir(folder_).mkdir("folder.mp3");
        MakeFile(folder_ + "One.MP3", 1);
        MakeFile(folder_ + "two.mp3", 1);
        MakeFile(folder_ + "three.flac", 1);
        MakeFile(folder_ + "mp3.txt", 1);
        FileList list(owner_);
        list.ShowFolder(folder_);
        QCOMPARE(Names(list), (QStringList{"..", "folder.mp3", "mp3.txt", "One.MP3", "three.flac", "two.mp3"}));
        QVERIFY(!list.SelectionHasMusic());
        SelectRows(list, {3, 5});
        QVERIFY(list.SelectionHasMusic());
        QCOMPARE(list.SelectedMusicPaths(), (QStringList{folder_ + "One.MP3", folder_ + "two.mp3"}));
        QCOMPARE(list.SelectedMusicFiles().front().size, 1);
        SelectRows(list, {0, 1, 2, 4});
        QCOMPARE(list.SelectedMusicPaths(), QStringList{folder_ + "three.flac"});
        SelectRows(list, {0, 1, 2});
        QVERIFY(!list.SelectionHasMusic());
    }

    void typeNamesFallBackAndAreCachedByExtension()
    {
        MakeFile(folder_ + "a.xyz", 1);
        MakeFile(folder_ + "README", 1);
        MakeFile(folder_ + "one.mp3", 1);
        MakeFile(folder_ + "two.MP3", 1);
        MakeFile(folder_ + "trailing.", 1);
        CountingTypeNames typeNames;
        FileList list(owner_, DriveList::Read, typeNames);
        list.ShowFolder(folder_);
        QCOMPARE(Names(list), (QStringList{"..", "a.xyz", "one.mp3", "README", "trailing.", "two.MP3"}));
        QCOMPARE(Column(list, browse::kTypeColumn),
                 (QStringList{"", "XYZ-file", "MP3 audio", "File", "File", "MP3 audio"}));
        // The second MP3 file was typed by its extension, without asking.
        QCOMPARE(typeNames.asked->filter(".mp3", Qt::CaseInsensitive), QStringList{folder_ + "one.mp3"});
        // Each path is asked once; showing the rows again asks nothing.
        const qsizetype asked = typeNames.asked->size();
        Column(list, browse::kTypeColumn);
        list.SortBy(browse::kTypeColumn, browse::kAscending);
        QCOMPARE(typeNames.asked->size(), asked);
    }

    void iconsAreLookedUpOnlyForShownRows()
    {
        for (int i = 0; i < 300; ++i)
            MakeFile(folder_ + QString("f%1.mp3").arg(i, 3, 10, QChar('0')), 1);
        FileList list(owner_);
        list.resize(500, 200);
        list.show();
        list.ShowFolder(folder_);
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCoreApplication::processEvents();
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
