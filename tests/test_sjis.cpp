#include <gtest/gtest.h>

#include "util/CodePage.h"
#include "util/Sjis.h"

using namespace util;

namespace {
// Shift-JIS test texts.
const std::string kA = "\x82\xa0";    // あ
const std::string kI = "\x82\xa2";    // い
const std::string kHyou = "\x95\x5c"; // 表: its trail byte is "\"
const std::string kFullBlank = "\x81\x40";
}  // namespace

TEST(Sjis, CountAndCopyNeverSplitCharacters) {
  const std::string s = kA + kI + "x";
  EXPECT_EQ(SjisCharCount(s), 3);
  EXPECT_EQ(SjisCharCopy(s, 2, 1), kI);
  EXPECT_EQ(SjisCharCopy(s, 2, 10), kI + "x");
  EXPECT_EQ(SjisCharCopy(s, 4, 1), "");
  EXPECT_EQ(SjisCharCopy(s, 1, 0), "");
  EXPECT_EQ(SjisCharCopy("", 1, 1), "");
  EXPECT_EQ(SjisCharCount("\x82"), 1);  // a lone lead byte at the end is one character
}

TEST(Sjis, RightAndMiddleBytes) {
  const std::string s = "a" + kA + "b";  // bytes: a, 82, a0, b
  EXPECT_EQ(SjisRightBytes(s, 2), "b");  // the double-byte character straddles the boundary
  EXPECT_EQ(SjisRightBytes(s, 3), kA + "b");
  EXPECT_EQ(SjisRightBytes(s, -3), kA + "b");
  EXPECT_EQ(SjisRightBytes(s, 0), "");
  int length = -1;
  EXPECT_EQ(SjisMiddleBytes(kA + "x", 1, 1, &length), "");
  EXPECT_EQ(length, 0);
  EXPECT_EQ(SjisMiddleBytes(s, 2, 2, &length), kA);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(SjisMiddleBytes(s, 3, 5, &length), "b");  // starts inside a character
  EXPECT_EQ(SjisMiddleBytes(s, 9, 1, &length), "");
  EXPECT_EQ(SjisMiddleBytes(s, 0, 1, &length), "");
}

TEST(Sjis, BlanksAndControlCharacters) {
  EXPECT_EQ(SjisRemoveBlanks("a b" + kFullBlank + "c\t"), "abc");
  // A trail byte below 32 never occurs in valid text, but a lead byte keeps its
  // partner whatever it is; "\x81\x40" is a blank, "\x82\x40" is not.
  EXPECT_EQ(SjisRemoveControlChars("a\tb" + kA + "\r\n"), "ab" + kA);
  EXPECT_EQ(SjisRemoveControlChars(std::string("\x81\x1f", 2)), std::string("\x81\x1f", 2));
  EXPECT_EQ(SjisRemoveControlChars("ab\x82"), "ab");  // dangling lead byte dropped
  EXPECT_EQ(SjisTruncate(std::string(254, 'a') + kA, 255), std::string(254, 'a'));
  EXPECT_EQ(SjisTruncate("abc", 255), "abc");
}

TEST(Sjis, FullWidthAsTheJapaneseLocaleMapsIt) {
  // "A1 " -> "Ａ１　"
  EXPECT_EQ(SjisToFullWidth("A1 "), "\x82\x60\x82\x50\x81\x40");
  EXPECT_EQ(SjisToFullWidth("."), "\x81\x44");      // ．
  EXPECT_EQ(SjisToFullWidth("-"), "\x81\x7c");      // －
  EXPECT_EQ(SjisToFullWidth("\\"), "\x81\x5f");     // ＼
  EXPECT_EQ(SjisToFullWidth("\xb6"), "\x83\x4a");   // ｶ -> カ
  EXPECT_EQ(SjisToFullWidth("\xb6\xde"), "\x83\x4b");  // ｶﾞ -> ガ
  EXPECT_EQ(SjisToFullWidth("\xca\xdf"), "\x83\x70");  // ﾊﾟ -> パ
  EXPECT_EQ(SjisToFullWidth("\xaf\xde"), "\x83\x62\x81\x4a");  // ｯﾞ stays two: ッ゛
  EXPECT_EQ(SjisToFullWidth(kA), "\x83\x41");       // あ -> ア
  EXPECT_EQ(SjisToFullWidth("\x82\xf1"), "\x83\x93");  // ん -> ン
  EXPECT_EQ(SjisToFullWidth("\x82\xdd"), "\x83\x7e");  // み -> ミ
  EXPECT_EQ(SjisToFullWidth("\x82\xde"), "\x83\x80");  // む -> ム (the katakana row skips 0x7F)
  EXPECT_EQ(SjisToFullWidth(kHyou), kHyou);         // kanji stay
}

