// Event loop, client handling and device state of the display service.
// Every message is decoded completely before it is acted on; a message that
// fails decoding, comes in the wrong order or from the wrong kind of client
// closes that client and nothing else.
#include "tools/display-service/service/display_service.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/devicelink/link_interface.h"
#include "tools/display-service/service/arbitration.h"
#include "tools/display-service/protocol/descriptor_passing.h"
#include "tools/display-service/service/http_viewer.h"
#include "tools/display-service/protocol/service_socket.h"
#include "tools/display-service/protocol/token_path.h"
#include "tools/display-service/service/token_writer.h"
#include "tools/display-service/service/viewer_access.h"
#include "tools/display-service/service/viewer_secret.h"

namespace vareko::displayservice {
namespace {

constexpr timespec kHousekeeping{0, 250'000'000};
constexpr timespec kTornSlotRetry{0, 1'000'000};
constexpr timespec kNoWait{0, 0};

timespec Duration(std::chrono::nanoseconds d) {
    return timespec{static_cast<time_t>(d.count() / 1'000'000'000), static_cast<long>(d.count() % 1'000'000'000)};
}
constexpr auto kRateWindow = std::chrono::seconds(1);
constexpr std::uint32_t kVersionRefused = 1;

// Which kind of client may send each message, indexed like ClientMessage.
constexpr ClientRole kSenderRole[] = {
    ClientRole::kApplication,  // Hello (either role; checked separately)
    ClientRole::kApplication,  // Open
    ClientRole::kApplication,  // Close
    ClientRole::kApplication,  // Frame
    ClientRole::kApplication,  // SetDeviceFlag
    ClientRole::kControl,      // Button
    ClientRole::kControl,      // Plug
    ClientRole::kControl,      // SnapshotRequest
    ClientRole::kControl,      // StatusRequest
    ClientRole::kControl,      // Watch
    ClientRole::kApplication,  // FrameSlot
    ClientRole::kControl,      // RotateSecret
    ClientRole::kControl,      // ViewerUrlsRequest
};
static_assert(std::size(kSenderRole) == std::variant_size_v<ClientMessage>);

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

DropLog::Sink LogSink(const std::function<void(const std::string&)>& configured) {
    if (configured) return configured;
    return [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
}

}  // namespace

DisplayService::DisplayService(ServiceOptions options)
    : options_(std::move(options)), dropLog_(LogSink(options_.logLine)), viewerState_([this] { poller_.Wake(); }) {}

DisplayService::~DisplayService() {
    if (viewer_) {
        viewerState_.Shutdown();
        viewer_.reset();
    }
    for (auto& [fd, c] : clients_) CloseSocket(*c, fd);
    clients_.clear();
    if (listenFd_ >= 0) {
        CloseDescriptor(listenFd_);
        std::remove(socketPath_.c_str());
    }
    if (tcpFd_ >= 0) {
        CloseDescriptor(tcpFd_);
        std::remove(tokenPath_.c_str());
    }
    if (tokenLockFd_ >= 0) ReleaseTokenLock(tokenLockFd_);
    if (!viewerUrlPath_.empty()) std::remove(viewerUrlPath_.c_str());
}

std::string DisplayService::Start() {
    if (!poller_.Failure().empty()) return poller_.Failure();
    // Before anything else takes descriptors: the spares come from the raised limit.
    RaiseDescriptorLimit();
    reserve_ = std::make_unique<DescriptorReserve>();
    const bool defaultLocation = options_.socketPath.empty() && std::getenv("VAREKO_DISPLAY_SOCKET") == nullptr;
    socketPath_ = options_.socketPath.empty() ? ResolveSocketPath() : options_.socketPath;
    // No socket path: the platform has no Unix socket, and TCP is the only way in.
    if (socketPath_.empty() && options_.tcpPort == kTcpDisabled) {
        return "without a Unix socket, loopback TCP is the only way in: it cannot be turned off here";
    }
    if (!socketPath_.empty()) {
        if (std::string error = PrepareSocketDirectory(socketPath_, defaultLocation); !error.empty()) return error;
        std::string error;
        listenFd_ = ListenOnSocket(socketPath_, error);
        if (listenFd_ < 0) return error;
        poller_.Watch(listenFd_);
    }
    if (options_.tcpPort != kTcpDisabled) {
        if (std::string tcpError = StartTcp(); !tcpError.empty()) return tcpError;
    }
    if (options_.httpPort != kHttpDisabled) {
        if (std::string viewerError = StartViewer(); !viewerError.empty()) return viewerError;
    }
    rateWindowStart_ = std::chrono::steady_clock::now();
    PublishToViewers();
    return {};
}

std::string DisplayService::StartTcp() {
    tokenPath_ = options_.tokenPath.empty() ? ServiceTokenPath(socketPath_) : options_.tokenPath;
    if (std::string lockError = LockTokenFile(tokenPath_, tokenLockFd_); !lockError.empty()) {
        return lockError;
    }
    std::string error;
    int port = 0;
    const int fd = ListenOnLoopback(options_.tcpPort, port, error);
    if (fd < 0) return error;
    std::string token;
    if (error = NewToken(token); error.empty()) {
        error = WriteTokenFile(tokenPath_, TokenFile{static_cast<std::uint16_t>(port), token});
    }
    if (!error.empty()) {
        CloseDescriptor(fd);
        return error;
    }
    tcpFd_ = fd;
    tcpPort_ = port;
    token_ = std::move(token);
    poller_.Watch(tcpFd_);
    return {};
}

std::string DisplayService::StartViewer() {
    const std::string tokenPath = options_.tokenPath.empty() ? ServiceTokenPath(socketPath_) : options_.tokenPath;
    viewerSecretPath_ = ViewerSecretPath(tokenPath);
    if (std::string error = KeptViewerSecret(viewerSecretPath_, viewerSecret_); !error.empty()) return error;
    viewer_ = std::make_unique<HttpViewer>(viewerState_);
    if (std::string error = viewer_->Start(options_.httpPort, viewerSecret_, options_.viewerListen,
                                              {options_.tlsCertificateFile, options_.tlsKeyFile}); !error.empty()) {
        viewer_.reset();
        return error;
    }
    httpPort_ = viewer_->Port();
    return WriteViewerUrl(OwnerUrlPath(tokenPath));
}

std::string DisplayService::WriteViewerUrl(const std::string& path) {
    viewerUrl_ = OwnerUrl("127.0.0.1", httpPort_, viewerSecret_, viewer_->Secure());
    if (std::string error = WritePrivateFile(path, viewerUrl_ + "\n"); !error.empty()) return error;
    viewerUrlPath_ = path;
    return {};
}

std::vector<std::string> DisplayService::ViewerUrls() const {
    if (!viewer_) return {};
    std::vector<std::string> urls{viewerUrl_};
    for (const std::string& host : viewer_->NetworkHosts()) {
        urls.push_back(OwnerUrl(host, httpPort_, viewerSecret_, viewer_->Secure()));
    }
    return urls;
}

void DisplayService::OnRotateSecret(Client& c) {
    if (!viewer_) {
        Send(c, ControlReplyMessage{kControlViewerOff});
        return;
    }
    std::string secret;
    const std::string drawError = DrawViewerSecret(viewerSecretPath_, secret);
    if (!drawError.empty()) {
        LogSink(options_.logLine)("vareko-display: cannot rotate the viewer's secret: " + drawError);
        Send(c, ControlReplyMessage{kControlSecretNotSaved});
        return;
    }
    viewerSecret_ = secret;
    viewer_->SetSecret(secret);
    const std::string urlError = WriteViewerUrl(viewerUrlPath_);
    if (!urlError.empty()) LogSink(options_.logLine)("vareko-display: " + urlError);
    Send(c, ControlReplyMessage{0});
}

void DisplayService::RequestStop() {
    stopRequested_.store(true);
    poller_.Wake();
}

void DisplayService::Run() {
    // A library wakes this loop only when the loop asked for it (see
    // LookAtSlots). A normal task that wakes may preempt the program that
    // sent the frame while it is still inside its send, which stretches that
    // LinkUpdate by the whole of the frame's handling here. A batch task is
    // never run on wake-up ahead of the task that woke it; it gets the same
    // share of the processor and runs as soon as the program's turn ends (the
    // program sleeps after each frame).
    BecomeBatchTask();
    std::array<PollEvent, 64> events;
    timespec wait = kHousekeeping;
    while (!stopRequested_.load()) {
        bool woken = false;
        const int n = poller_.Wait(events, wait, woken);
        if (n < 0) break;
        if (woken) RunViewerCommands();
        // A slot's eventfd needs nothing here: every slot is looked at below.
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].fd;
            if (fd == listenFd_) {
                AcceptUnix();
            } else if (fd == tcpFd_) {
                AcceptTcp();
            } else if (auto it = clients_.find(fd); it != clients_.end()) {
                Client& c = *it->second;
                if (events[i].writable) Flush(c);
                if (events[i].readable) ReadFrom(c);
            }
        }
        wait = LookAtSlots();
        CloseSilentStreams();
        Sweep();
        ResumeListeners();
        Housekeeping();
        if (pictureDirty_ || clientsDirty_) PublishToViewers();
    }
    if (viewer_) {
        viewerState_.Shutdown();
        viewer_.reset();
    }
    for (auto& [fd, c] : clients_) CloseSocket(*c, fd);
    clients_.clear();
}

