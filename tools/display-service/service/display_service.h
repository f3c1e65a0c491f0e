// The display service: one virtual 160 x 43 device with four soft buttons,
// shared by any number of clients over the Unix socket and, for clients that
// have none (the Windows library under Wine), over loopback TCP after a
// token from the per-user token file. A single-threaded
// loop owns all device and client state; the optional HTTP viewer runs
// on its own threads and only sees what the loop publishes through
// ViewerState. On Windows there is no Unix socket: every client, the
// command-line tools included, comes over loopback TCP with the token.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/display-service/service/descriptor_reserve.h"
#include "tools/display-service/service/drop_log.h"
#include "tools/display-service/service/event_poller.h"
#include "tools/display-service/protocol/frame_slot.h"
#include "tools/display-service/protocol/frame_slot_memory.h"
#include "tools/display-service/protocol/message_codec.h"
#include "tools/display-service/protocol/message_stream.h"
#include "tools/display-service/service/service_calls.h"
#include "tools/display-service/service/slot_pacing.h"
#include "tools/display-service/service/viewer_state.h"

namespace vareko::displayservice {

class HttpViewer;
class PassedDescriptors;

constexpr int kDefaultHttpPort = 8643;
constexpr int kHttpDisabled = -1;
constexpr int kTcpDisabled = -1;
constexpr int kDefaultTokenWaitMs = 2000;
// Loopback TCP serves the Windows library under Wine: a user runs a few such
// programs. Any local user can connect, so places are bounded: in all, and
// for connections that have not presented the token yet, where a new one
// replaces the oldest instead of being turned away.
constexpr std::size_t kMaxTcpClients = 32;
constexpr std::size_t kMaxTcpClientsWithoutToken = 8;

struct ServiceOptions {
    std::string socketPath;           // empty: ResolveSocketPath() (none on Windows)
    int httpPort = kDefaultHttpPort;  // 0: any free port; kHttpDisabled: no viewer
    std::vector<std::string> viewerListen;  // addresses served beside 127.0.0.1
    std::string tlsCertificateFile;         // with tlsKeyFile: the viewer speaks HTTPS only
    std::string tlsKeyFile;
    int tcpPort = 0;                  // loopback TCP; 0: any free port; kTcpDisabled: none
    std::string tokenPath;            // empty: ServiceTokenPath(socket path)
    int tokenWaitMs = kDefaultTokenWaitMs;  // a TCP client without its token by then is closed
    // Called on the loop thread with the pixels of every frame that a client
    // sends to its open device, as soon as it is decoded (in-process
    // measurements time and name frames with it); empty: none.
    std::function<void(const std::uint8_t* pixels)> frameObserver;
    // Receives each log line (no newline), on the loop thread; empty: stderr.
    std::function<void(const std::string& line)> logLine;
};

class DisplayService {
public:
    explicit DisplayService(ServiceOptions options);
    ~DisplayService();
    DisplayService(const DisplayService&) = delete;
    DisplayService& operator=(const DisplayService&) = delete;

    // Binds the socket (and the viewer); returns an empty string or the reason.
    std::string Start();
    // Runs the loop until RequestStop; then closes every client and the socket.
    // The calling thread becomes a batch task (SCHED_BATCH) and stays one, so
    // that a frame's arrival never preempts its sender.
    void Run();
    // Safe from any thread and from a signal handler.
    void RequestStop();

    const std::string& SocketPath() const { return socketPath_; }
    int HttpPort() const { return httpPort_; }
    // The owner's address of the viewer (with its secret); empty without one.
    const std::string& ViewerUrl() const { return viewerUrl_; }
    // That address first, then one per address the viewer serves on the
    // network (see HttpViewer::NetworkHosts); empty without a viewer.
    std::vector<std::string> ViewerUrls() const;
    int TcpPort() const { return tcpPort_; }
    const std::string& TokenPath() const { return tokenPath_; }

private:
    static constexpr std::size_t kMaxQueuedMessages = 512;
    static constexpr int kMessagesPerWakeup = 32;
    static constexpr int kAcceptsPerWakeup = 64;
    static constexpr auto kListenerPause = std::chrono::milliseconds(100);

    struct Client {
        std::uint32_t id = 0;
        int fd = -1;
        long pid = 0;                   // 0 for TCP clients: the kernel cannot tell
        long uid = -1;                  // Unix clients
        int port = 0;                   // TCP clients: the peer's port
        std::unique_ptr<MessageStream> inbound;  // TCP only: bytes to messages
        bool tokenChecked = true;       // false until a TCP client presented the token
        std::chrono::steady_clock::time_point acceptedAt;
        std::size_t outOffset = 0;      // bytes of outQueue.front() already sent
        bool greeted = false;
        ClientRole role = ClientRole::kApplication;
        std::string name;
        std::uint32_t connectFlag1 = 0;
        std::uint32_t connectFlag2 = 0;
        std::uint32_t deviceFlag = 0;
        bool deviceOpen = false;
        bool hasFrame = false;
        std::uint32_t priority = 0;
        std::uint64_t lastFrameSequence = 0;
        std::array<std::uint8_t, kDevicePixelBytes> frame{};
        std::uint32_t buttonsSent = 0;
        bool watching = false;
        bool snapshotPending = false;   // a watcher's picture waits for its queue to drain
        bool closeWhenFlushed = false;
        DropReason closeReason = DropReason::kLeft;  // why, once closeWhenFlushed
        bool closing = false;
        bool wantWrite = false;
        std::deque<std::vector<std::uint8_t>> outQueue;
        std::uint32_t framesInWindow = 0;
        double framesPerSecond = 0;
        // Frames through shared memory (Unix clients that handed a slot over).
        std::unique_ptr<FrameSlotMemory> slot;
        std::uint32_t slotSequence = 0;  // of the frame last read from it
        bool slotTorn = false;           // the last read met the writer mid-frame
    };

