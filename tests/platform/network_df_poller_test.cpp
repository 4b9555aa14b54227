// The network direction finder's poller against a real HTTP server on 127.0.0.1 run by the test: frames
// delivered (the same frame twice marked as such), one request at a time at the poll interval; every kind
// of failure named with the URL and its reason, retried after a growing pause, and healed once the server
// answers again.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>
#include <QElapsedTimer>

#include <ostream>
#include <string>
#include <vector>

#include "instruments/feed_address.hpp"
#include "loopback_http_server.hpp"
#include "platform/network_df_poller.hpp"
#include "test_names.hpp"

namespace vantrel::platform {
namespace {

using testing_support::LoopbackHttpServer;
using Behaviour = LoopbackHttpServer::Behaviour;

// One frame of a direction finder with two channels (the poller does not read it).
const QByteArray kFrameA =
    "1765200000000,134,3.5,-41,145500000,UCA,120,car1,0,0,0,0,GPS,R,R,R,R,0.1,0.2\n"
    "1765200000000,271.5,1.25,-60,145600000,UCA,120,car1,0,0,0,0,GPS,R,R,R,R,0.3,0.4\n";
const QByteArray kFrameB = "1765200000500,135,3.4,-40,145500000,UCA,120,car1,0,0,0,0,GPS,R,R,R,R,0.1,0.2\n";

struct Frame {
    QByteArray body;
    bool same;
};

struct Seen {
    std::vector<Frame> frames;
    std::vector<std::pair<qint64, QString>> statuses;
};

void Record(NetworkDfPoller& poller, Seen& seen, const QElapsedTimer& clock) {
    QObject::connect(&poller, &NetworkDfPoller::frame, [&seen](const QByteArray& body, qint64, bool same) {
        seen.frames.push_back({body, same});
    });
    QObject::connect(&poller, &NetworkDfPoller::status, [&seen, &clock](const QString& text) {
        seen.statuses.emplace_back(clock.elapsed(), text);
    });
}

instruments::FeedAddress Address(quint16 port) {
    return *instruments::ParseNetworkDfAddress("http://127.0.0.1:" + std::to_string(port));
}

QString UrlOf(quint16 port) {
    return QStringLiteral("http://127.0.0.1:%1/DOA_value.html").arg(port);
}

TEST(NetworkDfPoller, DeliversFramesOneRequestAtATimeAndMarksARepeatedFrame) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.Listen());
    server.SetBody(kFrameA);
    QElapsedTimer clock;
    clock.start();
    NetworkDfPoller poller;
    Seen seen;
    Record(poller, seen, clock);
    poller.Start(Address(server.port()), 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.frames.size() >= 3; }, 10000));
    server.SetBody(kFrameB);
    const std::size_t changedAt = seen.frames.size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.frames.size() >= changedAt + 3; }, 10000));
    poller.Stop();

    EXPECT_EQ(seen.frames[0].body, kFrameA);
    EXPECT_FALSE(seen.frames[0].same);
    EXPECT_TRUE(seen.frames[1].same);
    EXPECT_TRUE(seen.frames[2].same);
    // The first request after the change may have been on its way already.
    std::size_t firstB = changedAt;
    while (seen.frames[firstB].body == kFrameA) {
        ++firstB;
    }
    EXPECT_FALSE(seen.frames[firstB].same);
    EXPECT_EQ(seen.frames[firstB].body, kFrameB);
    EXPECT_TRUE(seen.frames.back().same);
    EXPECT_EQ(server.mostOpenAtOnce(), 1);
    const auto& times = server.requestTimes();
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 90) << "request " << i;
    }
    EXPECT_EQ(seen.statuses.front().second, UrlOf(server.port()) + QStringLiteral(": answering"));
}

struct FailureCase {
    const char* name;
    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
    Behaviour behaviour;
    int bodyBytes;
    bool listening;
    const char* reason;
    int atLeastMs;  // how long before the failure is known
};

class NetworkDfFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(NetworkDfFailure, IsNamedWithTheUrlAndRetriedAfterAGrowingPause) {
    const FailureCase& c = GetParam();
    LoopbackHttpServer server;
    ASSERT_TRUE(server.Listen());
    const quint16 port = server.port();
    if (!c.listening) {
        server.Close();
    }
    server.SetBehaviour(c.behaviour);
    server.SetBody(QByteArray(c.bodyBytes, 'x'));
    QElapsedTimer clock;
    clock.start();
    NetworkDfPoller poller;
    Seen seen;
    Record(poller, seen, clock);
    poller.Start(Address(port), 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.statuses.size() >= 2; }, 15000));
    poller.Stop();

    EXPECT_TRUE(seen.frames.empty());
    const QString url = UrlOf(port);
    EXPECT_EQ(seen.statuses[0].second, url + QStringLiteral(": ") + QString::fromUtf8(c.reason) +
                                           QStringLiteral(", retrying in 0.5 s"));
    EXPECT_EQ(seen.statuses[1].second,
              url + QStringLiteral(": ") + QString::fromUtf8(c.reason) + QStringLiteral(", retrying in 1 s"));
    EXPECT_GE(seen.statuses[0].first, c.atLeastMs);
    EXPECT_LT(seen.statuses[0].first, c.atLeastMs + 1500);
    EXPECT_GE(seen.statuses[1].first - seen.statuses[0].first, 500 + c.atLeastMs - 50);
}

constexpr int kTwoMiB = 2 * 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Failures, NetworkDfFailure,
    testing::Values(FailureCase{"ServerDown", Behaviour::Serve, 0, false, "connection refused", 0},
                    FailureCase{"NeverAnswers", Behaviour::Silent, 0, true, "no answer within 2 s", 2000},
                    FailureCase{"NotFound", Behaviour::NotFound, 0, true, "HTTP 404 Not Found", 0},
                    FailureCase{"TwoMiBWithItsLength", Behaviour::Serve, kTwoMiB, true,
                                "the response (2097152 bytes) is longer than 1 MiB", 0},
                    FailureCase{"TwoMiBWithoutLength", Behaviour::ServeWithoutLength, kTwoMiB, true,
                                "the response is longer than 1 MiB", 0}),
    testing_support::ParamName{});

TEST(NetworkDfPoller, ServerBackAfterAnOutageIsHeardAgainAndThePauseStartsAfresh) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.Listen());
    const quint16 port = server.port();
    server.Close();
    QElapsedTimer clock;
    clock.start();
    NetworkDfPoller poller;
    Seen seen;
    Record(poller, seen, clock);
    poller.Start(Address(port), 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.statuses.size() >= 3; },
                                15000));  // 0.5 s, 1 s, 2 s
    EXPECT_TRUE(seen.statuses[2].second.endsWith(QStringLiteral("retrying in 2 s")));

    server.SetBody(kFrameA);
    ASSERT_TRUE(server.Listen(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.frames.empty(); }, 5000));
    EXPECT_EQ(seen.statuses.back().second, UrlOf(port) + QStringLiteral(": answering"));
    server.Close();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return seen.statuses.back().second.contains(QStringLiteral("retrying")); }, 5000));
    EXPECT_TRUE(seen.statuses.back().second.endsWith(QStringLiteral("retrying in 0.5 s")))
        << seen.statuses.back().second.toStdString();
    poller.Stop();
}

}  // namespace
}  // namespace vantrel::platform
