#include "util/FrmDir.h"

#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Controls.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Twips.h"
#include "platform/win/Drives.h"
#include "util/DirListBox.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace {

// A drive as the drive list names it: "c:" on Windows, the root "/" elsewhere.
QString driveText(const QString& root)
{
    const QString text = QDir::toNativeSeparators(root);
    return text.size() > 1 && (text.endsWith(QLatin1Char('\\')) || text.endsWith(QLatin1Char('/')))
               ? text.chopped(1).toLower()
               : text.toLower();
}

} // namespace

FrmDir::FrmDir(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    design();
    connect(Dir1, &DirListBox::Change, this, &FrmDir::Dir1_Change);
    connect(Drive1, &QComboBox::currentIndexChanged, this, &FrmDir::Drive1_Change);
    connect(CmdAceptar, &QPushButton::clicked, this, &FrmDir::CmdAceptar_Click);
    connect(CmdCancelar, &QPushButton::clicked, this, &FrmDir::CmdCancelar_Click);
    Form_Load();
}

void FrmDir::design()
{
    setObjectName(QStringLiteral("FrmDir"));
    setWindowTitle(QStringLiteral("Seleccione un directorio"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("folder")));
    setFixedSize(vb::twipsSize(6150, 5880));

    Label1 = vb::control<QLabel>(this, "Label1", vb::twips(120, 120, 1095, 255));
    Label1->setText(QStringLiteral("Disco:"));
    QFont negrita(QStringLiteral("Sans Serif"));
    negrita.setPointSizeF(8.25);
    negrita.setBold(true);
    Label1->setFont(negrita);

    Dir1 = vb::control<DirListBox>(this, "Dir1", vb::twips(120, 480, 5895, 4365));
    Drive1 = vb::control<QComboBox>(this, "Drive1", vb::twips(1320, 120, 4695, 315));
    const QString actual = driveText(QDir(QDir::currentPath()).rootPath());
    for (const QString& root : win::GetLogicalDrives())
        Drive1->addItem(driveText(root));
    Drive1->setCurrentIndex(std::max(0, Drive1->findText(actual, Qt::MatchFixedString)));
    setTabOrder(Dir1, Drive1);

    LblDir = vb::control<QLabel>(this, "LblDir", vb::twips(120, 4920, 5895, 375));
    LblDir->setText(QStringLiteral("c:\\"));
    LblDir->setFrameStyle(QFrame::Box | QFrame::Plain);
    LblDir->setAutoFillBackground(true);
    QPalette amarillo = LblDir->palette();
    amarillo.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xC0));
    LblDir->setPalette(amarillo);

    CmdAceptar = vb::control<QPushButton>(this, "CmdAceptar", vb::twips(720, 5400, 2175, 375));
    CmdAceptar->setText(QStringLiteral("&Aceptar"));
    CmdAceptar->setDefault(true);
    CmdCancelar = vb::control<QPushButton>(this, "CmdCancelar", vb::twips(3000, 5400, 2175, 375));
    CmdCancelar->setText(QStringLiteral("&Cancelar"));
    Dir1->setFocus();
}

void FrmDir::Form_Load()
{
    vb::ResumeNext([this]() { Dir1->setPath(ClsUtilidades().AgregarBarra(Drive1->currentText())); });
    // A list that already stood on that folder signals no change; the label must still name it.
    Dir1_Change();
}

void FrmDir::Drive1_Change()
{
    vb::ResumeNext([this]() { Dir1->setPath(ClsUtilidades().AgregarBarra(vb::Left(Drive1->currentText(), 2))); });
}

void FrmDir::Dir1_Change()
{
    LblDir->setText(Dir1->Path());
}

void FrmDir::CmdAceptar_Click()
{
    SelPath = Dir1->Path();
    done(QDialog::Accepted);
}

void FrmDir::CmdCancelar_Click()
{
    SelPath.clear();
    done(QDialog::Rejected);
}

void FrmDir::reject()
{
    CmdCancelar_Click();
}
