#include "util/cFindFiles.h"

#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "platform/win/Drives.h"
#include "support/ScriptedOperator.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// While alive, the calling thread is held to the files' permission bits even when it runs as root, so a
// folder without read or search permission is as closed to the finder as it is to any other user.
class PermissionBitsApply {
public:
    PermissionBitsApply()
    {
        EXPECT_EQ(syscall(SYS_capget, &m_header, m_saved), 0);
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        EXPECT_EQ(syscall(SYS_capset, &m_header, lowered), 0);
    }
    ~PermissionBitsApply() { syscall(SYS_capset, &m_header, m_saved); }
    PermissionBitsApply(const PermissionBitsApply&) = delete;
    PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};

class FindFilesTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    QString folder() const { return m_dir.path(); }

    QString file(const QString& name, qint64 size = 1, std::optional<QDateTime> modified = std::nullopt)
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
        f.flush();
        if (modified) {
            EXPECT_TRUE(f.setFileTime(*modified, QFileDevice::FileModificationTime));
            EXPECT_TRUE(f.setFileTime(*modified, QFileDevice::FileAccessTime));
        }
        f.close();
        return p;
    }

    QString subfolder(const QString& name)
    {
        QDir().mkpath(path(name));
        return path(name);
    }

    // The entry the finder hands back for a search of the temporary folder.
    QString find(const QString& pattern = QString(), const QString& name = QStringLiteral("openssl.exe"),
                 int option = 1)
    {
        QString archivo;
        m_finder.Find(folder(), pattern, name, option, archivo);
        return archivo;
    }

    QTemporaryDir m_dir;
    cFindFiles m_finder;
};

vb::Date day(int y, int m, int d, int h = 0, int min = 0)
{
    return vb::Date::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min)));
}

} // namespace

TEST_F(FindFilesTest, HandsBackTheFolderFirstEntryWhateverItsNameAndCountsNothing)
{
    file("b.txt");
    file("c.dat");
    subfolder("Aa");
    EXPECT_EQ(find(), path("Aa"));
    EXPECT_EQ(m_finder.FilesCount(), 0);
    EXPECT_TRUE(m_finder.ColFiles().isEmpty());
    EXPECT_EQ(m_finder.DirCount(), 1);
}

TEST_F(FindFilesTest, AnEmptyStartFolderLeavesTheResultAsPassed)
{
    QString archivo = "sin cambios";
    m_finder.Find(folder(), "", "openssl", 1, archivo);
    EXPECT_EQ(archivo, "sin cambios");
}

TEST_F(FindFilesTest, PatternsChooseWhatIsEnumerated)
{
    file("a.txt");
    file("b.DLL");
    file("c.exe");
    file("d");
    struct Case {
        const char* pattern;
        const char* expected;
    };
    for (const Case& c : {Case{"*.exe", "c.exe"}, Case{"*.exe;*.dll", "b.DLL"}, Case{"*.EXE;*.txt;", "a.txt"},
                          Case{"", "a.txt"}, Case{";", "a.txt"}, Case{"*.zip;;", "d"}}) {
        EXPECT_EQ(find(c.pattern), path(c.expected)) << c.pattern;
    }
    find("*.exe;*.dll");
    EXPECT_EQ(m_finder.ColExtensions(), QStringList({"exe", "dll"}));
    find("*.exe");
    EXPECT_EQ(m_finder.ColExtensions(), QStringList({"*.exe"}));
    EXPECT_FALSE(cFindFiles().ColExtensions().has_value());
}

