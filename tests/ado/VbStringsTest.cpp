#include <platform/VbStrings.h>
#include <viVavazuruv/AutomationError.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace viVavazuruv;

namespace {

struct ValCase {
    const char16_t* text;
    double value;
};

class ValTest : public ::testing::TestWithParam<ValCase> {};

TEST_P(ValTest, ReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(vb::Val(QString::fromUtf16(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ValTest,
    ::testing::Values(ValCase{u"12", 12}, ValCase{u"  12abc", 12}, ValCase{u"1 2 3", 123}, ValCase{u"-7", -7},
                      ValCase{u"+7", 7}, ValCase{u"12.5", 12.5}, ValCase{u".5", 0.5}, ValCase{u"1.2.3", 1.2},
                      ValCase{u"1e3", 1000}, ValCase{u"2D2", 200}, ValCase{u"1e", 1}, ValCase{u"CRECARD", 0},
                      ValCase{u"", 0}, ValCase{u"-", 0}, ValCase{u"\t\n42", 42}, ValCase{u"٣", 0},
                      ValCase{u"12\u00A03", 12}, ValCase{u"1e999", 0}));

TEST(VbNumbersTest, RoundHalfToEvenAndOverflow) {
    EXPECT_EQ(vb::CLng(2.5), 2);
    EXPECT_EQ(vb::CLng(3.5), 4);
    EXPECT_EQ(vb::CLng(-2.5), -2);
    EXPECT_EQ(vb::CLng(2.5000001), 3);
    EXPECT_EQ(vb::CInt(32767.4), 32767);
    EXPECT_EQ(vb::KeyOf(QStringLiteral("  12 ")), 12);
    EXPECT_EQ(vb::KeyOf(QStringLiteral("CRECARD")), 0);
    EXPECT_EQ(vb::KeyOf(QStringLiteral("7ALERT")), 7); // why an unsaved line's key cell is dangerous
    for (double tooBig : {2147483648.0, -2147483649.0, std::nan("")}) {
        try {
            vb::CLng(tooBig);
            FAIL() << tooBig;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.code(), ErrorCode::Overflow);
        }
    }
    EXPECT_THROW(vb::CInt(32767.5), AutomationError);
}

TEST(VbTextTest, TrimRemovesBlanksOnlyAndPositionsCountFromOne) {
    EXPECT_EQ(vb::Trim(QStringLiteral("  Visa  ")), QStringLiteral("Visa"));
    EXPECT_EQ(vb::Trim(QStringLiteral("\tVisa\n")), QStringLiteral("\tVisa\n"));
    EXPECT_EQ(vb::Trim(QStringLiteral("     ")), QString());
    EXPECT_EQ(vb::LTrim(QStringLiteral("  a b ")), QStringLiteral("a b "));
    EXPECT_EQ(vb::InStr(QStringLiteral("Filling |T#"), QStringLiteral("|")), 9);
    EXPECT_EQ(vb::InStr(10, QStringLiteral("Filling |T# |SF"), QStringLiteral("|")), 13);
    EXPECT_EQ(vb::InStr(QStringLiteral("abc"), QStringLiteral("|")), 0);
    EXPECT_EQ(vb::InStr(99, QStringLiteral("abc"), QStringLiteral("a")), 0);
    EXPECT_EQ(vb::Mid(QStringLiteral("Database = CRECARD"), 12), QStringLiteral("CRECARD"));
    EXPECT_EQ(vb::Mid(QStringLiteral("Credit Card"), 12), QString());
    EXPECT_EQ(vb::Mid(QStringLiteral("|CARIES"), 1, 3), QStringLiteral("|CA"));
}

} // namespace