void DisplayService::CloseSocket(Client& c, int fd) {
    CloseDescriptor(fd);
    // A library that drains only when the count moves sees the end at once.
    if (c.slot) c.slot->CountMessage();
}

void DisplayService::AcceptUnix() {
    for (int i = 0; i < kAcceptsPerWakeup; ++i) {
        int fd = -1;
        if (const AcceptStatus status = AcceptConnection(listenFd_, fd); status != AcceptStatus::kAccepted) {
            if (OnAcceptFailure(listenFd_, status, true)) continue;
            return;
        }
        long uid = -1;
        long pid = 0;
        // The socket directory is private already; the credential check also
        // refuses a peer that got hold of a descriptor some other way.
        if (!PeerCredentials(fd, uid, pid) || uid != ThisUserId()) {
            CloseDescriptor(fd);
            LogDrop({0, false, pid, uid, 0}, uid < 0 ? DropReason::kNoCredentials : DropReason::kForeignUser);
            continue;
        }
        AddClient(fd, pid, false).uid = uid;
    }
}

void DisplayService::AcceptTcp() {
    for (int i = 0; i < kAcceptsPerWakeup; ++i) {
        // Any local user can connect to a loopback port; only the token,
        // readable by this user alone, lets a client go further.
        int fd = -1;
        int port = 0;
        if (const AcceptStatus status = AcceptConnection(tcpFd_, fd, &port); status != AcceptStatus::kAccepted) {
            if (OnAcceptFailure(tcpFd_, status, false)) continue;
            return;
        }
        if (!MakeTcpRoom()) {
            CloseDescriptor(fd);
            LogDrop({0, true, 0, -1, port}, DropReason::kTcpFull);
            continue;
        }
        SetNoDelay(fd);
        Client& c = AddClient(fd, 0, true);
        c.port = port;
        // A client sends its token right after connecting; taking it now
        // lets the owner's client through even while others keep arriving.
        ReadFrom(c);
    }
}

