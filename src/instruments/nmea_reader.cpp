#include "instruments/nmea_reader.hpp"

#include <algorithm>
#include <array>

#include "core/char_class.hpp"
#include "core/number_text.hpp"

namespace vantrel::instruments {
namespace {

using core::IsDigit;

std::optional<int> HexValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

bool IsRmcOfAcceptedTalker(std::string_view sentence) {
    if (sentence.size() < 7 || sentence[0] != '$' || sentence.substr(3, 4) != "RMC,") {
        return false;
    }
    const std::string_view talker = sentence.substr(1, 2);
    return std::find(std::begin(kRmcTalkers), std::end(kRmcTalkers), talker) != std::end(kRmcTalkers);
}

// The text between '$' and the checksum, or nullopt when a checksum is present and wrong.
std::optional<std::string_view> CheckedBody(std::string_view sentence) {
    const std::size_t star = sentence.rfind('*');
    if (star == std::string_view::npos) {
        return sentence.substr(1);
    }
    const std::string_view given = sentence.substr(star + 1);
    if (given.size() != 2) {
        return std::nullopt;
    }
    const auto high = HexValue(given[0]);
    const auto low = HexValue(given[1]);
    if (!high || !low) {
        return std::nullopt;
    }
    const std::string_view body = sentence.substr(1, star - 1);
    unsigned char sum = 0;
    for (const char c : body) {
        sum = static_cast<unsigned char>(sum ^ static_cast<unsigned char>(c));
    }
    if (sum != *high * 16 + *low) {
        return std::nullopt;
    }
    return body;
}

// Fields 0..6 of the body: talker and type, time, status, latitude, N/S, longitude, E/W.
constexpr std::size_t kFieldsNeeded = 7;

bool SplitFields(std::string_view body, std::array<std::string_view, kFieldsNeeded>& fields) {
    std::size_t start = 0;
    for (std::size_t f = 0; f < kFieldsNeeded; ++f) {
        if (start > body.size()) {
            return false;
        }
        const std::size_t comma = body.find(',', start);
        fields[f] =
            body.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        start = comma == std::string_view::npos ? body.size() + 1 : comma + 1;
    }
    return true;
}

// dd mm or ddd mm with optional decimals: exactly `degreeDigits` + 2 integer digits, then nothing or a
// point followed by at least one digit.
bool IsAngleField(std::string_view field, std::size_t degreeDigits) {
    const std::size_t integerDigits = degreeDigits + 2;
    if (field.size() < integerDigits || !std::all_of(field.begin(), field.begin() + integerDigits, IsDigit)) {
        return false;
    }
    const std::string_view rest = field.substr(integerDigits);
    if (rest.empty()) {
        return true;
    }
    return rest.size() >= 2 && rest[0] == '.' && std::all_of(rest.begin() + 1, rest.end(), IsDigit);
}

double Degrees(std::string_view field, std::size_t degreeDigits) {
    const double degrees = core::ReadPlain(field.substr(0, degreeDigits));
    const double minutes = core::ReadPlain(field.substr(degreeDigits));
    return minutes / 60 + degrees;
}

}  // namespace

void NmeaFramer::Append(std::string_view bytes) {
    if (state_ != State::InSentence) {
        return;
    }
    if (sentence_.size() + bytes.size() > kMaxSentence) {
        state_ = State::Overlong;
        sentence_.clear();
        return;
    }
    if (sentence_.capacity() < kMaxSentence) {
        sentence_.reserve(kMaxSentence);  // one buffer for good: no regrowth while the sentence fills
    }
    sentence_.append(bytes);
}

std::string_view NmeaFramer::Finish(bool atLineEnd) {
    if (atLineEnd) {
        while (!sentence_.empty() && sentence_.back() == '\r') {
            sentence_.pop_back();
        }
    }
    state_ = State::Between;
    return sentence_;
}

RmcCheck CheckRmc(std::string_view sentence) {
    const auto refused = [](RmcProblem problem) { return RmcCheck{std::nullopt, problem}; };
    if (!IsRmcOfAcceptedTalker(sentence)) {
        return refused(RmcProblem::NotRmc);
    }
    const auto body = CheckedBody(sentence);
    if (!body) {
        return refused(RmcProblem::WrongChecksum);
    }
    std::array<std::string_view, kFieldsNeeded> fields;
    if (!SplitFields(*body, fields)) {
        return refused(fields[2] == "V" ? RmcProblem::NoFix : RmcProblem::BadField);
    }
    const std::string_view status = fields[2];
    const std::string_view latitude = fields[3];
    const std::string_view hemisphere = fields[4];
    const std::string_view longitude = fields[5];
    const std::string_view eastWest = fields[6];
    if (status != "A") {
        return refused(status == "V" ? RmcProblem::NoFix : RmcProblem::BadField);
    }
    if (!IsAngleField(latitude, 2) || !IsAngleField(longitude, 3) ||
        (hemisphere != "N" && hemisphere != "S") || (eastWest != "E" && eastWest != "W")) {
        return refused(RmcProblem::BadField);
    }
    if (core::ReadPlain(latitude.substr(2)) >= 60 || core::ReadPlain(longitude.substr(3)) >= 60) {
        return refused(RmcProblem::MinutesOf60);
    }
    if (Degrees(latitude, 2) > 90) {
        return refused(RmcProblem::LatitudeBeyond90);
    }
    if (Degrees(longitude, 3) > 180) {
        return refused(RmcProblem::LongitudeBeyond180);
    }
    RmcFix fix;
    fix.hemisphere = hemisphere[0];
    fix.eastWest = eastWest[0];
    fix.latitude = Degrees(latitude, 2);
    fix.longitude = Degrees(longitude, 3);
    if (fix.hemisphere == 'S') {
        fix.latitude = -fix.latitude;
    }
    if (fix.eastWest == 'W') {
        fix.longitude = -fix.longitude;
    }
    fix.sentence = std::string(sentence);
    return RmcCheck{std::move(fix), RmcProblem::NotRmc};
}

std::optional<RmcFix> ParseRmc(std::string_view sentence) {
    return CheckRmc(sentence).fix;
}

std::string_view RmcProblemText(RmcProblem problem) {
    switch (problem) {
        case RmcProblem::NotRmc:
            return "that are no RMC sentence";
        case RmcProblem::WrongChecksum:
            return "with a wrong checksum";
        case RmcProblem::NoFix:
            return "saying the receiver has no position (status V)";
        case RmcProblem::BadField:
            return "with a position field missing or malformed";
        case RmcProblem::MinutesOf60:
            return "with minutes of 60 or more";
        case RmcProblem::LatitudeBeyond90:
            return "with a latitude beyond 90 degrees";
        case RmcProblem::LongitudeBeyond180:
            return "with a longitude beyond 180 degrees";
    }
    return {};
}

bool IsRmcWithoutFix(std::string_view sentence) {
    if (!IsRmcOfAcceptedTalker(sentence)) {
        return false;
    }
    const auto body = CheckedBody(sentence);
    if (!body) {
        return false;
    }
    // The status is the third field: after the type and the time.
    const std::size_t afterType = body->find(',');
    const std::size_t afterTime = body->find(',', afterType + 1);
    if (afterTime == std::string_view::npos) {
        return false;
    }
    const std::size_t afterStatus = body->find(',', afterTime + 1);
    const std::string_view status =
        body->substr(afterTime + 1, afterStatus == std::string_view::npos ? std::string_view::npos
                                                                          : afterStatus - afterTime - 1);
    return status == "V";
}

}  // namespace vantrel::instruments
