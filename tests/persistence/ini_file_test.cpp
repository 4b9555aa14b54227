#include "persistence/ini_file.hpp"

#include <gtest/gtest.h>

namespace vantrel::persistence {
namespace {

TEST(IniFile, FindsSectionsAndKeysInAnyLetterCase) {
    const IniFile ini =
        IniFile::Parse("[comm]\r\ngps-port=3\r\n[FILE]\r\nRAYSFILELOCATION = C:\\a b\\r.ovl \r\n");
    EXPECT_EQ(ini.Get("Comm", "GPS-Port"), "3");
    EXPECT_EQ(ini.Get("File", "RaysFileLocation"), "C:\\a b\\r.ovl");
    EXPECT_EQ(ini.Get("Comm", "GON-Port"), std::nullopt);
    EXPECT_EQ(ini.Get("Ports", "COM1"), std::nullopt);
}

TEST(IniFile, EmptyValueIsPresentButEmpty) {
    const IniFile ini = IniFile::Parse("[File]\nRaysFileLocation=\n");
    EXPECT_EQ(ini.Get("File", "RaysFileLocation"), "");
}

TEST(IniFile, KeysOfAnotherSectionDoNotCount) {
    const IniFile ini = IniFile::Parse("[Other]\nGPS-Port=7\n[Comm]\nGON-Port=2\n");
    EXPECT_EQ(ini.Get("Comm", "GPS-Port"), std::nullopt);
    EXPECT_EQ(ini.Get("Comm", "GON-Port"), "2");
}

TEST(IniFile, ValuesAreReadWhole) {
    const std::string longValue(300, 'x');
    const IniFile ini = IniFile::Parse("[File]\nLast Used Filename=" + longValue + "\n");
    EXPECT_EQ(ini.Get("File", "Last Used Filename"), longValue);
}

// A last line that ends in a lone CR gave a value ending in CR; once PutIniData had added a line after
// it, that CR became part of a CR LF and the value read back without it. Found by ini_fuzz.
TEST(IniFile, AStrayCarriageReturnIsNotPartOfTheValue) {
    IniFile ini = IniFile::Parse("[Comm]\r\nGPS-Port=3\r");
    EXPECT_EQ(ini.Get("Comm", "GPS-Port"), "3");
    ini.Set("Comm", "GON-Port", "2");
    EXPECT_EQ(ini.Serialize(), "[Comm]\r\nGPS-Port=3\r\r\nGON-Port=2\r\n");
    EXPECT_EQ(IniFile::Parse(ini.Serialize()).Get("Comm", "GPS-Port"), "3");
    EXPECT_EQ(IniFile::Parse("[File]\nLast Used Filename=C:\\a.fh2\r\r\n").Get("File", "Last Used Filename"),
              "C:\\a.fh2");
}

TEST(IniFile, CommentsAreNotKeys) {
    const IniFile ini = IniFile::Parse("[Comm]\n;GPS-Port=9\nGPS-Port=4\n");
    EXPECT_EQ(ini.Get("Comm", "GPS-Port"), "4");
}

TEST(IniFile, SetReplacesOnlyThatLine) {
    IniFile ini =
        IniFile::Parse("; my notes\r\n[Comm]\r\nGPS-Port = 3\r\nOther=keep me\r\n\r\n[File]\r\nX=1\r\n");
    ini.Set("Comm", "GPS-Port", "8");
    EXPECT_EQ(ini.Serialize(),
              "; my notes\r\n[Comm]\r\nGPS-Port=8\r\nOther=keep me\r\n\r\n[File]\r\nX=1\r\n");
}

TEST(IniFile, SetAddsAMissingKeyAtTheEndOfItsSection) {
    IniFile ini = IniFile::Parse("[Comm]\nGPS-Port=3\n\n[File]\nX=1\n");
    ini.Set("Comm", "GON-Port", "");
    EXPECT_EQ(ini.Serialize(), "[Comm]\nGPS-Port=3\nGON-Port=\n\n[File]\nX=1\n");
}

TEST(IniFile, SetAddsAMissingSectionAtTheEnd) {
    IniFile ini = IniFile::Parse("[Comm]\nGPS-Port=3");
    ini.Set("File", "DataBaseFilename", "db.mdb");
    EXPECT_EQ(ini.Serialize(), "[Comm]\nGPS-Port=3\n[File]\nDataBaseFilename=db.mdb\n");
}

TEST(IniFile, NewFileUsesCrLf) {
    IniFile ini;
    ini.Set("Comm", "GPS-Port", "1");
    EXPECT_EQ(ini.Serialize(), "[Comm]\r\nGPS-Port=1\r\n");
}

}  // namespace
}  // namespace vantrel::persistence
