#include "util/FrmDir.h"

#include "platform/vb/Twips.h"
#include "platform/win/Drives.h"
#include "support/ModalDriver.h"
#include "util/DirListBox.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The root of the drive that holds the current folder, which the window's load opens.
QString folderAtLoad()
{
    return QDir::toNativeSeparators(QDir(QDir::currentPath()).rootPath());
}

TEST(FrmDirTest, Design)
{
    FrmDir w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Seleccione un directorio"));
    EXPECT_EQ(w.size(), vb::twipsSize(6150, 5880));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    struct Control {
        const char* name;
        QRect where;
    };
    for (const Control& c :
         {Control{"Label1", vb::twips(120, 120, 1095, 255)}, Control{"Drive1", vb::twips(1320, 120, 4695, 315)},
          Control{"Dir1", vb::twips(120, 480, 5895, 4365)}, Control{"LblDir", vb::twips(120, 4920, 5895, 375)},
          Control{"CmdAceptar", vb::twips(720, 5400, 2175, 375)},
          Control{"CmdCancelar", vb::twips(3000, 5400, 2175, 375)}}) {
        auto* widget = w.findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->geometry(), c.where) << c.name;
    }
    EXPECT_EQ(w.findChild<QLabel*>("Label1")->text(), QStringLiteral("Disco:"));
    EXPECT_TRUE(w.findChild<QLabel*>("Label1")->font().bold());
    EXPECT_EQ(w.findChild<QPushButton*>("CmdAceptar")->text(), QStringLiteral("&Aceptar"));
    EXPECT_TRUE(w.findChild<QPushButton*>("CmdAceptar")->isDefault());
    EXPECT_EQ(w.findChild<QPushButton*>("CmdCancelar")->text(), QStringLiteral("&Cancelar"));
    EXPECT_EQ(w.findChild<QLabel*>("LblDir")->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xC0));
    EXPECT_GE(w.findChild<QComboBox*>("Drive1")->count(), 1);
    EXPECT_EQ(w.SelPath, QString());
}

TEST(FrmDirTest, LoadOpensTheCurrentDrive)
{
    FrmDir w;
    EXPECT_EQ(w.findChild<DirListBox*>("Dir1")->Path().compare(folderAtLoad(), Qt::CaseInsensitive), 0);
}

// Started from the drive's root, loading does not move the list; the label still names its folder.
TEST(FrmDirTest, TheLabelNamesTheFolderOpenAtLoadEvenWhenItStartedThere)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QDir(before).rootPath()));
    FrmDir w;
    QDir::setCurrent(before);
    const QString shown = w.findChild<DirListBox*>("Dir1")->Path();
    EXPECT_EQ(shown.compare(folderAtLoad(), Qt::CaseInsensitive), 0);
    EXPECT_EQ(w.findChild<QLabel*>("LblDir")->text(), shown);
}

TEST(FrmDirTest, AcceptingUntouchedGivesTheFolderShownAtLoad)
{
    FrmDir w;
    const QString shown = w.findChild<DirListBox*>("Dir1")->Path();
    kembtest::whenShown<FrmDir>([](FrmDir* d) { QTest::keyClick(d, Qt::Key_Return); });
    w.exec();
    EXPECT_EQ(w.SelPath, shown);
    EXPECT_FALSE(w.isVisible());
}

TEST(FrmDirTest, EscapeGivesNothing)
{
    FrmDir w;
    w.SelPath = QStringLiteral("antes");
    kembtest::whenShown<FrmDir>([](FrmDir* d) { QTest::keyClick(d, Qt::Key_Escape); });
    w.exec();
    EXPECT_EQ(w.SelPath, QString());
    EXPECT_FALSE(w.isVisible());
}

TEST(FrmDirTest, AcceptGivesTheOpenFolderNotTheHighlightedEntry)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("elegida/debajo")));
    const QString elegida = QDir::toNativeSeparators(QDir(dir.path()).filePath(QStringLiteral("elegida")));
    FrmDir w;
    auto* list = w.findChild<DirListBox*>("Dir1");
    list->setPath(elegida);
    EXPECT_EQ(w.findChild<QLabel*>("LblDir")->text(), elegida);
    list->setCurrentItem(list->findItems(QStringLiteral("debajo"), Qt::MatchEndsWith).first());

    kembtest::whenShown<FrmDir>([](FrmDir* d) { d->findChild<QPushButton*>("CmdAceptar")->click(); });
    w.exec();
    EXPECT_EQ(w.SelPath, elegida);
}

TEST(FrmDirTest, CancelAfterChoosingGivesNothing)
{
    QTemporaryDir dir;
    FrmDir w;
    w.findChild<DirListBox*>("Dir1")->setPath(dir.path());
    kembtest::whenShown<FrmDir>([](FrmDir* d) { d->findChild<QPushButton*>("CmdCancelar")->click(); });
    w.exec();
    EXPECT_EQ(w.SelPath, QString());
}

TEST(FrmDirTest, ADriveThatCannotBeOpenedKeepsTheFolder)
{
    QTemporaryDir dir;
    FrmDir w;
    auto* list = w.findChild<DirListBox*>("Dir1");
    list->setPath(dir.path());
    auto* drives = w.findChild<QComboBox*>("Drive1");
    drives->addItem(QStringLiteral("q: [SIN DISCO]"));
    drives->setCurrentIndex(drives->count() - 1);
    EXPECT_EQ(list->Path(), QDir::toNativeSeparators(dir.path()));
    EXPECT_EQ(w.findChild<QLabel*>("LblDir")->text(), QDir::toNativeSeparators(dir.path()));
}

TEST(FrmDirTest, ChangingTheDriveOpensItsRoot)
{
    QTemporaryDir dir;
    FrmDir w;
    auto* list = w.findChild<DirListBox*>("Dir1");
    list->setPath(dir.path());
    auto* drives = w.findChild<QComboBox*>("Drive1");
    drives->addItem(drives->itemText(0));
    drives->setCurrentIndex(drives->count() - 1);
    const QString root = QDir::toNativeSeparators(win::GetLogicalDrives().first());
    EXPECT_EQ(list->Path(), root);
    EXPECT_EQ(w.findChild<QLabel*>("LblDir")->text(), root);
}

} // namespace
