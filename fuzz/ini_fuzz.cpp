// Vantrel.ini: any text read as the settings file, the seven settings written back into it as PutIniData
// does, and read again.
//
// Input: the file's text.

#include <string>

#include "fuzz_support.hpp"
#include "persistence/ini_file.hpp"
#include "persistence/settings.hpp"

using vantrel::fuzzing::Check;
using namespace vantrel::persistence;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    IniFile ini = IniFile::Parse(text);
    Check(ini.Serialize() == text, "reading a file changes none of its bytes");

    const Settings read = SettingsFromIni(ini);
    SettingsToIni(read, ini);
    const std::string written = ini.Serialize();
    Check(SettingsFromIni(IniFile::Parse(written)) == read, "what is written reads back the same");

    // Writing the same settings again changes nothing more.
    IniFile again = IniFile::Parse(written);
    SettingsToIni(read, again);
    Check(again.Serialize() == written, "a second write gives the same file");
    return 0;
}
