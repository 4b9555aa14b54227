// The gpsd client against the real gpsd, fed by gpsfake (both from Debian's gpsd packages) on a free
// port of 127.0.0.1: a recorded receiver's fixes arrive as they were recorded; gpsd killed mid-stream is
// reported, tried again after growing pauses without costing CPU, and heard again once it is back.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QtCore/qtestsupport_core.h>
#include <QElapsedTimer>
#include <QTcpServer>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "instruments/feed_address.hpp"
#include "platform/gpsd_client.hpp"
#include "support/background_process.hpp"
#include "support/nmea_sentence.hpp"
#include "temp_dir.hpp"

namespace vantrel::platform {
namespace {

using instruments::GpsSample;
using testing_support::BackgroundProcess;
using testing_support::TempDir;

constexpr double kKnot = 1852.0 / 3600.0;  // m/s

// A port nobody listens on now (the system's choice of a free one).
quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// gpsfake with its gpsd, in a process group of their own so that both end together (gpsfake does not
// take its gpsd along when it is killed).
class FakeGpsd {
  public:
    FakeGpsd(quint16 port, const std::string& log, double secondsPerSentence)
        : process_({"setsid", "gpsfake", "-q", "-1", "-P", std::to_string(port), "-c",
                    std::to_string(secondsPerSentence), log}) {}
    ~FakeGpsd() { Kill(); }
    FakeGpsd(const FakeGpsd&) = delete;
    FakeGpsd& operator=(const FakeGpsd&) = delete;
    [[nodiscard]] bool started() const { return process_.started(); }
    void Kill() {
        if (!killed_ && process_.started()) {
            ::kill(-process_.pid(), SIGKILL);
            process_.Wait(std::chrono::seconds(10));
        }
        killed_ = true;
    }

  private:
    BackgroundProcess process_;
    bool killed_ = false;
};

struct Received {
    std::vector<GpsSample> samples;
    std::vector<std::pair<qint64, QString>> statuses;  // with the test's clock in ms
};

void Record(GpsdClient& client, Received& received, const QElapsedTimer& clock) {
    QObject::connect(&client, &GpsdClient::sample,
                     [&received](const GpsSample& sample, qint64) { received.samples.push_back(sample); });
    QObject::connect(&client, &GpsdClient::status, [&received, &clock](const QString& text) {
        received.statuses.emplace_back(clock.elapsed(), text);
    });
}

instruments::FeedAddress Loopback(quint16 port) {
    return *instruments::ParseGpsdAddress("gpsd://127.0.0.1:" + std::to_string(port));
}

// The recorded RMC sentences by time of day (ms): status, lat, lon, speed (m/s), course.
struct Rmc {
    bool valid;
    double lat, lon, speed, course;
};

double Degrees(const std::string& field, int degreeDigits, const std::string& hemisphere) {
    const double value = std::stod(field.substr(0, static_cast<std::size_t>(degreeDigits))) +
                         std::stod(field.substr(static_cast<std::size_t>(degreeDigits))) / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -value : value;
}

std::map<std::int64_t, Rmc> RecordedRmc(const std::string& path) {
    std::map<std::int64_t, Rmc> sentences;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("$GPRMC,", 0) != 0) {
            continue;
        }
        std::vector<std::string> f;
        for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
            end = line.find(',', start);
            f.push_back(line.substr(start, end - start));
        }
        const auto timeOfDay = std::stoll(f[1].substr(0, 2)) * 3600000 +
                               std::stoll(f[1].substr(2, 2)) * 60000 +
                               std::llround(std::stod(f[1].substr(4)) * 1000);
        sentences[timeOfDay] = Rmc{f[2] == "A", Degrees(f[3], 2, f[4]), Degrees(f[5], 3, f[6]),
                                   std::stod(f[7]) * kKnot, std::stod(f[8])};
    }
    return sentences;
}

TEST(GpsdClient, GivesTheRecordedFixesOnceEachInOrder) {
    const std::string capture = std::string(VANTREL_TESTDATA_DIR) + "/nmea/haicom-305N.log";
    const auto recorded = RecordedRmc(capture);
    const quint16 port = FreePort();
    FakeGpsd gpsd(port, capture, 0.03);
    ASSERT_TRUE(gpsd.started());
    QElapsedTimer clock;
    clock.start();
    GpsdClient client;
    Received received;
    Record(client, received, clock);
    client.Start(Loopback(port));

    std::int64_t lastFix = 0;
    for (const auto& [time, rmc] : recorded) {
        lastFix = rmc.valid ? time : lastFix;
    }
    // gpsd moves the capture's date by the GPS week roll-over, not the time of day.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !received.samples.empty() && received.samples.back().timeMs % 86400000 == lastFix; },
        60000))
        << received.samples.size() << " samples";
    // gpsfake starts the recording as soon as gpsd is up, so the first fixes may come before the client is
    // connected; from the first one heard on, every valid recorded fix comes, once, in order.
    std::vector<std::int64_t> expected;
    std::vector<std::int64_t> heard;
    for (const auto& [time, rmc] : recorded) {
        if (rmc.valid && time >= received.samples.front().timeMs % 86400000) {
            expected.push_back(time);
        }
    }
    for (const GpsSample& sample : received.samples) {
        heard.push_back(sample.timeMs % 86400000);
    }
    EXPECT_EQ(heard, expected);
    EXPECT_GE(heard.size(), 40U);
    for (std::size_t i = 0; i < received.samples.size(); ++i) {
        const GpsSample& sample = received.samples[i];
        SCOPED_TRACE("sample " + std::to_string(i));
        const auto found = recorded.find(sample.timeMs % 86400000);
        ASSERT_NE(found, recorded.end());
        EXPECT_NEAR(sample.lat, found->second.lat, 1e-8);
        EXPECT_NEAR(sample.lon, found->second.lon, 1e-8);
        EXPECT_NEAR(sample.speed, found->second.speed, 1e-3);
        EXPECT_NEAR(sample.course, found->second.course, 1e-3);
        if (i > 0) {
            EXPECT_GT(sample.timeMs, received.samples[i - 1].timeMs);
        }
    }
    client.Stop();
}

