// The GPS request and the receiver session on real pseudo-terminals, driven through Qt's event loop.
#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "platform/gps_position_request.hpp"
#include "platform/receiver_session.hpp"
#include "support/background_process.hpp"
#include "temp_dir.hpp"
#include "test_names.hpp"

#include <QCoreApplication>
#include <QSignalSpy>

#include <algorithm>
#include <chrono>
#include <regex>

namespace vantrel::platform {
namespace {

using testing_support::ReadBytes;
using testing_support::SocatPair;
using testing_support::TempDir;

// Waiting for an instrument: generous, since the machine may be busy.
constexpr int kPatienceMs = 60000;

class QtEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "platform_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QCoreApplication> app_;
};
const testing::Environment* const kQt = testing::AddGlobalTestEnvironment(new QtEnvironment);

// Finding a fix, a busy port and a vanishing receiver are covered through vantrel-cli gps.
const std::string kFix = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

QString Device(const SocatPair& pair) {
    return QString::fromStdString(pair.device());
}

TEST(GpsPositionRequest, AbortEndsItAtOnce) {
    TempDir dir;
    SocatPair pair(dir.path().string());
    ASSERT_TRUE(pair.ready());
    GpsPositionRequest request;
    QSignalSpy aborted(&request, &GpsPositionRequest::aborted);
    QSignalSpy finished(&request, &GpsPositionRequest::finished);
    QSignalSpy failed(&request, &GpsPositionRequest::failed);
    ASSERT_TRUE(request.Start(Device(pair)));
    request.Abort();  // during the settle wait, before the port opened
    EXPECT_EQ(aborted.count(), 1);
    EXPECT_FALSE(request.IsRunning());
    ASSERT_TRUE(pair.Send(kFix + "\r\n"));
    EXPECT_FALSE(finished.wait(300));  // nothing comes of it; this wait only gives it the chance
    EXPECT_EQ(failed.count(), 0);
    InstrumentPort other;
    EXPECT_TRUE(other.Open(Device(pair), 4800).ok());
}

// Positions sent while nobody listened must not answer a request: they may be minutes old. The kernel keeps
// about 16 KB for a pseudo-terminal that nobody reads (4 KB in the read queue, the rest in its buffers on
// the way there); what socat could not pass on waits in socat's own buffer and comes the moment the kernel's
// is cleared, so clearing the device's queue alone is not enough.
struct StaleCase {
    const char* name;
    std::size_t staleBytes;
};

class GpsStaleInput : public testing::TestWithParam<StaleCase> {};

TEST_P(GpsStaleInput, OnlyWhatComesAfterTheOpeningCounts) {
    // Today's position, somewhere else than the old one (Langen, from a real capture).
    const std::string fresh = "$GNRMC,184102.00,A,5000.14318,N,00838.63715,E,0.011,,030416,,,A*6F";
    TempDir dir;
    SocatPair pair(dir.path().string());
    ASSERT_TRUE(pair.ready());
    ASSERT_TRUE(pair.WatchDevice());
    std::string stale;
    while (stale.size() < GetParam().staleBytes) {
        stale += kFix + "\r\n";
    }
    ASSERT_TRUE(pair.Send(stale));
    constexpr std::size_t kDeviceQueue = 4095;
    ASSERT_TRUE(pair.WaitForQueuedOnDevice(std::min(stale.size(), kDeviceQueue),
                                           std::chrono::milliseconds(kPatienceMs)));

    GpsPositionRequest request;
    QSignalSpy listening(&request, &GpsPositionRequest::listening);
    QSignalSpy finished(&request, &GpsPositionRequest::finished);
    ASSERT_TRUE(request.Start(Device(pair)));
    ASSERT_TRUE(listening.wait(kPatienceMs));
    EXPECT_EQ(finished.count(), 0) << "answered with a position sent before the request";
    EXPECT_FALSE(request.Request().receivedAny());

    ASSERT_TRUE(pair.Send(fresh + "\r\n"));
    ASSERT_TRUE(finished.count() == 1 || finished.wait(kPatienceMs));
    EXPECT_EQ(finished.at(0).at(0).value<instruments::RmcFix>().sentence, fresh);
}

INSTANTIATE_TEST_SUITE_P(Backlogs, GpsStaleInput,
                         testing::Values(StaleCase{"ThreeSentencesInTheDeviceQueue", 3 * (kFix.size() + 2)},
                                         StaleCase{"MoreThanTheKernelHoldsTheRestInSocat", 20000}),
                         testing_support::ParamName());

struct Receiver {
    TempDir dir;
    SocatPair pair{dir.path().string()};
    persistence::ProgramState program;
    instruments::DataInForm form;
    ReceiverSession session{program, form, ','};

