#include "articles/FrmMvVentas.h"

#include "platform/vb/Twips.h"

#include <QLabel>
#include <QSerialPort>
#include <gtest/gtest.h>

namespace {

TEST(FrmMvVentasTest, AnEmptyShellWithItsControls)
{
    FrmMvVentas w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(w.size(), vb::twipsSize(4560, 3030));
    auto* grilla = w.findChild<QLabel*>("MSFlexGrid3");
    ASSERT_NE(grilla, nullptr);
    EXPECT_EQ(grilla->geometry(), vb::twips(2880, 1800, 1575, 1215));
    auto* puerto = w.findChild<QSerialPort*>("MSComm1");
    ASSERT_NE(puerto, nullptr);
    EXPECT_EQ(puerto->baudRate(), 9600);
    EXPECT_EQ(puerto->dataBits(), QSerialPort::Data8);
    EXPECT_FALSE(puerto->isOpen());
    w.AgregoRegargo(vb::Variant(150));
    w.MSComm1_OnComm();
    EXPECT_FALSE(w.isVisible());
}

} // namespace
