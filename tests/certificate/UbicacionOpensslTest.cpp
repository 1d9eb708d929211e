#include "certificate/UbicacionOpenssl.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(UbicacionOpenssl, TheDefaultPlaceIsUnderTheUsersHome)
{
    QTemporaryDir home;
    const QByteArray old = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    EXPECT_EQ(UbicacionOpenssl::CarpetaPredeterminada(), home.path() + "/OpenSSL/bin");
    qputenv("HOME", old);
    EXPECT_EQ(UbicacionOpenssl::Ejecutable(), "openssl");
}