TEST_F(FindFilesTest, MatchingNamesAreCountedReportedAndCollected)
{
    const QString match = file("OpenSSL.txt", 10);
    QSignalSpy got(&m_finder, &cFindFiles::GetFile);
    EXPECT_EQ(find("", "openssl", 1), match);
    EXPECT_EQ(m_finder.FilesCount(), 1);
    EXPECT_DOUBLE_EQ(m_finder.TotalSize(), 10.0);
    EXPECT_EQ(m_finder.ColFiles(), QStringList{match});
    ASSERT_EQ(got.count(), 1);
    EXPECT_EQ(got.first().first().toString(), match);

    const QStringList earlier = m_finder.ColFiles();
    find("", "open", 0);
    EXPECT_EQ(m_finder.FilesCount(), 0);
    EXPECT_EQ(earlier, QStringList{match});
    find("", " OPENSSL ", 0);
    EXPECT_EQ(m_finder.FilesCount(), 1);
    find("", "openssl.txt", 1);
    EXPECT_EQ(m_finder.FilesCount(), 0);
}

TEST_F(FindFilesTest, SizeLimitsAreInclusiveAndZeroMeansNoLimit)
{
    file("a", 5);
    file("b", 10);
    file("c", 20);
    m_finder.setMinFileSize(vb::Currency::fromInt(10));
    EXPECT_EQ(find(), path("b"));
    m_finder.setMinFileSize(vb::Currency::fromInt(11));
    m_finder.setMaxFileSize(vb::Currency::fromInt(20));
    EXPECT_EQ(find(), path("c"));
    m_finder.setMaxFileSize(vb::Currency());
    m_finder.setMinFileSize(vb::Currency::fromInt(21));
    EXPECT_EQ(find(), "");
    m_finder.setMinFileSize(vb::Currency());
    m_finder.setMaxFileSize(vb::Currency::fromInt(5));
    EXPECT_EQ(find(), path("a"));
}

TEST_F(FindFilesTest, ContradictorySizeLimitsAreRefusedWithTheirMessages)
{
    kembtest::ScriptedOperator op;
    op.answerMsgBox(vb::vbOK).answerMsgBox(vb::vbOK);
    m_finder.setMinFileSize(vb::Currency::fromInt(100));
    m_finder.setMaxFileSize(vb::Currency::fromInt(50));
    EXPECT_TRUE(m_finder.MaxFileSize().isZero());
    m_finder.setMinFileSize(vb::Currency());
    m_finder.setMaxFileSize(vb::Currency::fromInt(50));
    m_finder.setMinFileSize(vb::Currency::fromInt(60));
    EXPECT_TRUE(m_finder.MinFileSize().isZero());
    EXPECT_EQ(m_finder.MaxFileSize(), vb::Currency::fromInt(50));
    const auto boxes = op.msgBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].prompt, "El valor máximo no puede ser menor al valor mínimo. cambie el valor de MinFileSize.");
    EXPECT_EQ(boxes[0].buttons, vb::vbExclamation);
    EXPECT_EQ(boxes[1].prompt, "El valor mínimo no puede ser mayor al valor máximo. Cambie el valor de MaxFileSize.");
    EXPECT_EQ(boxes[1].buttons, vb::vbExclamation);
}

TEST_F(FindFilesTest, LastWriteAndAccessDatesFilterByDay)
{
    file("a", 1, QDateTime(QDate(2020, 5, 10), QTime(12, 30)));
    file("b", 1, QDateTime(QDate(2021, 1, 2), QTime(8, 0)));
    m_finder.setDateLastModifiedFrom(day(2020, 5, 11));
    EXPECT_EQ(find(), path("b"));
    m_finder.setDateLastModifiedFrom(vb::Date());
    m_finder.setDateLastModifiedTo(day(2020, 5, 10));
    EXPECT_EQ(find(), path("a"));
    m_finder.setDateLastModifiedTo(day(2020, 5, 9));
    EXPECT_EQ(find(), "");
    m_finder.setDateLastModifiedTo(vb::Date());
    m_finder.setDateLastAccessFrom(day(2021, 1, 2, 9, 0));
    EXPECT_EQ(find(), "");
    m_finder.setDateLastAccessFrom(day(2021, 1, 2));
    EXPECT_EQ(find(), path("b"));
    m_finder.setDateLastAccessFrom(vb::Date());
    m_finder.setDateLastAccessTo(day(2020, 12, 31));
    EXPECT_EQ(find(), path("a"));
}