bool DisplayService::OnAcceptFailure(int listenFd, AcceptStatus status, bool mayUseSpare) {
    if (status == AcceptStatus::kRetry) return true;
    if (status == AcceptStatus::kNoneWaiting) return false;
    if (status == AcceptStatus::kNoDescriptors) {
        // The owner's program gets a spare; anyone else's connection is
        // taken off the queue and closed, so that the loop does not wake for
        // it again and again.
        if (mayUseSpare && reserve_->ReleaseSpare()) return true;
        // A TCP connection still without its token is worth less than a new
        // one: its descriptor is free after this turn's sweep, and the next
        // turn accepts the new connection.
        if (listenFd == tcpFd_) {
            if (Client* oldest = OldestWithoutToken(); oldest != nullptr) {
                CloseClient(*oldest, DropReason::kDescriptors);
                return false;
            }
        }
        if (reserve_->Shed(listenFd)) {
            LogDrop({0, listenFd == tcpFd_, 0, -1, 0}, DropReason::kDescriptors);
            return true;
        }
    }
    PauseListener(listenFd);
    return false;
}

void DisplayService::PauseListener(int listenFd) {
    poller_.Forget(listenFd);
    (listenFd == tcpFd_ ? tcpPaused_ : unixPaused_) = true;
    listenersPausedUntil_ = std::chrono::steady_clock::now() + kListenerPause;
}

void DisplayService::ResumeListeners() {
    if (!unixPaused_ && !tcpPaused_) return;
    if (std::chrono::steady_clock::now() < listenersPausedUntil_) return;
    for (const auto& [fd, paused] : {std::pair{listenFd_, &unixPaused_}, std::pair{tcpFd_, &tcpPaused_}}) {
        if (!*paused) continue;
        poller_.Watch(fd);
        *paused = false;
    }
}

