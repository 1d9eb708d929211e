#include "platform/vb/Controls.h"

#include "platform/vb/Twips.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

TEST(ControlsTest, ACreatedControlHasItsNameParentAndPlace)
{
    QWidget ventana;
    auto* label = vb::control<QLabel>(&ventana, "Label1", vb::twips(120, 240, 1500, 300));
    EXPECT_EQ(label->parentWidget(), &ventana);
    EXPECT_EQ(label->objectName(), QStringLiteral("Label1"));
    EXPECT_EQ(label->geometry(), QRect(8, 16, 100, 20));
    EXPECT_EQ(ventana.findChild<QLabel*>("Label1"), label);
}

} // namespace
