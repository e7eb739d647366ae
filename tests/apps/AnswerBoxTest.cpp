// The demo desk's answer box: as tall as its text up to a cap; an answer of
// any length shows at once, cut, with all of it still to be had.
#include "AnswerBox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QScrollBar>

using namespace Qt::StringLiterals;
using vvdemo::AnswerBox;

namespace {

class AnswerBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        box.resize(600, 50);
        box.show();
    }
    // The box's height once the answer is shown, and whether it scrolls.
    std::pair<int, bool> show(const QString& answer) {
        box.setAnswer(answer);
        QCoreApplication::processEvents();
        return {box.height(), box.verticalScrollBar()->maximum() > 0};
    }
    AnswerBox box;
};

TEST_F(AnswerBoxTest, GrowsWithItsLinesWrappedUpToACapThenScrolls) {
    const auto [empty, emptyScrolls] = show({});
    const auto [five, fiveScroll] = show(u"line\n"_s.repeated(4) + u"line"_s);
    const auto [wrapped, wrappedScrolls] = show(u"composite "_s.repeated(40).trimmed()); // one line, 400 wide
    const auto [many, manyScroll] = show(u"line\n"_s.repeated(40));
    EXPECT_LT(empty, five);
    EXPECT_LT(five, many);
    EXPECT_GT(wrapped, empty);
    EXPECT_FALSE(emptyScrolls || fiveScroll || wrappedScrolls);
    EXPECT_TRUE(manyScroll);
    EXPECT_EQ(show(u"line\n"_s.repeated(400)).first, many); // the cap
    EXPECT_EQ(box.horizontalScrollBar()->maximum(), 0);
}

TEST_F(AnswerBoxTest, LaysOutTwoMegabytesInOneLineCutAndCopiesAllOfIt) {
    const QString answer = u"Composite filling on #14 "_s.repeated(84000); // 2.1 million characters
    show(answer);
    // What is laid out is capped; how fast that is belongs to no unit test.
    EXPECT_LT(box.toPlainText().size(), AnswerBox::kShownCharacters + 200);
    EXPECT_TRUE(box.toPlainText().contains(QLocale().toString(answer.size())));
    EXPECT_EQ(box.answer(), answer);
    box.findChild<QAction*>(u"copyWholeAnswer"_s)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), answer);
    EXPECT_EQ(AnswerBox::shortened(u"abc"_s, 3), u"abc"_s);
    EXPECT_TRUE(AnswerBox::shortened(u"ab\U0001F9B7"_s, 3).startsWith(u"ab… ("_s)); // never half a tooth
}

} // namespace