DisplayService::Client* DisplayService::OldestWithoutToken() {
    Client* oldest = nullptr;
    for (auto& [fd, c] : clients_) {
        if (c->tokenChecked || c->closing) continue;
        if (oldest == nullptr || c->acceptedAt < oldest->acceptedAt) oldest = c.get();
    }
    return oldest;
}

bool DisplayService::MakeTcpRoom() {
    std::size_t tcp = 0;
    std::size_t withoutToken = 0;
    for (const auto& [fd, c] : clients_) {
        if (!c->inbound || c->closing) continue;
        ++tcp;
        if (!c->tokenChecked) ++withoutToken;
    }
    if (tcp < kMaxTcpClients && withoutToken < kMaxTcpClientsWithoutToken) return true;
    Client* oldest = OldestWithoutToken();
    if (oldest == nullptr) return false;
    CloseClient(*oldest, DropReason::kPendingEvicted);
    return true;
}

DisplayService::Client& DisplayService::AddClient(int fd, long pid, bool stream) {
    auto client = std::make_unique<Client>();
    client->id = nextClientId_++;
    client->fd = fd;
    client->pid = pid;
    if (stream) {
        client->inbound = std::make_unique<MessageStream>(kMaxClientMessageBytes);
        client->tokenChecked = false;
        client->acceptedAt = std::chrono::steady_clock::now();
    }
    poller_.Watch(fd);
    return *clients_.emplace(fd, std::move(client)).first->second;
}

void DisplayService::ReadFrom(Client& c) {
    if (c.inbound) {
        ReadStream(c);
    } else {
        ReadPackets(c);
    }
}

void DisplayService::ReadStream(Client& c) {
    for (int i = 0; i < kMessagesPerWakeup && !c.closing; ++i) {
        const std::span<std::uint8_t> room = c.inbound->FreeSpace();
        const SocketResult r = ReceiveSome(c.fd, room);
        if (r.status == SocketStatus::kInterrupted) continue;
        if (r.status == SocketStatus::kWouldBlock) return;
        if (r.status == SocketStatus::kGone) {
            CloseClient(c, DropReason::kLeft);
            return;
        }
        c.inbound->Commit(r.bytes);
        if (!HandleBuffered(c)) return;
    }
}

bool DisplayService::HandleBuffered(Client& c) {
    std::span<const std::uint8_t> bytes;
    if (!c.tokenChecked) {
        if (!c.inbound->TakeRaw(kTokenTextBytes, bytes)) return true;
        if (!TokensMatch(bytes, token_)) {
            CloseClient(c, DropReason::kBadToken);
            return false;
        }
        c.tokenChecked = true;
    }
    for (;;) {
        switch (c.inbound->Take(bytes)) {
            case MessageStream::Next::kIncomplete: return true;
            case MessageStream::Next::kTooLong: CloseClient(c, DropReason::kTooLong); return false;
            case MessageStream::Next::kMessage: break;
        }
        ClientMessage message;
        if (const DecodeStatus status = DecodeClientMessage(bytes, message); status != DecodeStatus::kOk) {
            CloseClient(c, DropReason::kMalformed, DecodeStatusName(status));
            return false;
        }
        Handle(c, message, nullptr);
        if (c.closing) return false;
    }
}

void DisplayService::CloseSilentStreams() {
    const auto now = std::chrono::steady_clock::now();
    for (auto& [fd, c] : clients_) {
        if (!c->tokenChecked && !c->closing &&
            now - c->acceptedAt > std::chrono::milliseconds(options_.tokenWaitMs)) {
            CloseClient(*c, DropReason::kTokenTimeout);
        }
    }
}

void DisplayService::ReadPackets(Client& c) {
    // One byte more than the largest valid message, so that an oversized one
    // is seen as such even without MSG_TRUNC.
    static std::uint8_t buffer[kMaxClientMessageBytes + 1];
    for (int i = 0; i < kMessagesPerWakeup && !c.closing; ++i) {
        PassedDescriptors passed;
        bool truncated = false;
        const ssize_t n = ReceivePacket(c.fd, buffer, passed, truncated);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n <= 0) {
            CloseClient(c, DropReason::kLeft);
            return;
        }
        if (truncated) {
            CloseClient(c, DropReason::kTooLong);
            return;
        }
        ClientMessage message;
        const DecodeStatus status = DecodeClientMessage({buffer, static_cast<std::size_t>(n)}, message);
        if (status != DecodeStatus::kOk) {
            CloseClient(c, DropReason::kMalformed, DecodeStatusName(status));
            return;
        }
        Handle(c, message, &passed);
    }
}

