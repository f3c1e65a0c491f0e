// The TCP transport, shared by both platforms: the token first, then protocol
// messages over a byte stream. A message the socket takes only in part must
// be finished before anything else is written, or the stream is corrupt; its
// rest waits in `pending_`, and a frame that finds something pending is
// dropped, as a full packet socket drops it.
#include <cstring>
#include <vector>

#include "tools/display-service/library/link_client.h"
#include "tools/display-service/library/link_transport.h"
#include "tools/display-service/library/loopback_stream.h"
#include "tools/display-service/protocol/message_stream.h"
#include "tools/display-service/protocol/token_file.h"
#include "tools/display-service/protocol/token_path.h"

namespace vareko::displayservice {
namespace {

// Beyond this the service has not read for many messages: it is stuck.
constexpr std::size_t kMaxPendingBytes = 4 * kMaxClientMessageBytes;

class TcpStreamTransport final : public LinkTransport {
public:
    explicit TcpStreamTransport(std::unique_ptr<LoopbackStream> stream) : stream_(std::move(stream)) {
        pending_.reserve(kMaxPendingBytes);
    }

    Receive ReceiveOne(ServiceMessage& message) override {
        if (!FlushPending()) return Receive::kGone;
        for (;;) {
            std::span<const std::uint8_t> bytes;
            switch (inbound_.Take(bytes)) {
                case MessageStream::Next::kMessage:
                    return DecodeServiceMessage(bytes, message) == DecodeStatus::kOk ? Receive::kMessage
                                                                                     : Receive::kGone;
                case MessageStream::Next::kTooLong: return Receive::kGone;
                case MessageStream::Next::kIncomplete: break;
            }
            const IoResult r = stream_->Receive(inbound_.FreeSpace());
            if (r.status == IoStatus::kWouldBlock) return Receive::kNothing;
            if (r.status == IoStatus::kGone) return Receive::kGone;
            inbound_.Commit(r.bytes);
        }
    }

    bool WaitReadable(int timeoutMs) override { return stream_->WaitReadable(timeoutMs); }

    bool Send(std::span<const std::uint8_t> message) override {
        if (!FlushPending()) return false;
        if (!pending_.empty()) return Keep(message);
        const IoResult r = stream_->Send(message);
        if (r.status == IoStatus::kGone) return false;
        return Keep(message.subspan(r.bytes));
    }

    bool SendFrame(std::uint32_t priority, const DeviceBitmap& bitmap) override {
        if (!FlushPending()) return false;
        if (!pending_.empty()) return true;  // still behind: this frame is dropped
        std::uint8_t prefix[12];
        WriteFramePrefix(prefix, priority);
        const std::span<const std::uint8_t> pixels(reinterpret_cast<const std::uint8_t*>(&bitmap), sizeof bitmap);
        const IoResult r = stream_->Send(prefix, pixels);
        if (r.status == IoStatus::kGone) return false;
        if (r.status == IoStatus::kWouldBlock) return true;  // nothing written: dropped whole
        const std::span<const std::uint8_t> head(prefix);
        if (r.bytes < head.size()) {
            Keep(head.subspan(r.bytes));
            return Keep(pixels);
        }
        return Keep(pixels.subspan(r.bytes - head.size()));
    }

    // A byte stream cannot carry descriptors: frames stay on the stream.
    bool OfferFrameSlot() override { return true; }

private:
    // Appends an unsent rest; false when that would exceed the limit.
    bool Keep(std::span<const std::uint8_t> rest) {
        if (pending_.size() + rest.size() > kMaxPendingBytes) return false;
        pending_.insert(pending_.end(), rest.begin(), rest.end());
        return true;
    }

    bool FlushPending() {
        if (pending_.empty()) return true;
        const IoResult r = stream_->Send(pending_);
        if (r.status == IoStatus::kGone) return false;
        if (r.status == IoStatus::kDone) pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(r.bytes));
        return true;
    }

    std::unique_ptr<LoopbackStream> stream_;
    MessageStream inbound_{kMaxServiceMessageBytes};
    std::vector<std::uint8_t> pending_;
};

}  // namespace

std::unique_ptr<LinkTransport> ConnectTcpTransport(link::LinkResult& failure) {
    return ConnectTcpTransport(failure, kReplyWaitMs);
}

std::unique_ptr<LinkTransport> ConnectTcpTransport(link::LinkResult& failure, int connectTimeoutMs) {
    failure = link::kLinkServerUnavailable;
    TokenFile file;
    if (!ReadTokenFile(ResolveTokenPath(), file)) return nullptr;
    auto stream = LoopbackStream::Connect(file.port, connectTimeoutMs);
    if (!stream) return nullptr;
    auto transport = std::make_unique<TcpStreamTransport>(std::move(stream));
    const std::span<const std::uint8_t> token(reinterpret_cast<const std::uint8_t*>(file.token.data()),
                                              file.token.size());
    if (!transport->Send(token)) return nullptr;
    return transport;
}

}  // namespace vareko::displayservice