    Receiver() { instruments::LayoutGrid(form); }
    std::string Log() const { return ReadBytes(dir / "test.Log"); }
};

TEST(ReceiverSession, FilesLogsAndStopsAfterTheNextFiledLine) {
    Receiver r;
    ASSERT_TRUE(r.pair.ready());
    ASSERT_TRUE(r.session.OpenPort(Device(r.pair)).ok());
    ASSERT_TRUE(r.session.OpenLog({r.dir / "test.Log"}).ok());
    r.program.RxStation = 1;
    QSignalSpy lines(&r.session, &ReceiverSession::lineReceived);
    QSignalSpy ended(&r.session, &ReceiverSession::receiveEnded);

    // The first line after Start RX only synchronises.
    ASSERT_TRUE(r.session.StartRx());
    ASSERT_TRUE(r.pair.Send("A 002.0 dB -2\r\nA 123.4 dB -45.6\r\nA ERROR\r\n"));
    while (lines.count() < 2) {
        ASSERT_TRUE(lines.wait(kPatienceMs));
    }
    r.session.StopRx();
    ASSERT_TRUE(r.pair.Send("A 200.0 dB    5\r\nA 300.0 dB -3\r\n"));
    ASSERT_TRUE(ended.wait(kPatienceMs));
    EXPECT_FALSE(r.session.IsReceiving());
    ASSERT_EQ(lines.count(), 3);
    EXPECT_EQ(lines.at(1).at(0).value<instruments::RxLineEvent>().kind,
              instruments::RxLineEvent::Kind::Skipped);

    EXPECT_EQ(r.program.RxReadings(1, 0, 0), (instruments::RxReading{123.4, -45, 1}));
    EXPECT_EQ(r.program.RxReadings(1, 0, 1), (instruments::RxReading{200, 5, 1}));
    EXPECT_EQ(r.program.RxReadings(1, 0, 2).Valid, 0);
    EXPECT_EQ(r.form.Grid[1][1], "123,4");
    EXPECT_EQ(r.form.Grid[2][1], "200");
    EXPECT_EQ(r.form.CursorRow, 3);

    r.session.Close();
    // Date and time are in the system's formats, which may hold blanks themselves.
    const std::regex record(R"("P2 \S.* .*\S   (123,4\xB0  -45,0|200,0\xB0  05,0)dB"\r\n)");
    const std::string log = r.Log();
    const std::string closing = "\"\r\n\"\r\n";
    ASSERT_GE(log.size(), closing.size());
    EXPECT_EQ(log.substr(log.size() - closing.size()), closing);
    const std::string records = log.substr(0, log.size() - closing.size());
    const std::size_t firstEnd = records.find("\r\n") + 2;
    EXPECT_TRUE(std::regex_match(records.substr(0, firstEnd), record)) << records;
    EXPECT_TRUE(std::regex_match(records.substr(firstEnd), record)) << records;
    EXPECT_NE(records.find("123,4"), std::string::npos);
    EXPECT_NE(records.find("200,0"), std::string::npos);
    EXPECT_FALSE(r.session.IsPortOpen());
}

TEST(ReceiverSession, DisappearingReceiverEndsTheLoopWithAMessage) {
    Receiver r;
    ASSERT_TRUE(r.pair.ready());
    ASSERT_TRUE(r.session.OpenPort(Device(r.pair)).ok());
    QSignalSpy problem(&r.session, &ReceiverSession::problem);
    QSignalSpy ended(&r.session, &ReceiverSession::receiveEnded);
    ASSERT_TRUE(r.session.StartRx());
    r.pair.Disconnect();
    ASSERT_TRUE(problem.wait(kPatienceMs));
    EXPECT_EQ(problem.at(0).at(0).toString(), QStringLiteral("the instrument was disconnected"));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(r.session.IsPortOpen());
    EXPECT_FALSE(r.session.StartRx()) << "no loop on a closed port";
    // The port stays quiet afterwards: no further reports.
    EXPECT_FALSE(problem.wait(300));
    EXPECT_EQ(problem.count(), 1);
}

TEST(ReceiverSession, PortThatCannotBeOpenedRunsNoLoop) {
    TempDir dir;
    persistence::ProgramState program;
    instruments::DataInForm form;
    ReceiverSession session(program, form, ',');
    const core::Outcome opened = session.OpenPort(QString::fromStdString((dir / "missing").string()));
    EXPECT_FALSE(opened.ok());
    EXPECT_FALSE(session.StartRx());
}

}  // namespace
}  // namespace vantrel::platform