void DisplayService::Handle(Client& c, const ClientMessage& message, PassedDescriptors* passed) {
    const bool isHello = std::holds_alternative<HelloMessage>(message);
    if (isHello == c.greeted) {  // Hello exactly once, and first
        CloseClient(c, DropReason::kOutOfOrder);
        return;
    }
    // Descriptors come with the frame slot only.
    const bool isSlot = std::holds_alternative<FrameSlotMessage>(message);
    if (!isSlot && passed != nullptr && passed->Count() != 0) {
        CloseClient(c, DropReason::kMalformed, "descriptors attached");
        return;
    }
    if (!isHello && kSenderRole[message.index()] != c.role) {
        CloseClient(c, DropReason::kWrongRole);
        return;
    }
    std::visit(Overloaded{
                   [&](const HelloMessage& m) { OnHello(c, m); },
                   [&](const OpenMessage& m) { OnOpen(c, m); },
                   [&](const CloseMessage&) { OnClose(c); },
                   [&](const FrameMessage& m) { OnFrame(c, m); },
                   [&](const SetDeviceFlagMessage& m) { c.deviceFlag = m.flag; },
                   [&](const ButtonMessage& m) { OnButton(c, m); },
                   [&](const PlugMessage& m) { OnPlug(c, m); },
                   [&](const SnapshotRequestMessage&) { Send(c, Snapshot()); },
                   [&](const StatusRequestMessage&) { OnStatusRequest(c); },
                   [&](const WatchMessage&) { OnWatch(c); },
                   [&](const FrameSlotMessage&) { OnFrameSlot(c, passed); },
                   [&](const RotateSecretMessage&) { OnRotateSecret(c); },
                   [&](const ViewerUrlsRequestMessage&) { Send(c, ViewerUrlsMessage{ViewerUrls()}); },
               },
               message);
}

void DisplayService::OnHello(Client& c, const HelloMessage& m) {
    if (m.version != kProtocolVersion) {
        WelcomeMessage refusal;
        refusal.result = kVersionRefused;
        Send(c, refusal);
        c.closeWhenFlushed = true;
        c.closeReason = DropReason::kVersionRefused;
        Flush(c);
        return;
    }
    c.greeted = true;
    c.role = m.role;
    c.name = m.name;
    c.connectFlag1 = m.connectFlag1;
    c.connectFlag2 = m.connectFlag2;
    WelcomeMessage welcome;
    welcome.clientId = c.id;
    welcome.plugged = plugged_;
    Send(c, welcome);
    clientsDirty_ = true;
}

void DisplayService::OnOpen(Client& c, const OpenMessage& m) {
    OpenReplyMessage reply{m.requestId, link::kLinkOk};
    if (m.deviceIndex != 0) {
        reply.result = link::kLinkNoMoreItems;
    } else if (!plugged_) {
        reply.result = link::kLinkDeviceNotConnected;
    } else {
        // Opening again starts the device afresh for this client.
        c.deviceOpen = true;
        c.hasFrame = false;
        c.priority = 0;
        c.buttonsSent = 0;
        Rearbitrate();
        clientsDirty_ = true;
    }
    Send(c, reply);
}

void DisplayService::OnClose(Client& c) {
    if (!c.deviceOpen) return;
    c.deviceOpen = false;
    c.hasFrame = false;
    c.buttonsSent = 0;
    Rearbitrate();
    clientsDirty_ = true;
}

void DisplayService::OnFrame(Client& c, const FrameMessage& m) {
    // A frame that was under way when the device went away is not an error.
    if (!c.deviceOpen) return;
    if (options_.frameObserver) options_.frameObserver(m.pixels.data());
    std::copy(m.pixels.begin(), m.pixels.end(), c.frame.begin());
    c.priority = m.priority;
    c.hasFrame = true;
    c.lastFrameSequence = ++frameSequence_;
    ++c.framesInWindow;
    Rearbitrate();
    if (c.id == shownClientId_) pictureDirty_ = true;
}

