#pragma once

// The inputs of `vantrel-cli live`: each source turns what it reads into calls on a LiveSink, which the
// command feeds to its live::LiveSession after stamping the arrival time itself (one steady clock for all
// sources, so freshness is judged alike).
//
// Adding a source (gpsd, a network DF poller): derive from LiveSource, start the adapter in Start() and
// call the sink from its signals (gpsFix for a gpsd report, networkBody for a fetched file, problem for a
// status worth a line on stderr, ended when it is gone for good); then construct it in MakeLiveSources
// (live_command.cpp) from its option. A source that retries by itself (gpsd, HTTP) never calls ended.
//
// Threads: everything here lives on the thread that runs the command's event loop; sinks are called from it.

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/outcome.hpp"
#include "instruments/feed_address.hpp"
#include "instruments/gps_sample.hpp"
#include "platform/gpsd_client.hpp"
#include "platform/instrument_port.hpp"
#include "platform/network_df_poller.hpp"

namespace vantrel::cli {

struct LiveSink {
    std::function<void(std::string_view)> gpsBytes;  // an NMEA byte stream
    std::function<void(const instruments::GpsSample&)> gpsFix;
    std::function<void(std::string_view)> receiverBytes;
    std::function<void(std::string_view)> networkBody;  // one whole fetched file
    std::function<void(const std::string&)> problem;
    // The source has stopped for good; `failure` empty when its input simply ended (stdin at its end).
    std::function<void(const std::string& failure)> ended;
};

class LiveSource {
  public:
    LiveSource() = default;
    virtual ~LiveSource() = default;
    LiveSource(const LiveSource&) = delete;
    LiveSource& operator=(const LiveSource&) = delete;
    // Starts reading; a failure (a device that does not open) names the source and the reason.
    virtual core::Outcome Start(LiveSink& sink) = 0;
};

// Which sink call a byte stream feeds.
enum class ByteStream { Gps, Receiver };

// A serial device. Nothing sent before the opening is read, as with Get Pos (gps_position_request.hpp says
// where such bytes hide): the device's queue is cleared, and what arrives is thrown away until the line has
// been quiet for GpsPositionRequest::kQuietMilliseconds (at most kLongestDiscardMilliseconds, so a unit that
// never pauses is heard). The readers then start at the next sentence or line.
class SerialLiveSource : public LiveSource {
  public:
    SerialLiveSource(QString device, int baudRate, ByteStream stream)
        : device_(std::move(device)), baudRate_(baudRate), stream_(stream) {}
    core::Outcome Start(LiveSink& sink) override;

  private:
    void OnReceived(LiveSink& sink, const QByteArray& bytes);

    QString device_;
    int baudRate_;
    ByteStream stream_;
    platform::InstrumentPort port_;
    QTimer quiet_;
    QElapsedTimer sinceOpening_;
    bool listening_ = false;
};

// Standard input, read as it becomes readable (no busy loop). POSIX only.
class StdinLiveSource : public LiveSource {
  public:
    explicit StdinLiveSource(ByteStream stream) : stream_(stream) {}
    core::Outcome Start(LiveSink& sink) override;

  private:
    ByteStream stream_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// gpsd's fixes (--gps gpsd://HOST:PORT). Its troubles (gpsd down, no fix) are problems; it reconnects by
// itself and never ends.
class GpsdLiveSource : public LiveSource {
  public:
    explicit GpsdLiveSource(instruments::FeedAddress address) : address_(std::move(address)) {}
    core::Outcome Start(LiveSink& sink) override;

  private:
    instruments::FeedAddress address_;
    platform::GpsdClient client_;
};

// A network direction finder's file (--network URL), fetched every poll interval. A failing server is a
// problem; the poller retries by itself and never ends.
class NetworkLiveSource : public LiveSource {
  public:
    NetworkLiveSource(instruments::FeedAddress address, int pollMs)
        : address_(std::move(address)), pollMs_(pollMs) {}
    core::Outcome Start(LiveSink& sink) override;

  private:
    instruments::FeedAddress address_;
    int pollMs_;
    platform::NetworkDfPoller poller_;
};

// SIGINT and SIGTERM as a call on the event loop's thread, through a pipe the handler writes to (the only
// thing a handler may do safely). One instance at a time; the default handlers are back when it goes.
class TerminationWatch {
  public:
    explicit TerminationWatch(std::function<void(int signalNumber)> requested);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;
    [[nodiscard]] bool ok() const { return notifier_ != nullptr; }

  private:
    std::function<void(int)> requested_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace vantrel::cli
