#include "platform/Graphics.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

TEST(Graphics, PlainColoursAreBgrValues)
{
    EXPECT_EQ(toQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x00804020), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(fromQColor(QColor(0x20, 0x40, 0x80)), 0x00804020u);
    EXPECT_EQ(fromQColor(toQColor(clTeal)), clTeal);
}

TEST(Graphics, SystemColoursFollowThePalette)
{
    EXPECT_EQ(toQColor(clBtnFace), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(toQColor(clWindow), QApplication::palette().color(QPalette::Base));
}
