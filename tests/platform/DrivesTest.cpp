#include "platform/win/Drives.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(Drives, TheOverrideStandsInForTheSystemDrivesUntilCleared)
{
    const QStringList system = win::GetLogicalDrives();
    ASSERT_FALSE(system.isEmpty());
#ifndef Q_OS_WIN
    EXPECT_EQ(system, QStringList{"/"});
#endif
    const QStringList roots{QDir::tempPath() + "/D/", QDir::tempPath() + "/E/"};
    win::setLogicalDrivesOverride(roots);
    EXPECT_EQ(win::GetLogicalDrives(), roots);
    win::setLogicalDrivesOverride({});
    EXPECT_EQ(win::GetLogicalDrives(), system);
}