// A stream of RMC sentences one GPS second apart, starting at the time of day given (seconds).
std::string RmcLog(int firstSecond, int count, double latMinutes) {
    std::string log;
    for (int i = 0; i < count; ++i) {
        const int t = firstSecond + i;
        char body[128];
        std::snprintf(body, sizeof body,
                      "GPRMC,%02d%02d%02d.000,A,50%07.4f,N,00900.0000,E,10.0,90.0,081226,,,A", t / 3600,
                      t / 60 % 60, t % 60, latMinutes + 0.001 * i);
        log += testing_support::NmeaSentence(body);
    }
    return log;
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(GpsdClient, GpsdKilledMidStreamIsReportedRetriedWithGrowingPausesAndHeardAgain) {
    TempDir dir;
    const std::string before = (dir.path() / "before.log").string();
    const std::string after = (dir.path() / "after.log").string();
    std::ofstream(before) << RmcLog(12 * 3600, 400, 0.0);
    std::ofstream(after) << RmcLog(13 * 3600, 400, 30.0);
    const quint16 port = FreePort();
    QElapsedTimer clock;
    clock.start();
    GpsdClient client;
    Received received;
    Record(client, received, clock);
    auto gpsd = std::make_unique<FakeGpsd>(port, before, 0.2);
    client.Start(Loopback(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.samples.size() >= 3; }, 30000));

    gpsd->Kill();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return received.statuses.back().second.contains(QStringLiteral("retrying")); }, 5000));
    const qint64 lostAt = clock.elapsed();
    const std::size_t samplesBefore = received.samples.size();
    const std::size_t statusesBefore = received.statuses.size();
    const double cpuBefore = CpuSeconds();
    QTest::qWait(7800);  // down: 0.5 + 1 + 2 + 4 s of pauses
    const double cpuWhileDown = CpuSeconds() - cpuBefore;

    EXPECT_EQ(received.samples.size(), samplesBefore);
    // The attempts while down: each one "connecting", then refused with the next, doubled pause.
    std::vector<qint64> attempts;
    std::vector<QString> refusals;
    for (std::size_t i = statusesBefore - 1; i < received.statuses.size(); ++i) {
        const auto& [at, text] = received.statuses[i];
        if (text.endsWith(QStringLiteral(": connecting"))) {
            attempts.push_back(at);
        } else if (text.contains(QStringLiteral("retrying"))) {
            refusals.push_back(text);
        }
    }
    const QString name = QStringLiteral("gpsd 127.0.0.1:") + QString::number(port);
    ASSERT_GE(refusals.size(), 4U);
    EXPECT_TRUE(refusals[0].startsWith(name + QStringLiteral(": "))) << refusals[0].toStdString();
    EXPECT_TRUE(refusals[0].endsWith(QStringLiteral("retrying in 0.5 s"))) << refusals[0].toStdString();
    EXPECT_EQ(refusals[1], name + QStringLiteral(": connection refused, retrying in 1 s"));
    EXPECT_EQ(refusals[2], name + QStringLiteral(": connection refused, retrying in 2 s"));
    EXPECT_EQ(refusals[3], name + QStringLiteral(": connection refused, retrying in 4 s"));
    ASSERT_GE(attempts.size(), 4U);
    ASSERT_LE(attempts.size(), 5U);
    const qint64 pauses[] = {500, 1000, 2000, 4000};
    qint64 previous = lostAt;
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_GE(attempts[i] - previous, pauses[i] - 50) << "attempt " << i;
        previous = attempts[i];
    }
    EXPECT_LT(cpuWhileDown, 0.4) << "waiting must not spin";

    gpsd = std::make_unique<FakeGpsd>(port, after, 0.2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.samples.size() > samplesBefore; }, 30000));
    // The first fix after the restart is the new gpsd's, newer than everything before.
    const GpsSample& first = received.samples[samplesBefore];
    EXPECT_GE(first.timeMs % 86400000, 13 * 3600 * 1000);
    EXPECT_GT(first.lat, 50.49);
    EXPECT_TRUE(client.IsConnected());
    client.Stop();
}

}  // namespace
}  // namespace vantrel::platform
