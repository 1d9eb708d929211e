#include "articles/FrmMvVentas.h"

#include "platform/vb/Twips.h"

#include <QLabel>
#include <QSerialPort>

FrmMvVentas::FrmMvVentas(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmMvVentas"));
    setWindowTitle(QStringLiteral("Form1"));
    resize(vb::twipsSize(4560, 3030));
    MSFlexGrid3 = new QLabel(this);
    MSFlexGrid3->setObjectName(QStringLiteral("MSFlexGrid3"));
    MSFlexGrid3->setGeometry(vb::twips(2880, 1800, 1575, 1215));
    MSComm1 = new QSerialPort(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
    MSComm1->setBaudRate(QSerialPort::Baud9600);
    MSComm1->setDataBits(QSerialPort::Data8);
    connect(MSComm1, &QSerialPort::readyRead, this, &FrmMvVentas::MSComm1_OnComm);
}

void FrmMvVentas::AgregoRegargo(const vb::Variant&) {}

void FrmMvVentas::MSComm1_OnComm() {}
