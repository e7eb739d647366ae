#include <window/HelpContext.h>

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QWidget>

using namespace viVavazuruv;

namespace {

TEST(HelpContextTest, WindowCarriesTheTopicAndEveryControlDefersToIt) {
    QWidget window;
    auto* button = new QPushButton(new QGroupBox(&window));
    button->setProperty(kHelpContextProperty, 99);
    Set_HelpContextID(&window, 673);
    EXPECT_EQ(HelpContextID(&window), 673);
    EXPECT_EQ(HelpContextID(button), 0);
    Set_HelpContextID(nullptr, 673); // never fails towards its caller
    EXPECT_EQ(HelpContextID(nullptr), 0);
}

} // namespace
