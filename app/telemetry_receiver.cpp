// Receiving telemetry: one recvfrom per call into a fixed buffer (blocking,
// or in non-blocking mode for the datagrams already queued), a NUL behind
// the datagram, then the pure parser.
#include "app/telemetry_receiver.h"

#include "app/telemetry_parser.h"

namespace vareko {

TelemetryReceiver::~TelemetryReceiver() { Close(); }

SourceOpenResult TelemetryReceiver::Open() { return Open(kTelemetryPort); }

SourceOpenResult TelemetryReceiver::Open(WORD port) {
    Close();
    WSADATA socketLibrary{};
    if (const int started = WSAStartup(MAKEWORD(2, 2), &socketLibrary); started != 0) {
        return {SourceFailure::SocketLibrary, started};
    }
    receiveSocket = socket(AF_INET, SOCK_DGRAM, 0);
    if (receiveSocket == INVALID_SOCKET) {
        return {SourceFailure::Socket, WSAGetLastError()};
    }
    nonBlocking = false;
    SOCKADDR_IN address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(receiveSocket, reinterpret_cast<const SOCKADDR*>(&address), static_cast<int>(sizeof(address))) ==
        SOCKET_ERROR) {
        const int error = WSAGetLastError();
        // An unbound socket would wait for ever; none fails every receive at once.
        Close();
        return {SourceFailure::Bind, error};
    }
    return {};
}

void TelemetryReceiver::Adopt(SOCKET boundSocket) {
    Close();
    receiveSocket = boundSocket;
    nonBlocking = false;
}

int TelemetryReceiver::ReceiveInto(TelemetrySample& sample) {
    // Should switching back fail, the receive below fails at once: the loop
    // still turns at the pace of its sleep.
    SetNonBlocking(false);
    senderAddressLength = static_cast<int>(sizeof(senderAddress));
    // One byte of the buffer stays free for the NUL behind the text.
    const int received = recvfrom(receiveSocket, receiveBuffer, kReceiveBufferBytes - 1, 0,
                                  reinterpret_cast<SOCKADDR*>(&senderAddress), &senderAddressLength);
    return ParseReceived(received, sample);
}

int TelemetryReceiver::ReceiveQueuedInto(TelemetrySample& sample) {
    if (!SetNonBlocking(true)) return kNothingQueued;
    senderAddressLength = static_cast<int>(sizeof(senderAddress));
    const int received = recvfrom(receiveSocket, receiveBuffer, kReceiveBufferBytes - 1, 0,
                                  reinterpret_cast<SOCKADDR*>(&senderAddress), &senderAddressLength);
    // An oversized datagram is consumed by the failed receive, so the next
    // one may be waiting behind it; any other failure ends the queue.
    if (received < 0 && WSAGetLastError() != WSAEMSGSIZE) return kNothingQueued;
    return ParseReceived(received, sample);
}

int TelemetryReceiver::ParseReceived(int received, TelemetrySample& sample) {
    if (received < 0 || received >= kReceiveBufferBytes) {
        return -1;
    }
    receiveBuffer[received] = '\0';
    return ParseTelemetry(receiveBuffer, sample);
}

bool TelemetryReceiver::SetNonBlocking(bool on) {
    if (on == nonBlocking) return true;
    u_long mode = on ? 1 : 0;
    if (ioctlsocket(receiveSocket, FIONBIO, &mode) != 0) return false;
    nonBlocking = on;
    return true;
}

void TelemetryReceiver::Close() {
    if (receiveSocket != INVALID_SOCKET) {
        closesocket(receiveSocket);
        receiveSocket = INVALID_SOCKET;
    }
}

}  // namespace vareko
