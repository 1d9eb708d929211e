// The sales-movement window: an empty shell that nothing loads, with a picture box and a serial port.
#pragma once

#include "platform/vb/Variant.h"

#include <QDialog>

class QLabel;
class QSerialPort;

class FrmMvVentas : public QDialog {
    Q_OBJECT

public:
    explicit FrmMvVentas(QWidget* parent = nullptr);

    // Does nothing with the amount.
    void AgregoRegargo(const vb::Variant& cualquierimporte);
    // The port's event is not used.
    void MSComm1_OnComm();

private:
    QLabel* MSFlexGrid3 = nullptr;
    QSerialPort* MSComm1 = nullptr;
};
