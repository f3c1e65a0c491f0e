// Receiving telemetry: one blocking recvfrom per call into a fixed buffer,
// a NUL behind the datagram, then the pure parser.
#include "app/telemetry_receiver.h"

#include "app/telemetry_parser.h"

namespace vareko {

TelemetryReceiver::~TelemetryReceiver() { Close(); }

void TelemetryReceiver::Open() { Open(kTelemetryPort); }

void TelemetryReceiver::Open(WORD port) {
    Close();
    WSADATA socketLibrary{};
    WSAStartup(MAKEWORD(2, 2), &socketLibrary);
    receiveSocket = socket(AF_INET, SOCK_DGRAM, 0);
    SOCKADDR_IN address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    // A failed bind is not examined: the receives that follow fail at once.
    static_cast<void>(bind(receiveSocket, reinterpret_cast<const SOCKADDR*>(&address),
                           static_cast<int>(sizeof(address))));
}

void TelemetryReceiver::Adopt(SOCKET boundSocket) {
    Close();
    receiveSocket = boundSocket;
}

int TelemetryReceiver::ReceiveInto(TelemetrySample& sample) {
    senderAddressLength = static_cast<int>(sizeof(senderAddress));
    // One byte of the buffer stays free for the NUL behind the text.
    const int received = recvfrom(receiveSocket, receiveBuffer, kReceiveBufferBytes - 1, 0,
                                  reinterpret_cast<SOCKADDR*>(&senderAddress), &senderAddressLength);
    if (received < 0 || received >= kReceiveBufferBytes) {
        return -1;
    }
    receiveBuffer[received] = '\0';
    return ParseTelemetry(receiveBuffer, sample);
}

void TelemetryReceiver::Close() {
    if (receiveSocket != INVALID_SOCKET) {
        closesocket(receiveSocket);
        receiveSocket = INVALID_SOCKET;
    }
}

}  // namespace vareko