    // Listens on loopback TCP and writes the token file.
    std::string StartTcp();
    // Starts the HTTP viewer with a fresh secret and writes the owner's
    // address beside the token file.
    std::string StartViewer();
    // Writes the owner's loopback address to `path` (display.viewer).
    std::string WriteViewerUrl(const std::string& path);
    void OnRotateSecret(Client& c);
    void AcceptUnix();
    void AcceptTcp();
    // What to do when an accept failed with `status`: false ends this round
    // of accepts. A listener that cannot shed its queue is paused briefly.
    bool OnAcceptFailure(int listenFd, AcceptStatus status, bool mayUseSpare);
    void PauseListener(int listenFd);
    void ResumeListeners();
    // Makes room for one more TCP connection; false when there is none.
    bool MakeTcpRoom();
    Client* OldestWithoutToken();
    Client& AddClient(int fd, long pid, bool stream);
    void ReadFrom(Client& c);
    void ReadPackets(Client& c);
    void ReadStream(Client& c);
    // Acts on every whole message buffered from a TCP client; false once the
    // client is being closed.
    bool HandleBuffered(Client& c);
    void CloseSilentStreams();
    // `passed`: the descriptors that came with the message; null on TCP.
    void Handle(Client& c, const ClientMessage& message, PassedDescriptors* passed);
    void OnHello(Client& c, const HelloMessage& m);
    void OnOpen(Client& c, const OpenMessage& m);
    void OnClose(Client& c);
    void OnFrame(Client& c, const FrameMessage& m);
    void OnFrameSlot(Client& c, PassedDescriptors* passed);
    // Takes the slot's frame if a new whole one is there; true if it did.
    bool ReadSlot(Client& c);
    // ReadSlot for every client; `torn` is set if a read met its writer
    // mid-frame. True if a frame was taken.
    bool ReadEverySlot(bool& torn);
    void AnnounceToSlots(void (*announce)(std::uint8_t*));
    // Takes new frames from every slot, tells the libraries whether to wake
    // the loop, and returns how long the loop may wait for events.
    timespec LookAtSlots();
    // Closes a client's socket, and tells its library through the slot.
    void CloseSocket(Client& c, int fd);
    void OnButton(Client& c, const ButtonMessage& m);
    void OnPlug(Client& c, const PlugMessage& m);
    void OnStatusRequest(Client& c);
    void OnWatch(Client& c);

    void SetButton(std::uint32_t index, bool down);
    void SetPlugged(bool plugged);
    void Rearbitrate();
    void SendButtonsTo(Client& c);
    void PictureChanged();

    void Send(Client& c, const ServiceMessage& message);
    void SendBytes(Client& c, std::vector<std::uint8_t> bytes);
    void Flush(Client& c);
    void UpdateWriteInterest(Client& c);
    // Closes the connection at the next sweep and logs why (kLeft: silently).
    void CloseClient(Client& c, DropReason why, std::string_view detail = {});
    DroppedClient Identity(const Client& c) const;
    void LogDrop(const DroppedClient& who, DropReason why, std::string_view detail = {});
    void Sweep();

    void RunViewerCommands();
    void Housekeeping();
    void PublishToViewers();
    SnapshotMessage Snapshot() const;
    std::string StatusText() const;
    const std::uint8_t* DevicePixels() const;

    ServiceOptions options_;
    std::string socketPath_;
    int listenFd_ = -1;
    int tcpFd_ = -1;
    int tcpPort_ = kTcpDisabled;
    std::string tokenPath_;
    int tokenLockFd_ = -1;  // held while the token file is this service's
    std::unique_ptr<DescriptorReserve> reserve_;  // made in Start, after the limit is raised
    std::chrono::steady_clock::time_point listenersPausedUntil_{};
    bool unixPaused_ = false;
    bool tcpPaused_ = false;
    std::string token_;
    EventPoller poller_;
    int httpPort_ = kHttpDisabled;
    std::string viewerUrl_;
    std::string viewerUrlPath_;  // set once written; removed when the service ends
    std::string viewerSecretPath_;
    std::string viewerSecret_;
    std::atomic<bool> stopRequested_{false};
    DropLog dropLog_;

    std::map<int, std::unique_ptr<Client>> clients_;  // by descriptor
    SlotPacing slotPacing_;
    bool slotsWaitForWake_ = false;                   // the slots last asked for a wake-up
    SlotFrame slotFrame_;                             // the copy out of a slot
    std::uint32_t nextClientId_ = 1;
    std::uint64_t frameSequence_ = 0;
    bool plugged_ = true;
    std::uint32_t buttons_ = 0;
    std::uint32_t shownClientId_ = 0;
    bool pictureDirty_ = true;
    bool clientsDirty_ = true;
    std::chrono::steady_clock::time_point rateWindowStart_;

    ViewerState viewerState_;
    std::unique_ptr<HttpViewer> viewer_;
};

}  // namespace vareko::displayservice
