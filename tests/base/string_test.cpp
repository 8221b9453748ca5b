#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "base/string.h"
#include "base/string_table.h"

namespace {

TEST(String, GrowsToExactlyWhatIsAskedAndNeverShrinksOnAssign) {
  String s;
  EXPECT_EQ(s.GetCapacity(), 16);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_STREQ(s.c_str(), "");
  s = "abcdefghijklmnopqrst";  // 20 characters
  EXPECT_EQ(s.GetCapacity(), 21);
  s = "abc";
  EXPECT_EQ(s.GetCapacity(), 21);
  EXPECT_EQ(s.GetLength(), 3);
  s += "defghijklmnopqrstuvwxyz";  // 26 in all
  EXPECT_EQ(s.GetCapacity(), 27);
  s.FreeExtra();
  EXPECT_EQ(s.GetCapacity(), 27);
  s = "x";
  s.FreeExtra();
  EXPECT_EQ(s.GetCapacity(), 2);
  s = static_cast<const char*>(nullptr);
  EXPECT_STREQ(s.c_str(), "");
  s += static_cast<const char*>(nullptr);
  EXPECT_EQ(s.GetLength(), 0);
}

// Edge cases of the members, one row each: the operation on an input and the
// text and length it must leave.
TEST(String, EdgeCases) {
  struct Case {
    const char* what;
    const char* input;
    String (*op)(String);
    const char* want;
  } cases[] = {
      {"Mid past the end is clipped", "abcdefgh", [](String s) { return s.Mid(5, 10); }, "fgh"},
      {"Mid from beyond the end is empty", "abcdefgh", [](String s) { return s.Mid(9, 2); }, ""},
      {"Mid from the end is empty", "abcdefgh", [](String s) { return s.Mid(8, 2); }, ""},
      {"Mid with negative start", "abcdefgh", [](String s) { return s.Mid(-3, 2); }, "ab"},
      {"Mid with negative count", "abcdefgh", [](String s) { return s.Mid(2, -1); }, ""},
      {"Left longer than the text", "abc", [](String s) { return s.Left(10); }, "abc"},
      {"TrimRight of trailing blanks", "ab  ", [](String s) { s.TrimRight(); return s; }, "ab"},
      {"TrimRight of blanks only", "   \t", [](String s) { s.TrimRight(); return s; }, ""},
      {"TrimRight keeps inner blanks", " a b\n", [](String s) { s.TrimRight(); return s; }, " a b"},
      {"TrimRight keeps high bytes", "caf\xE9 \xA0", [](String s) { s.TrimRight(); return s; }, "caf\xE9 \xA0"},
      {"TrimLeft of leading blanks", "  ab", [](String s) { s.TrimLeft(); return s; }, "ab"},
      {"TrimLeft of blanks only", " \r\n ", [](String s) { s.TrimLeft(); return s; }, ""},
      {"TrimLeft keeps high bytes", "\x85x", [](String s) { s.TrimLeft(); return s; }, "\x85x"},
      {"MakeUpper of ASCII", "load game 1", [](String s) { s.MakeUpper(); return s; }, "LOAD GAME 1"},
      {"MakeUpper of Western letters", "\xE9t\xE9 \xFF\x9A\xF7\xE0",
       [](String s) { s.MakeUpper(); return s; }, "\xC9T\xC9 \x9F\x8A\xF7\xC0"},
      {"IntToString of a negative", "", [](String) { return IntToString(-5); }, "-5"},
      {"IntToString of the minimum", "", [](String) { return IntToString(INT32_MIN); }, "-2147483648"},
      {"StringConcatInt has no sign", "", [](String) { return StringConcatInt(4294967295u); }, "4294967295"},
      {"repeat constructor", "", [](String) { return String('-', 5); }, "-----"},
      {"repeat constructor of nothing", "", [](String) { return String('x', 0); }, ""},
      {"concatenation leaves operands", "dir\\",
       [](String s) { String r = StringConcat(s, "file.dat"); return StringConcat2(s, r); },
       "dir\\dir\\file.dat"},
      {"text + String", "b", [](String s) { return StringConcatCStr("a", s); }, "ab"},
      {"String + char", "a", [](String s) { return StringConcatChar(s, 'z'); }, "az"},
      {"char assignment", "long text", [](String s) { s = 'q'; return s; }, "q"},
      {"self append", "ab", [](String s) { s += s.c_str(); s += s; return s; }, "abababab"},
      {"assign from own tail", "abcdef", [](String s) { s = s.c_str() + 3; return s; }, "def"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    String r = c.op(String(c.input));
    EXPECT_STREQ(r.c_str(), c.want);
    EXPECT_EQ(r.GetLength(), static_cast<int>(std::strlen(c.want)));
    EXPECT_GT(r.GetCapacity(), r.GetLength());
  }
}

TEST(String, UpperCaseDoesNotFollowTheLocale) {
  const char* old = std::setlocale(LC_CTYPE, nullptr);
  std::string saved = old ? old : "C";
  std::setlocale(LC_CTYPE, "C");
  String a("\xE9mile");
  a.MakeUpper();
  std::setlocale(LC_CTYPE, "C.UTF-8");
  String b("\xE9mile");
  b.MakeUpper();
  std::setlocale(LC_CTYPE, saved.c_str());
  EXPECT_STREQ(a.c_str(), "\xC9MILE");
  EXPECT_STREQ(b.c_str(), "\xC9MILE");
}

TEST(String, FindAndCompare) {
  String s("a/b/c.mbm");
  EXPECT_EQ(s.Find('/'), 1);
  EXPECT_EQ(s.ReverseFind('/'), 3);
  EXPECT_EQ(s.Find('x'), -1);
  EXPECT_EQ(s.Find(".mbm"), 5);
  EXPECT_EQ(s.Find("mbx"), -1);
  EXPECT_EQ(s.FindOneOf(".c"), 4);
  EXPECT_EQ(s.FindOneOf("xyz"), -1);
  EXPECT_EQ(s.Find('\0'), -1);
  String save("SAVE GAME 1");
  EXPECT_TRUE(save == "SAVE GAME 1");
  EXPECT_TRUE(save != "save game 1");  // case-sensitive
  EXPECT_LT(String("abc").Compare("abd"), 0);
  EXPECT_GT(String("b").Compare("abc"), 0);
  EXPECT_TRUE(save.Equals(String("SAVE GAME 1")));
}

TEST(String, BufferAccessAndChecks) {
  String s;
  char* p = s.GetBuffer(40);
  EXPECT_EQ(s.GetLock(), -1);
  EXPECT_GE(s.GetCapacity(), 41);
  std::strcpy(p, "written");
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLock(), 0);
  EXPECT_EQ(s.GetLength(), 7);
  EXPECT_EQ(s.GetCapacity(), 8);
  EXPECT_EQ(s.CharAt(0), 'w');
  EXPECT_EQ(s.CharAt(7), '\0');
  EXPECT_EQ(s.CharAt(100), '\0');
  EXPECT_EQ(s.CharAt(-1), '\0');
  s.SetAt(0, 'W');
  s.SetAt(7, 'x');  // the terminator stays
  s.SetAt(-3, 'x');
  EXPECT_STREQ(s.c_str(), "Written");
  String copy(s);
  copy.SetAt(0, 'R');
  EXPECT_STREQ(s.c_str(), "Written");  // copies share nothing
}

TEST(String, LoadStringFromTheProgramTable) {
  String s;
  EXPECT_TRUE(s.LoadString(1013));
  EXPECT_STREQ(s.c_str(), "LOADING");
  EXPECT_EQ(s.GetCapacity(), 8);  // shrunk to fit
  EXPECT_TRUE(s.LoadString(nullptr, 1002));
  EXPECT_STREQ(s.c_str(), " POINTS");
  EXPECT_FALSE(s.LoadString(999));  // no such id
  EXPECT_STREQ(s.c_str(), "");
  EXPECT_EQ(s.GetCapacity(), 1);
  EXPECT_TRUE(s.LoadString(10538));  // longer than most, well under 254
  EXPECT_EQ(s.Find("Network connection failed."), 0);

  char buf[6];
  EXPECT_EQ(LoadStringText(10500, buf, sizeof buf), 5);
  EXPECT_STREQ(buf, "KELVA");
  EXPECT_EQ(LoadStringText(10500, buf, 1), 0);
  EXPECT_EQ(LoadStringText(12345, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
}

std::string ReadSourceTable() {
  std::ifstream in(std::string(KEL_SOURCE_DIR) + "/base/strings.txt", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(StringTable, SourceFileParsesCleanlyAndIsTheOneCompiledIn) {
  std::string text = ReadSourceTable();
  ASSERT_FALSE(text.empty());
  std::string errors;
  StringTable parsed = ParseStringTable(text.data(), text.size(), &errors);
  EXPECT_EQ(errors, "");
  EXPECT_EQ(parsed, ProgramStringTable());
  for (const auto& [id, t] : parsed) EXPECT_LE(t.size(), 254u) << id;
}

TEST(StringTable, ParserReportsBadLines) {
  const char text[] =
      "# comment\n"
      "\n"
      "1\tone\\n\\x41\\\\\n"
      "1\tagain\n"
      "x2\tbad id\n"
      "3 no tab\n"
      "4\tbad \\q escape\n"
      "5\t\\x00\n"
      "6\t\r\n";
  std::string errors;
  StringTable t = ParseStringTable(text, sizeof text - 1, &errors);
  EXPECT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1], "one\nA\\");
  EXPECT_EQ(t[6], "");
  EXPECT_EQ(errors,
            "line 4: repeated id\nline 5: bad id\nline 6: no id and tab\nline 7: bad escape\n"
            "line 8: bad escape\n");
}

TEST(StringTable, HoldsEveryTextTheGameLoads) {
  // Texts the game quotes word for word.
  struct Text {
    unsigned id;
    const char* text;
  } texts[] = {
      {1000, "ENERGY"}, {1001, "BEST:"}, {1002, " POINTS"}, {1003, "WR:"}, {1004, "TIME:"},
      {1005, "m"}, {1006, "DISTANCE"}, {1008, "DirectDraw init failed."}, {1009, "ERROR"},
      {1010, "Kelvanthrop"}, {1012, "Another copy of Kelvanthrop is running."}, {1013, "LOADING"},
      {1016, "Joystick 1 is not connected."}, {1019, "Joystick 2 is not configurable."},
      {1020, "LAP "}, {1021, "1st"}, {1024, "4th"}, {1025, "TRAINING (STRENGTH)"},
      {1031, "EXIT"}, {1035, "$500 / 20 UNITS"}, {1038, "  "}, {1039, "ENDURANCE"}, {1040, "AIR"},
      {1041, "Synchronization lost.\nGame terminated.\n"},
      {1042, "Player %s is joining the game."},
      {1043, "Please quit Kelvanthrop in the game main menu."},
      {1044, "Please create a multiplayer game before loading a network game."},
      {10106, "Strength"}, {10107, "Speed"}, {10156, "PREVIOUS MENU"}, {10163, "KEY1"},
      {10165, "JOY1"}, {10500, "KELVANTHROP"}, {10503, "Host has left the game"},
      {10504, "Distance"}, {10508, "FOUL"}, {10509, "Hippo"},
      {10537, "Cannot create a new player."}, {10540, "Unknown network error"},
      {10542, "\n\n\nWaiting for the following player(s):\n\n"},
      {10543, "\nPlayer(s) agree to drop the above player(s):\n\n"},
      {10544, "\n\n\nNo response from the following player(s):\n\n"},
      {10546, "Press 'D' to drop the player(s).\n"}, {10547, "Press 'Q' to quit current game.\n"},
      {10549, "YOU ARE DROPPED OUT FROM THE GAME."}, {10550, "SAVE GAME 1"},
      {10554, "SAVE GAME 5"}, {10555, "LOAD GAME 1"}, {10559, "LOAD GAME 5"},
      {10560, "GAME SAVED!"}, {10561, "You cannot load game here!"},
      {100 + 0x41, "A"}, {100 + 0x25, "Left"}, {100 + 0x20, "Space"}, {100 + 0x70, "F1"},
  };
  for (const Text& t : texts) {
    const char* got = GetStringText(t.id);
    ASSERT_NE(got, nullptr) << t.id;
    EXPECT_STREQ(got, t.text) << t.id;
  }
  // Whole ranges the game indexes into.
  auto present = [](unsigned from, unsigned to) {
    for (unsigned id = from; id <= to; ++id) EXPECT_NE(GetStringText(id), nullptr) << id;
  };
  present(1000, 1044);
  present(10150, 10191);  // main menu texts
  present(10300, 10339);  // event titles and descriptions
  present(10500, 10561);
  present(500, 531);      // joystick buttons 4..35
  present(100 + 0x30, 100 + 0x39);
  present(100 + 0x41, 100 + 0x5A);
  present(100 + 0x70, 100 + 0x7B);
  // Menu rows and event texts are 64-byte fields; button and key names 14.
  for (unsigned id = 10150; id <= 10339; ++id)
    if (const char* t = GetStringText(id)) {
      EXPECT_LT(std::strlen(t), 64u) << id;
    }
  for (unsigned id = 100; id <= 531; ++id)
    if (const char* t = GetStringText(id)) {
      EXPECT_LT(std::strlen(t), 14u) << id;
    }
  EXPECT_STREQ(GetStringText(10300), "COMPUTER THROW");
  EXPECT_STREQ(GetStringText(10336), "ROLLER DERBY");
}

}  // namespace
