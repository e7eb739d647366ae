#include <ado/VbStrings.h>
#include <support/TestDatabase.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace viVavazuruv;
using namespace Qt::StringLiterals;

namespace {

// One text for each way the reading goes on or stops.
TEST(VbNumbersTest, ValReadsTheLeadingNumber) {
    const std::pair<const char16_t*, double> cases[] = {
        {u"  12abc", 12}, {u"1 2 3", 123}, {u"-7", -7}, {u"1.2.3", 1.2},    {u"2D2", 200}, {u"1e", 1},
        {u"CRECARD", 0},  {u"\t\n42", 42}, {u"٣", 0},   {u"12\u00A03", 12}, {u"1e999", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(vb::Val(QString::fromUtf16(text)), value) << QString::fromUtf16(text).toStdString();
}

TEST(VbNumbersTest, RoundHalfToEvenAndOverflow) {
    EXPECT_EQ((QList<qint32>{vb::CLng(2.5), vb::CLng(3.5), vb::CLng(-2.5)}), (QList<qint32>{2, 4, -2}));
    EXPECT_EQ(vb::CInt(32767.4), 32767);
    EXPECT_EQ(vb::KeyOf(u"  12 "_s), 12);
    EXPECT_EQ(vb::KeyOf(u"7ALERT"_s), 7); // why an unsaved line's key cell is dangerous
    for (double tooBig : {2147483648.0, -2147483649.0, std::nan("")})
        EXPECT_EQ(test::errorOf([=] { vb::CLng(tooBig); }), ErrorCode::Overflow) << tooBig;
    EXPECT_THROW(vb::CInt(32767.5), AutomationError);
}

TEST(VbTextTest, TrimRemovesBlanksOnlyAndPositionsCountFromOne) {
    EXPECT_EQ(vb::Trim(u"\t Visa  \n"_s), u"\t Visa  \n"_s);
    EXPECT_EQ(vb::Trim(u"     "_s), QString());
    EXPECT_EQ(vb::LTrim(u"  a b "_s), u"a b "_s);
    EXPECT_EQ(vb::InStr(10, u"Filling |T# |SF"_s, u"|"_s), 13);
    EXPECT_EQ(vb::InStr(99, u"abc"_s, u"a"_s), 0);
    EXPECT_EQ(vb::Mid(u"Credit Card"_s, 12), QString());
    EXPECT_EQ(vb::Mid(u"|CARIES"_s, 1, 3), u"|CA"_s);
}

} // namespace