void DisplayService::OnFrameSlot(Client& c, PassedDescriptors* passed) {
    // One slot per connection, with its memory file and its eventfd; a TCP
    // client cannot pass descriptors at all.
    if (passed == nullptr || passed->Count() != kMaxPassedDescriptors || c.slot) {
        CloseClient(c, DropReason::kBadFrameSlot,
                    c.slot ? "a second slot" : "not sent with a memory file and an eventfd");
        return;
    }
    std::string why;
    std::unique_ptr<FrameSlotMemory> slot = FrameSlotMemory::Adopt(passed->Take(0), passed->Take(1), why);
    // The service never reads the eventfd: edge-triggered, every write by
    // the client is one wake-up, so nothing done to that descriptor can make
    // this loop wait on it. A descriptor the poller cannot watch is refused.
    if (slot && !poller_.WatchEdges(slot->WakeFd())) {
        why = std::string("its wake-up descriptor cannot be watched: ") + std::strerror(errno);
        slot.reset();
    }
    if (!slot) {
        CloseClient(c, DropReason::kBadFrameSlot, why);
        return;
    }
    // Until the loop next announces, this slot asks to be woken like the others.
    AnnounceWaitForWake(slot->Slot());
    c.slot = std::move(slot);
}

bool DisplayService::ReadSlot(Client& c) {
    // A library writes its first frame right behind its Open, and may do so
    // before this loop has read the Open: that frame stays in the slot,
    // unread, until the device is open, and then shows.
    if (!c.slot || c.closing || !c.deviceOpen) return false;
    c.slot->CountLook();
    switch (ReadFrameSlot(c.slot->Slot(), c.slotSequence, slotFrame_)) {
        case SlotRead::kFrame:
            c.slotSequence = slotFrame_.sequence;
            c.slotTorn = false;
            OnFrame(c, FrameMessage{slotFrame_.priority, slotFrame_.pixels});
            return true;
        case SlotRead::kUnchanged: c.slotTorn = false; return false;
        case SlotRead::kTorn: c.slotTorn = true; return false;
        case SlotRead::kBadFormat:
            CloseClient(c, DropReason::kBadFrameSlot, "a frame's format word is not 1");
            return false;
    }
    return false;
}

bool DisplayService::ReadEverySlot(bool& torn) {
    bool taken = false;
    torn = false;
    for (auto& [fd, c] : clients_) {
        taken = ReadSlot(*c) || taken;
        torn = torn || (c->slotTorn && !c->closing);
    }
    return taken;
}

void DisplayService::AnnounceToSlots(void (*announce)(std::uint8_t*)) {
    for (auto& [fd, c] : clients_) {
        if (c->slot && !c->closing) announce(c->slot->Slot());
    }
}

timespec DisplayService::LookAtSlots() {
    const auto now = SlotPacing::Clock::now();
    bool torn = false;
    if (ReadEverySlot(torn)) {
        slotPacing_.FrameTaken(now);
    } else if (!torn) {
        slotPacing_.NothingTaken();
    }
    if (slotPacing_.Looking(now)) {
        if (slotsWaitForWake_) AnnounceToSlots(AnnounceLooking);
        slotsWaitForWake_ = false;
        return Duration(kSlotLookEvery);
    }
    // Ask every library for a wake-up, then look once more: a frame written
    // before a library saw the request is seen here (frame_slot.h says why
    // the fence makes one of the two certain).
    AnnounceToSlots(AnnounceWaitForWake);
    slotsWaitForWake_ = true;
    FenceAfterAnnouncing();
    if (ReadEverySlot(torn)) {
        slotPacing_.FrameTaken(now);
        return kNoWait;
    }
    // A read that met its writer mid-frame is tried again soon, in case that
    // frame is the last one for a while.
    return torn ? kTornSlotRetry : kHousekeeping;
}

void DisplayService::OnButton(Client& c, const ButtonMessage& m) {
    if (!plugged_) {
        Send(c, ControlReplyMessage{link::kLinkDeviceNotConnected});
        return;
    }
    SetButton(m.index, m.down);
    Send(c, ControlReplyMessage{link::kLinkOk});
}

void DisplayService::OnPlug(Client& c, const PlugMessage& m) {
    SetPlugged(m.plugged);
    Send(c, ControlReplyMessage{link::kLinkOk});
}

void DisplayService::OnStatusRequest(Client& c) { Send(c, StatusMessage{StatusText()}); }

void DisplayService::OnWatch(Client& c) {
    c.watching = true;
    Send(c, Snapshot());
}

void DisplayService::SetButton(std::uint32_t index, bool down) {
    const std::uint32_t bit = 1u << index;
    const std::uint32_t word = down ? (buttons_ | bit) : (buttons_ & ~bit);
    if (word == buttons_) return;
    buttons_ = word;
    if (auto it = std::find_if(clients_.begin(), clients_.end(),
                               [&](const auto& e) { return e.second->id == shownClientId_; });
        it != clients_.end()) {
        SendButtonsTo(*it->second);
    }
    pictureDirty_ = true;
}