TEST(Sjis, CommaTextSplitsAtCommasAndBlanks) {
  std::vector<std::string> items;
  EXPECT_EQ(SplitCommaText("a,b c", items), 3);
  EXPECT_EQ(items[2], "c");
  EXPECT_EQ(SplitCommaText("\"x, y\",z", items), 2);
  EXPECT_EQ(items[0], "x, y");
  EXPECT_EQ(SplitCommaText("a,,b", items), 3);
  EXPECT_EQ(items[1], "");
  EXPECT_EQ(SplitCommaText("a,", items), 2);
  EXPECT_EQ(SplitCommaText("\"say \"\"hi\"\"\"", items), 1);
  EXPECT_EQ(items[0], "say \"hi\"");
  EXPECT_EQ(SplitCommaText("", items), 0);
  EXPECT_EQ(SplitCommaText(kHyou + "," + kA, items), 2);
  EXPECT_EQ(items[0], kHyou);
}

TEST(Sjis, PathSplitKeepsDoubleByteBackslashTrailBytes) {
  std::vector<std::string> parts;
  EXPECT_EQ(SplitPath("C:\\jww\\" + kHyou + ".jww", parts, 8), 2);
  EXPECT_EQ(parts[0], "C:");
  EXPECT_EQ(parts[1], "jww");
  EXPECT_EQ(parts[2], kHyou + ".jww");
  EXPECT_EQ(SplitPath("/home/u/a.jww", parts, 8), 3);
  EXPECT_EQ(parts[3], "a.jww");
  // More separators than slots: the last slot is reused and holds the final part.
  EXPECT_EQ(SplitPath("a\\b\\c\\d", parts, 1), 1);
  EXPECT_EQ(parts[0], "a");
  EXPECT_EQ(parts[1], "d");
}

TEST(CodePage, Cp932RoundTripsAndReplacesBadBytes) {
  // ①～\ as code page 932 has them (not the strict JIS table, which turns "\" into a yen sign).
  EXPECT_EQ(Cp932ToUtf8("\x87\x40\x81\x60\x5c"), "\xe2\x91\xa0\xef\xbd\x9e\\");
  EXPECT_EQ(Utf8ToCp932("\xe2\x91\xa0\xef\xbd\x9e\\"), "\x87\x40\x81\x60\x5c");
  EXPECT_EQ(Cp932ToUtf8("a\x80z"), "a\xef\xbf\xbdz");
  EXPECT_EQ(Utf8ToCp932("\xf0\x9f\x98\x80x"), "?x");  // no emoji in code page 932
  EXPECT_EQ(Utf8ToCp932("a\xff" "b"), "a?b");
  const uint8_t utf16[] = {0x2d, 0xff, 0x33, 0xff, 0x20, 0x00, 0xb4, 0x30};  // ＭＳ ゴ
  EXPECT_EQ(Utf16LeToCp932(utf16, 4), "\x82\x6c\x82\x72 \x83\x53");
  const uint8_t pair[] = {0x3d, 0xd8, 0x00, 0xde, 0x41, 0x00};  // U+1F600 then "A"
  EXPECT_EQ(Utf16LeToCp932(pair, 3), "?A");
  const uint8_t lone[] = {0x00, 0xd8, 0x41, 0x00};  // an unpaired surrogate
  EXPECT_EQ(Utf16LeToCp932(lone, 2), "?A");
}
