#include <grid/KeyCodes.h>
#include <gtest/gtest.h>

using namespace viVavazuruv::grid;

namespace {

bool ruledCode(int code) {
    return (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || (code >= 112 && code <= 135);
}

TEST(KeyCodesTest, LettersDigitsAndFunctionKeysMapByRuleToTheEndsOfTheirRanges) {
    for (const auto& [first, code, count] :
         {std::tuple{int(Qt::Key_A), int('A'), 26}, std::tuple{int(Qt::Key_0), int('0'), 10},
          std::tuple{int(Qt::Key_F1), 112, 24}})
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(windowsKeyCode(first + i), code + i) << std::hex << first + i;
}

// A row listed twice, or for a key inside a ruled range, is never read; a
// named key with a letter's or digit's code would be taken for typing.
TEST(KeyCodesTest, EveryNamedKeyIsReadAndKeepsClearOfTheRuledCodes) {
    for (const KeyCodeRow& row : namedKeyCodes)
        EXPECT_TRUE(windowsKeyCode(row.qtKey) == row.windowsCode && row.windowsCode > 0 &&
                    row.windowsCode < 256 && !ruledCode(row.windowsCode))
            << row.qtKey;
}

// Qt's codes for punctuation and Latin-1 letters overlap Windows codes of other
// keys ("!" is Page Up's 33, "[" the Windows key's 91); they must not leak through.
TEST(KeyCodesTest, KeysWithoutACodeGiveZero) {
    for (int key :
         {int(Qt::Key_Exclam), int(Qt::Key_BracketLeft), int(Qt::Key_QuoteLeft), int(Qt::Key_F25),
          int(Qt::Key_Adiaeresis), int(Qt::Key_Dead_Acute), int(Qt::Key_Menu), int(Qt::Key_unknown), 0})
        EXPECT_EQ(windowsKeyCode(key), 0) << std::hex << key;
}

} // namespace