void DisplayService::SetPlugged(bool plugged) {
    if (plugged == plugged_) return;
    plugged_ = plugged;
    if (!plugged) {
        buttons_ = 0;
        for (auto& [fd, c] : clients_) {
            c->deviceOpen = false;
            c->hasFrame = false;
            c->buttonsSent = 0;
        }
    }
    for (auto& [fd, c] : clients_) {
        if (c->greeted && c->role == ClientRole::kApplication) Send(*c, DeviceStateMessage{plugged});
    }
    Rearbitrate();
    pictureDirty_ = true;
    clientsDirty_ = true;
}

void DisplayService::Rearbitrate() {
    std::vector<ArbitrationCandidate> candidates;
    candidates.reserve(clients_.size());
    for (const auto& [fd, c] : clients_) {
        if (c->closing) continue;
        candidates.push_back({c->id, c->deviceOpen, c->hasFrame, c->priority, c->lastFrameSequence});
    }
    const std::uint32_t shown = ChooseShownClient(candidates);
    if (shown == shownClientId_) return;
    shownClientId_ = shown;
    // Buttons follow the shown frame: the client that loses the device sees
    // every held button released, the one that gains it sees the current word.
    for (auto& [fd, c] : clients_) SendButtonsTo(*c);
    pictureDirty_ = true;
    clientsDirty_ = true;
}

void DisplayService::SendButtonsTo(Client& c) {
    if (!c.deviceOpen || c.closing) return;
    const std::uint32_t word = c.id == shownClientId_ ? buttons_ : 0;
    if (word == c.buttonsSent) return;
    c.buttonsSent = word;
    Send(c, ButtonsMessage{word});
}

void DisplayService::PictureChanged() {
    for (auto& [fd, c] : clients_) {
        if (!c->watching || c->closing) continue;
        // Watchers get the newest picture only: while an earlier one is still
        // queued, the next is sent when the queue has drained.
        if (c->outQueue.empty()) {
            Send(*c, Snapshot());
        } else {
            c->snapshotPending = true;
        }
    }
}

void DisplayService::Send(Client& c, const ServiceMessage& message) { SendBytes(c, EncodeServiceMessage(message)); }

void DisplayService::SendBytes(Client& c, std::vector<std::uint8_t> bytes) {
    if (c.closing) return;
    if (c.outQueue.size() >= kMaxQueuedMessages) {
        // The client has not read for hundreds of messages: it is stuck.
        CloseClient(c, DropReason::kNotReading);
        return;
    }
    c.outQueue.push_back(std::move(bytes));
    Flush(c);
}

void DisplayService::Flush(Client& c) {
    while (!c.closing && !c.outQueue.empty()) {
        const auto& bytes = c.outQueue.front();
        const SocketResult r = SendSome(c.fd, std::span(bytes).subspan(c.outOffset));
        if (r.status == SocketStatus::kInterrupted) continue;
        if (r.status == SocketStatus::kWouldBlock) break;
        if (r.status == SocketStatus::kGone) {
            CloseClient(c, DropReason::kLeft);
            return;
        }
        // A stream socket may take part of a message; the rest goes next time.
        c.outOffset += r.bytes;
        if (c.outOffset < bytes.size()) continue;
        c.outOffset = 0;
        c.outQueue.pop_front();
        if (c.slot) c.slot->CountMessage();
        if (c.outQueue.empty() && c.snapshotPending) {
            c.snapshotPending = false;
            c.outQueue.push_back(EncodeServiceMessage(Snapshot()));
        }
    }
    if (c.outQueue.empty() && c.closeWhenFlushed) {
        CloseClient(c, c.closeReason);
        return;
    }
    UpdateWriteInterest(c);
}

void DisplayService::UpdateWriteInterest(Client& c) {
    const bool want = !c.outQueue.empty();
    if (want == c.wantWrite || c.closing) return;
    c.wantWrite = want;
    poller_.WantWrite(c.fd, want);
}

void DisplayService::CloseClient(Client& c, DropReason why, std::string_view detail) {
    if (c.closing) return;
    LogDrop(Identity(c), why, detail);
    c.closing = true;
    c.slotTorn = false;
    c.outQueue.clear();
    c.outOffset = 0;
    poller_.Forget(c.fd);
    if (c.slot) poller_.Forget(c.slot->WakeFd());
}

DroppedClient DisplayService::Identity(const Client& c) const {
    return DroppedClient{c.id, c.inbound != nullptr, c.pid, c.uid, c.port};
}

