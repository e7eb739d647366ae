#include <help/HelpContext.h>

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QWidget>

using namespace viVavazuruv;

namespace {

TEST(HelpContextTest, WindowCarriesTheTopicAndEveryControlDefersToIt) {
    QWidget window;
    auto* frame = new QGroupBox(&window);
    auto* button = new QPushButton(frame);
    button->setProperty(kHelpContextProperty, 99);
    Set_HelpContextID(&window, 673);
    EXPECT_EQ(HelpContextID(&window), 673);
    EXPECT_EQ(HelpContextID(frame), 0);
    EXPECT_EQ(HelpContextID(button), 0);
    EXPECT_TRUE(button->property(kHelpContextProperty).isValid());
}

TEST(HelpContextTest, WindowWithoutControlsAndNoWindowAreHandled) {
    QWidget lonely;
    Set_HelpContextID(&lonely, -5);
    EXPECT_EQ(HelpContextID(&lonely), -5);
    Set_HelpContextID(nullptr, 673); // never fails towards its caller
    EXPECT_EQ(HelpContextID(nullptr), 0);
}

} // namespace
