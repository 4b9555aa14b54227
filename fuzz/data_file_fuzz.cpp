// The measurement data files (.fh2 written and read, .fhd read only): the decoders on any bytes, then
// what a user does with a file that opened: File > Open (or Import) followed by File > Save.
//
// Input: the file's bytes. The decoders see them twice, as a .fh2 and as a .fhd.

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "fuzz_support.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/data_file.hpp"
#include "persistence/data_file_commands.hpp"

namespace {

using vantrel::fuzzing::Check;
using namespace vantrel::persistence;

// The files live in memory where there is such a folder, so the saves cost no disk time. Removed when
// the run ends normally; a crash leaves it for a look.
class WorkFolder {
  public:
    WorkFolder() {
        const std::filesystem::path base =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        path_ = base / ("vantrel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

const WorkFolder& Work() {
    static const WorkFolder folder;
    return folder;
}

// A decoded record holds the very bytes it came from.
void CheckRecordBytes(const ScedRecord& record, std::string_view stored) {
    Check(EncodeScedRecord(record) == stored.substr(0, kScedRecordSize), "a record encodes to its bytes");
}

// The boxes show 15 significant digits, so a value comes back from Open and Save to within half a unit
// of the 15th digit (and half a unit in the last place of the Double read back).
bool SameToFifteenDigits(double saved, double opened) {
    return std::fabs(saved - opened) <= std::fabs(opened) * 5.2e-15;
}

void CheckResaved(const ScedRecord& saved, const ScedRecord& opened) {
    Check(saved.Flag == 1, "Save writes Flag 1");
    bool same = SameToFifteenDigits(saved.North, opened.North) &&
                SameToFifteenDigits(saved.East, opened.East) &&
                SameToFifteenDigits(saved.BaseAngle, opened.BaseAngle);
    for (std::size_t i = 0; i < saved.Ang.size(); ++i) {
        same = same && SameToFifteenDigits(saved.Ang[i], opened.Ang[i]) &&
               SameToFifteenDigits(saved.Sig[i], opened.Sig[i]);
    }
    Check(same, "Open then Save keeps every station value to 15 digits");
}

// Open (or Import) and Save through the real commands and files.
void OpenAndSave(std::string_view bytes, const std::string& extension, const StationRecords& stations,
                 char separator) {
    const std::filesystem::path opened = Work() / ("opened" + extension);
    const std::filesystem::path saved = Work() / "saved.fh2";
    Check(WriteFileAtomically(opened, bytes).ok(), "the input file is written");
    ProgramState state;
    const vantrel::core::Outcome read = extension == ".fhd" ? ReadImportFile(state, opened, separator)
                                                            : ReadDataFile(state, opened, separator);
    Check(read.ok(), "a file that decodes opens");
    const vantrel::core::Outcome written = WriteDataFile(state, saved, separator);
    Check(written.ok(), "a file that opened can be saved");
    const auto content = DecodeDataFile(ReadFileHead(saved, kDataFileSize)->bytes);
    Check(content.ok(), "a saved file opens");
    CheckResaved(content->stations.first, stations.first);
    CheckResaved(content->stations.second, stations.second);
}

void FuzzDataFile(std::string_view bytes) {
    const auto content = DecodeDataFile(bytes);
    if (!content) {
        Check(!content.message().empty(), "a refusal says why");
        return;
    }
    Check(bytes.size() >= kShortestDataFileSize, "a short file is refused");
    CheckRecordBytes(content->stations.first, bytes);
    CheckRecordBytes(content->stations.second, bytes.substr(kSlotSize));
    // Encoding what was decoded gives the stored bytes back, filler aside.
    const std::string encoded =
        EncodeDataFile(content->stations.first, content->stations.second, content->readings);
    for (std::size_t n = 0; n < kReadingEntryCount; ++n) {
        const std::size_t offset = (2 + n) * kSlotSize;
        Check(encoded.compare(offset, kReadingEntrySize, bytes.substr(offset, kReadingEntrySize)) == 0,
              "a reading entry encodes to its bytes");
    }
    OpenAndSave(bytes, ".fh2", content->stations, bytes.size() % 2 == 0 ? ',' : '.');
}

void FuzzImportFile(std::string_view bytes) {
    const auto stations = DecodeImportFile(bytes);
    if (!stations) {
        Check(!stations.message().empty(), "a refusal says why");
        return;
    }
    Check(bytes.size() == kImportFileSize, "a file of another length is refused");
    CheckRecordBytes(stations->first, bytes);
    CheckRecordBytes(stations->second, bytes.substr(kScedRecordSize));
    OpenAndSave(bytes, ".fhd", *stations, bytes.size() % 2 == 0 ? ',' : '.');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FuzzDataFile(bytes);
    FuzzImportFile(bytes);
    return 0;
}