void DisplayService::LogDrop(const DroppedClient& who, DropReason why, std::string_view detail) {
    dropLog_.Record(who, why, detail, std::chrono::steady_clock::now());
}

void DisplayService::Sweep() {
    bool removed = false;
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (it->second->closing) {
            CloseSocket(*it->second, it->first);
            it = clients_.erase(it);
            removed = true;
            if (reserve_->Spares() < kUnixSpareDescriptors) reserve_->Refill();
        } else {
            ++it;
        }
    }
    if (removed) {
        Rearbitrate();
        clientsDirty_ = true;
    }
    if (pictureDirty_) PictureChanged();
}

void DisplayService::RunViewerCommands() {
    for (const ViewerCommand& command : viewerState_.TakeCommands()) {
        if (command.kind == ViewerCommand::Kind::kPlug) {
            SetPlugged(command.on);
        } else if (plugged_ && command.button < static_cast<std::uint32_t>(kButtonCount)) {
            SetButton(command.button, command.on);
        }
    }
}

void DisplayService::Housekeeping() {
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed = now - rateWindowStart_;
    dropLog_.Tick(now);
    if (reserve_->Spares() < kUnixSpareDescriptors) reserve_->Refill();
    if (elapsed < kRateWindow) return;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    for (auto& [fd, c] : clients_) {
        c->framesPerSecond = c->framesInWindow / seconds;
        c->framesInWindow = 0;
    }
    rateWindowStart_ = now;
    clientsDirty_ = true;
}

const std::uint8_t* DisplayService::DevicePixels() const {
    static const std::array<std::uint8_t, kDevicePixelBytes> kBlank{};
    for (const auto& [fd, c] : clients_) {
        if (c->id == shownClientId_) return c->frame.data();
    }
    return kBlank.data();
}

SnapshotMessage DisplayService::Snapshot() const {
    SnapshotMessage m;
    m.plugged = plugged_;
    m.shownClientId = shownClientId_;
    m.buttons = buttons_;
    std::copy_n(DevicePixels(), kDevicePixelBytes, m.pixels.begin());
    return m;
}

void DisplayService::PublishToViewers() {
    pictureDirty_ = false;
    clientsDirty_ = false;
    if (!viewer_) return;
    ViewerPicture picture;
    picture.plugged = plugged_;
    picture.buttons = buttons_;
    picture.shownClientId = shownClientId_;
    std::copy_n(DevicePixels(), kDevicePixelBytes, picture.pixels.begin());
    for (const auto& [fd, c] : clients_) {
        if (!c->greeted || c->role != ClientRole::kApplication || c->closing) continue;
        picture.clients.push_back({c->id, c->name, c->pid, c->priority, c->framesPerSecond, c->deviceOpen,
                                   c->id == shownClientId_});
    }
    viewerState_.Publish(picture);
}

std::string DisplayService::StatusText() const {
    std::string text;
    char line[256];
    text += "socket: " + (socketPath_.empty() ? std::string("none") : socketPath_) + "\n";
    if (httpPort_ != kHttpDisabled) {
        std::snprintf(line, sizeof line, "viewer: http://127.0.0.1:%d/\n", httpPort_);
        text += line;
    } else {
        text += "viewer: off\n";
    }
    if (tcpPort_ != kTcpDisabled) {
        std::snprintf(line, sizeof line, "tcp: 127.0.0.1:%d, token file ", tcpPort_);
        text += line + tokenPath_ + "\n";
    } else {
        text += "tcp: off\n";
    }
    std::snprintf(line, sizeof line, "device: %s, buttons 0x%X, shown client %u\n",
                  plugged_ ? "plugged" : "unplugged", buttons_, shownClientId_);
    text += line;
    for (const auto& [fd, c] : clients_) {
        if (!c->greeted || c->role != ClientRole::kApplication || c->closing) continue;
        // The kernel names the process behind a Unix socket only.
        const std::string peer = c->inbound ? std::string("tcp") : "pid " + std::to_string(c->pid);
        std::snprintf(line, sizeof line, "client %u: %s, priority %u, %.1f fps, device %s%s, frames via %s, name \"",
                      c->id, peer.c_str(), c->priority, c->framesPerSecond, c->deviceOpen ? "open" : "closed",
                      c->id == shownClientId_ ? ", shown" : "", c->slot ? "shared memory" : "socket");
        text += line;
        text += c->name + "\"\n";
    }
    return text;
}

}  // namespace vareko::displayservice