TEST_F(FindFilesTest, CreationDateLimitsIncludeTheToDayAndExcludeAFromDayWithATime)
{
    file("a");
    const vb::Date today = vb::Date::Now().datePart();
    m_finder.setDateCreationTo(today);
    EXPECT_EQ(find(), path("a"));
    m_finder.setDateCreationTo(vb::Date());
    m_finder.setDateCreationFrom(vb::Date(today.serial() + 0.25));
    EXPECT_EQ(find(), "");
    m_finder.setDateCreationFrom(today);
    EXPECT_EQ(find(), path("a"));
}

TEST_F(FindFilesTest, AttributesNeedTheExactWord)
{
    subfolder("a");
    const QString readOnly = file("b");
    file("c");
    file(".d");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    EXPECT_EQ(m_finder.Attributes(), 0);
    EXPECT_EQ(find(), path(".d"));
    m_finder.setAttributes(0);
    EXPECT_EQ(m_finder.Attributes(), 32);
    EXPECT_EQ(find(), path("c"));
    m_finder.setAttributes(1);
    EXPECT_EQ(find(), path("b"));
    m_finder.setAttributes(2);
    EXPECT_EQ(find(), path(".d"));
    m_finder.setAttributes(16 - 32);
    EXPECT_EQ(find(), path("a"));
    EXPECT_THROW(m_finder.setAttributes(2147483616), vb::Error);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(FindFilesTest, SubfoldersAreSearchedWhenTheFolderHasNoMatchAndTheFirstMatchIsHandedBack)
{
    subfolder("s1");
    subfolder("s2");
    const QString first = file("s1/f", 5);
    const QString second = file("s2/g", 7);
    m_finder.setMinFileSize(vb::Currency::fromInt(1));
    EXPECT_EQ(find("", ""), first);
    EXPECT_EQ(m_finder.ColFiles(), QStringList({first, second}));
    EXPECT_EQ(m_finder.DirCount(), 2);
    EXPECT_DOUBLE_EQ(m_finder.TotalSize(), 12.0);

    m_finder.setSearchSubDirs(false);
    EXPECT_EQ(find("", ""), "");
    EXPECT_EQ(m_finder.DirCount(), 0);
}

TEST_F(FindFilesTest, FoldersAreReadInNameOrderWithoutRegardToCaseAndDepthFirst)
{
    file("raiz.txt", 0);
    file("beta/x", 4);
    file("Alfa/b2", 2);
    file("Alfa/A1", 0);
    file("Alfa/a3", 3);
    file("Alfa/Sub/oculto", 9);
    file("Delta/vacio", 0);
    file("Delta/Hondo/h", 6);
    file("gamma/g", 5);
    QStringList reported;
    QObject::connect(&m_finder, &cFindFiles::GetFile, &m_finder, [&reported](const QString& p) { reported << p; });
    m_finder.setMinFileSize(vb::Currency::fromInt(1));

    EXPECT_EQ(find("", ""), path("Alfa/a3"));
    const QStringList expected{path("Alfa/a3"), path("beta/x"), path("Delta/Hondo/h"), path("gamma/g")};
    EXPECT_EQ(m_finder.ColFiles(), expected);
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(m_finder.FilesCount(), 4);
    EXPECT_DOUBLE_EQ(m_finder.TotalSize(), 3.0 + 4 + 6 + 5);
    // Every subfolder listed counts, also those of a folder whose search ended at its first match.
    EXPECT_EQ(m_finder.DirCount(), 4 + 1 + 1);

    // A pattern with one entry enumerates only the names it matches, in the same order.
    file("gamma/B.log", 1);
    file("gamma/a.LOG", 1);
    EXPECT_EQ(find("*.log", ""), path("gamma/a.LOG"));
    EXPECT_EQ(find("?.log", ""), path("gamma/a.LOG"));
    EXPECT_EQ(find("b.*", ""), path("gamma/B.log"));
    EXPECT_EQ(find("*.log;*.dat", ""), path("gamma/a.LOG"));
}

TEST_F(FindFilesTest, EventsComeInSearchOrderAcrossDrives)
{
    file("C/vacio", 0);
    file("C/datos/c1", 3);
    file("D/d1", 4);
    win::setLogicalDrivesOverride({path("C"), path("D") + "/"});
    cFindFiles finder;
    win::setLogicalDrivesOverride({});
    EXPECT_EQ(finder.ColDrives(), QStringList({path("C"), path("D") + "/"}));
    QStringList events;
    QObject::connect(&finder, &cFindFiles::InitSearch, &finder, [&events]() { events << "InitSearch"; });
    QObject::connect(&finder, &cFindFiles::GetFile, &finder, [&events](const QString& p) { events << p; });
    QObject::connect(&finder, &cFindFiles::EndSearch, &finder, [&events]() { events << "EndSearch"; });
    finder.setMinFileSize(vb::Currency::fromInt(1));

    QString archivo;
    finder.Find("", "", "", 1, archivo);
    EXPECT_EQ(events, QStringList({"InitSearch", path("C/datos/c1"), path("D/d1"), "EndSearch"}));
    EXPECT_EQ(archivo, path("C/datos/c1"));
    EXPECT_EQ(finder.DirCount(), 1);

    events.clear();
    finder.Find(path("D"), "", "", 1, archivo);
    EXPECT_EQ(events, QStringList({"InitSearch", path("D/d1")}));
}

TEST_F(FindFilesTest, AttributeWordsOfHiddenSystemAndLinkedEntries)
{
    const QString plain = file("archivo", 7);
    const QString hidden = file(".oculto");
    const QString readOnly = file("solo_lectura");
    const QString hiddenReadOnly = file(".oculto_solo_lectura");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    QFile::setPermissions(hiddenReadOnly, QFileDevice::ReadOwner);
    const QString folder = subfolder("carpeta");
    const QString hiddenFolder = subfolder(".carpeta");
    const QString pipe = path("tuberia");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(plain, path("enlace")));
    ASSERT_TRUE(QFile::link(folder, path("enlace_carpeta")));
    ASSERT_TRUE(QFile::link(path("falta"), path("roto")));
    ASSERT_TRUE(QFile::link(path("falta"), path(".roto")));

    struct Case {
        QString entry;
        std::int32_t word;
    };
    const Case cases[] = {
        {plain, 0x20},
        {hidden, 0x22},
        {readOnly, 0x21},
        {hiddenReadOnly, 0x23},
        {folder, 0x10},
        {hiddenFolder, 0x12},
        {pipe, 0x4},
        {path("enlace"), 0x420},
        {path("roto"), 0x404},
        {path(".roto"), 0x406},
        {path("enlace_carpeta"), 0x410},
    };
    for (const Case& c : cases) {
        m_finder.setAttributes(c.word - 32);
        EXPECT_EQ(find(), c.entry) << c.word;
    }
    // A link that leads back to itself is as broken as one that leads nowhere.
    ASSERT_TRUE(QFile::remove(path("roto")));
    ASSERT_TRUE(QFile::link(path("bucle"), path("bucle")));
    m_finder.setAttributes(0x404 - 32);
    EXPECT_EQ(find(), path("bucle"));
    // Only the two real folders are subfolders; a linked folder is never entered.
    EXPECT_EQ(m_finder.DirCount(), 2);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(hiddenReadOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(FindFilesTest, LinksAreMeasuredAndDatedByWhatTheyLeadTo)
{
    const QDateTime old(QDate(2020, 5, 10), QTime(12, 30));
    const QString target = file("z_destino", 7, old);
    ASSERT_TRUE(QFile::link(target, path("a_enlace")));
    ASSERT_TRUE(QFile::link(path("falta"), path("b_roto")));
    subfolder("m_carpeta");
    file("m_carpeta/dentro", 50, old);
    ASSERT_TRUE(QFile::link(path("m_carpeta"), path("c_enlace_carpeta")));

    m_finder.setMinFileSize(vb::Currency::fromInt(7));
    m_finder.setMaxFileSize(vb::Currency::fromInt(7));
    EXPECT_EQ(find("", ""), path("a_enlace"));
    EXPECT_EQ(m_finder.ColFiles(), QStringList{path("a_enlace")});
    m_finder.setMaxFileSize(vb::Currency());
    m_finder.setMinFileSize(vb::Currency::fromInt(50));
    EXPECT_EQ(find("", ""), path("m_carpeta/dentro"));
    EXPECT_EQ(m_finder.ColFiles(), QStringList{path("m_carpeta/dentro")});
    m_finder.setMinFileSize(vb::Currency());

    // A link's dates are those of its target; a broken link has none, so only a lower limit rejects it.
    m_finder.setDateLastModifiedTo(day(2020, 5, 10));
    EXPECT_EQ(find(), path("a_enlace"));
    m_finder.setDateLastModifiedTo(vb::Date());
    m_finder.setDateLastModifiedFrom(day(2020, 5, 11));
    EXPECT_EQ(find(), path("c_enlace_carpeta"));
    m_finder.setDateLastModifiedFrom(vb::Date());
    m_finder.setAttributes(0x404 - 32);
    m_finder.setDateLastAccessTo(day(2020, 1, 1));
    m_finder.setDateCreationTo(day(2020, 1, 1));
    EXPECT_EQ(find(), path("b_roto"));
    m_finder.setDateCreationFrom(day(2020, 1, 1));
    EXPECT_EQ(find(), "");
}

TEST_F(FindFilesTest, FoldersThatCannotBeReadOrSearchedAreListedButYieldNothing)
{
    file("a_cerrada/dentro", 5);
    file("b_abierta/f", 5);
    file("c_sin_paso/archivo", 5);
    file("c_sin_paso/sub/hondo", 5);
    QFile::setPermissions(path("a_cerrada"), {});
    QFile::setPermissions(path("c_sin_paso"), QFileDevice::ReadOwner);
    {
        const PermissionBitsApply bits;
        m_finder.setMinFileSize(vb::Currency::fromInt(1));
        EXPECT_EQ(find("", ""), path("b_abierta/f"));
        EXPECT_EQ(m_finder.ColFiles(), QStringList{path("b_abierta/f")});
        EXPECT_EQ(m_finder.DirCount(), 3);

        // The names in a folder without search permission are read, but nothing more is known of them than
        // their kind: no size, no dates; they are read-only, and such a folder is not searched.
        m_finder.setMinFileSize(vb::Currency());
        m_finder.setDateLastModifiedTo(day(2000, 1, 1));
        QString archivo;
        m_finder.Find(path("c_sin_paso"), "", "", 1, archivo);
        EXPECT_EQ(archivo, path("c_sin_paso/archivo"));
        EXPECT_EQ(m_finder.ColFiles(), QStringList{path("c_sin_paso/archivo")});
        EXPECT_EQ(m_finder.DirCount(), 0);
        struct Case {
            std::int32_t word;
            const char* entry;
        };
        for (const Case& c : {Case{0x21, "c_sin_paso/archivo"}, Case{0x11, "c_sin_paso/sub"}}) {
            m_finder.setAttributes(c.word - 32);
            archivo.clear();
            m_finder.Find(path("c_sin_paso"), "*.*;", "", 1, archivo);
            EXPECT_EQ(archivo, path(c.entry)) << c.word;
            EXPECT_EQ(m_finder.DirCount(), 0);
        }
        m_finder.setDateLastModifiedFrom(day(2000, 1, 1));
        archivo.clear();
        m_finder.Find(path("c_sin_paso"), "", "", 1, archivo);
        EXPECT_EQ(archivo, "");
        archivo.clear();
        m_finder.Find(path("a_cerrada"), "", "", 1, archivo);
        EXPECT_EQ(archivo, "");
    }
    QFile::setPermissions(path("a_cerrada"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path("c_sin_paso"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(FindFilesTest, NamesThatAreNotTextAreNotListed)
{
    file("b", 1);
    const auto raw = [this](const QByteArray& name, qint64 size) {
        const QByteArray native = QFile::encodeName(folder()) + '/' + name;
        FILE* out = fopen(native.constData(), "wb");
        ASSERT_NE(out, nullptr);
        fwrite(QByteArray(size, 'x').constData(), 1, size, out);
        fclose(out);
    };
    raw("a\xff\xfe", 5);
    raw("\xef\xbb\xbfz", 5);
    EXPECT_EQ(find("", ""), path("b"));
    m_finder.setMinFileSize(vb::Currency::fromInt(5));
    // A byte-order mark at the start of a name is part of the name.
    EXPECT_EQ(find("", ""), path(QString(QChar(0xFEFF)) + "z"));
    EXPECT_EQ(m_finder.FilesCount(), 1);
}

TEST_F(FindFilesTest, StopSearchEntersNoFurtherFolder)
{
    subfolder("s1");
    subfolder("s2");
    file("s1/f", 5);
    file("s2/g", 5);
    m_finder.setMinFileSize(vb::Currency::fromInt(1));
    QObject::connect(&m_finder, &cFindFiles::GetFile, &m_finder, [this]() { m_finder.StopSearch(); });
    find("", "");
    EXPECT_EQ(m_finder.FilesCount(), 1);
}

TEST_F(FindFilesTest, EndSearchComesOnceAfterAllDrivesAndNotForAFolder)
{
    QSignalSpy init(&m_finder, &cFindFiles::InitSearch);
    QSignalSpy end(&m_finder, &cFindFiles::EndSearch);
    file("a");
    find();
    EXPECT_EQ(init.count(), 1);
    EXPECT_EQ(end.count(), 0);

    EXPECT_EQ(m_finder.ColDrives(), QStringList{"/"});
    QString archivo;
    m_finder.Find("", "", "openssl.exe", 1, archivo);
    EXPECT_EQ(init.count(), 2);
    EXPECT_EQ(end.count(), 1);
    EXPECT_TRUE(archivo.startsWith("/")) << archivo.toStdString();
    EXPECT_TRUE(QFileInfo::exists(archivo));
}

TEST_F(FindFilesTest, ABadNameIsRefusedWithItsMessageAndNoSearch)
{
    file("a");
    find("", "a");
    QSignalSpy init(&m_finder, &cFindFiles::InitSearch);
    QSignalSpy end(&m_finder, &cFindFiles::EndSearch);
    for (const char* name : {"a*", "a|b", "a>b", "a<b", "a?", "c:x", "a/b", "a\\b"}) {
        kembtest::ScriptedOperator op;
        op.answerMsgBox(vb::vbOK, [](const kembtest::Shown& s) {
            EXPECT_EQ(s.prompt,
                      "El nombre de archivo no puede contener ninguno de estos caracteres : / \\ * ? : | < > ");
            EXPECT_EQ(s.buttons, vb::vbCritical | vb::vbOKOnly);
            EXPECT_EQ(s.title, "Error en nombre de archivo");
        });
        QString archivo = "igual";
        m_finder.Find(folder(), "", name, 1, archivo);
        EXPECT_EQ(archivo, "igual");
    }
    EXPECT_EQ(init.count(), 0);
    EXPECT_EQ(end.count(), 8);
    EXPECT_EQ(m_finder.FilesCount(), 1);
}

TEST_F(FindFilesTest, AnErrorRaisedByAListenerIsShownAndEndsTheSearch)
{
    file("a");
    QObject::connect(&m_finder, &cFindFiles::InitSearch, &m_finder,
                     []() { throw vb::Error(53, "No se encontró el archivo"); });
    QSignalSpy end(&m_finder, &cFindFiles::EndSearch);
    kembtest::ScriptedOperator op;
    op.answerMsgBox(vb::vbOK, [](const kembtest::Shown& s) {
        EXPECT_EQ(s.prompt, "No se encontró el archivo");
        EXPECT_EQ(s.buttons, vb::vbCritical);
        EXPECT_EQ(s.title, "Error: 53");
    });
    find();
    EXPECT_EQ(end.count(), 1);
}

TEST(FindFiles, GetFormatSizeUsesTheUsersDecimalSeparator)
{
    const cFindFiles finder;
    struct Case {
        double bytes;
        const char* text;
    };
    for (const Case& c : {Case{0, "0 bytes"}, Case{1023, "1023 bytes"}, Case{1024, "1,00 KB"}, Case{1536, "1,50 KB"},
                          Case{1048576, "1,00 MB"}, Case{5.25 * 1048576, "5,25 MB"}, Case{1073741824, "1,00 GB"},
                          Case{2048.0 * 1073741824, "2048,00 GB"}}) {
        EXPECT_EQ(finder.GetFormatSize(c.bytes), QString(c.text)) << c.bytes;
    }
}

TEST_F(FindFilesTest, GetFileDateTimeByOption)
{
    const QString a = file("a", 1, QDateTime(QDate(2020, 5, 10), QTime(12, 30, 45)));
    EXPECT_EQ(m_finder.GetFileDateTime(a, 1), day(2020, 5, 10));
    EXPECT_EQ(m_finder.GetFileDateTime(a, 2), day(2020, 5, 10));
    EXPECT_EQ(m_finder.GetFileDateTime(a, 4), vb::Date((12 * 60 + 30) / 1440.0));
    EXPECT_EQ(m_finder.GetFileDateTime(a, 7), vb::Date::fromDateTime(QDateTime(QDate(2020, 5, 10), QTime(12, 30, 45))));
    EXPECT_EQ(m_finder.GetFileDateTime(a, 0), vb::Date::Now().datePart());
    EXPECT_TRUE(m_finder.GetFileDateTime(a, 9).isZero());
    EXPECT_TRUE(m_finder.GetFileDateTime(path("falta"), 1).isZero());
}

TEST_F(FindFilesTest, FileAndPathQuestions)
{
    const QString a = file("informe.tar.gz");
    const QString dir = subfolder("sub");
    EXPECT_TRUE(m_finder.FileExist(a));
    EXPECT_TRUE(m_finder.FileExist(dir + "/"));
    EXPECT_FALSE(m_finder.FileExist(path("falta")));
    EXPECT_TRUE(m_finder.IsDirectory(dir));
    EXPECT_FALSE(m_finder.IsDirectory(a));
    EXPECT_EQ(m_finder.GetFileName(a).toString(), "informe.tar.gz");
    EXPECT_EQ(m_finder.GetExtension(a), "gz");
    EXPECT_EQ(m_finder.GetExtension(dir), "");
    EXPECT_EQ(m_finder.GetDriveFromPath(a), "/");
    EXPECT_EQ(m_finder.GetDriveFromPath("C:\\OpenSSL\\bin"), "C:\\");
    EXPECT_EQ(m_finder.GetDriveFromPath("\\\\srv\\datos\\x.txt"), "\\\\srv\\datos\\");
    EXPECT_EQ(m_finder.GetDriveFromPath("relativo/x"), "");
    EXPECT_FALSE(m_finder.GetFileType(a).isEmpty());
    EXPECT_EQ(m_finder.GetFileType(path("falta")), "");
}

TEST(FindFiles, CompactPathShortensFoldersBeforeTheName)
{
    const cFindFiles finder;
    const QString p = "C:\\path1\\path2\\sample.txt";
    EXPECT_EQ(finder.CompactPath(p, 26), p);
    EXPECT_EQ(finder.CompactPath(p, 19), "C:\\p...\\sample.txt");
    EXPECT_EQ(finder.CompactPath(p, 19).size(), 18);
    EXPECT_EQ(finder.CompactPath("/home/ana/documentos/largo.txt", 20), "/home/.../largo.txt");
    EXPECT_EQ(finder.CompactPath(p, 10), "sample...");
    EXPECT_EQ(finder.CompactPath(p, 0), "");
}

TEST(FindFiles, DrivesAnswerForTheRoot)
{
    const cFindFiles finder;
    EXPECT_TRUE(finder.DriveIsReady("/"));
    EXPECT_FALSE(finder.DriveIsReady("Q"));
    EXPECT_EQ(finder.GetDriveType("/no/existe"), "DRIVE_NO_ROOT_DIR");
    EXPECT_EQ(finder.GetDriveType("C:"), "DRIVE_NO_ROOT_DIR");
    const QStringList known{"DRIVE_FIXED", "DRIVE_RAMDISK", "DRIVE_REMOTE", "DRIVE_REMOVABLE", "DRIVE_CDROM"};
    EXPECT_TRUE(known.contains(finder.GetDriveType("/")));

    std::int32_t serial = 0;
    QString label = "x";
    QString fileSystem;
    finder.GetDriveInfo("/", serial, label, fileSystem);
    EXPECT_FALSE(fileSystem.isEmpty());
    std::int32_t untouched = 7;
    QString keep = "igual";
    finder.GetDriveInfo("/no/existe", untouched, keep, keep);
    EXPECT_EQ(untouched, 7);
    EXPECT_EQ(keep, "igual");

    vb::Currency freeSpace;
    vb::Currency totalSpace;
    EXPECT_TRUE(finder.GetDiskFreeSpace("/", freeSpace, totalSpace).isZero());
    EXPECT_GT(totalSpace, vb::Currency());
    EXPECT_LE(freeSpace, totalSpace);
}

TEST_F(FindFilesTest, IconsOfAFile)
{
    const QString a = file("a.txt");
    const QPixmap small = m_finder.LoadIcon(0x100 | 0x1, a);
    EXPECT_FALSE(small.isNull());
    EXPECT_EQ(small.width(), 16);
    EXPECT_EQ(m_finder.LoadIcon(0x100, a).width(), 32);
    EXPECT_TRUE(m_finder.LoadIcon(0x100, path("falta")).isNull());
    EXPECT_TRUE(m_finder.LoadIcon(0x400, a).isNull());

    QImage canvas(64, 64, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    EXPECT_TRUE(m_finder.DrawIcon(a, &painter, 0, 0, 32, 32));
    EXPECT_FALSE(m_finder.DrawIcon(path("falta"), &painter, 0, 0, 32, 32));
    EXPECT_FALSE(m_finder.DrawIcon(a, nullptr, 0, 0, 32, 32));
}

TEST_F(FindFilesTest, GetExecutableFindsTheAssociatedProgram)
{
    const QString doc = file("nota.txt");
    const QString program = file("programa.sh");
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(m_finder.GetExecutable(program), program);
    EXPECT_EQ(m_finder.GetExecutable(path("falta.txt")), "");

    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_CONFIG_HOME", subfolder("config").toUtf8());
    qputenv("XDG_DATA_HOME", subfolder("data").toUtf8());
    subfolder("data/applications");
    QFile list(path("config/mimeapps.list"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("[Default Applications]\ntext/plain=kemb-visor.desktop;\n");
    list.close();
    QFile desktop(path("data/applications/kemb-visor.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.write("[Desktop Entry]\nType=Application\nName=Visor\nExec=" + program.toUtf8() + " %f\n");
    desktop.close();
    EXPECT_EQ(m_finder.GetExecutable(doc), program);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    qputenv("XDG_DATA_HOME", oldData);
}

TEST(FindFiles, BrowseForFolderAsksTheOperator)
{
    const cFindFiles finder;
    kembtest::ScriptedOperator op;
    op.answerFolder("/home/ana").answerFolder("");
    EXPECT_EQ(finder.BrowseForFolder(nullptr, "Elegir"), "/home/ana");
    EXPECT_EQ(op.shown().back().title, "Elegir");
    EXPECT_EQ(finder.BrowseForFolder(nullptr, "Elegir"), "");
}
