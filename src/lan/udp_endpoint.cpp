#include "lan/udp_endpoint.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "win/controls.h"

namespace pavlune {

namespace {

constexpr const char* kNotifyClassName = "PavluneUdpEndpoint";
constexpr WORD kWinsockVersion = MAKEWORD(1, 1);
// Every sockets call here passes this mask: "would block" is no error.
constexpr unsigned short kWouldBlockMask = WSAEWOULDBLOCK;
// RemoteHost is converted from a copy of at most this many characters.
constexpr size_t kHostNameLimit = 127;
// How long the name lookup waits between looks at the message queue.
constexpr DWORD kLookupWaitMilliseconds = 10;

std::string DottedAddress(const in_addr& address) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address.s_addr);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

}  // namespace

TUdpEndpoint::TUdpEndpoint(UserDialogs& dialogs) : dialogs_(dialogs) {
    // Only socket notifications come here.
    notifyWindow_.reset(CreateHiddenWindow(kNotifyClassName, &TUdpEndpoint::WindowProc, this));
    if (!notifyWindow_) throw Error("UDP の通知ウィンドウを作成できません");
    StartWinsock();
    CreateSocket();
    ready_ = true;
}

TUdpEndpoint::~TUdpEndpoint() {
    notifyWindow_.reset();
    socket_.reset();
    if (winsockStarted_) WSACleanup();
}

void TUdpEndpoint::StartWinsock() {
    WSADATA data;
    int result = WSAStartup(kWinsockVersion, &data);
    if (result != 0) {
        // A failed start-up reports its error only as the result.
        WSASetLastError(result);
        ErrorManager(kWouldBlockMask);
        return;
    }
    winsockStarted_ = true;
}

void TUdpEndpoint::CreateSocket() {
    try {
        socket_.reset(socket(AF_INET, SOCK_DGRAM, 0));
        if (!socket_) ErrorManager(kWouldBlockMask);
    } catch (...) {
        StopWinsock();
        throw;
    }
}

void TUdpEndpoint::StopWinsock() {
    if (!winsockStarted_) return;
    WSACleanup();
    winsockStarted_ = false;
}

void TUdpEndpoint::Loaded() {
    sockaddr_in localAddress{};
    localAddress.sin_family = AF_INET;
    localAddress.sin_addr.s_addr = htonl(INADDR_ANY);
    localAddress.sin_port = htons(static_cast<u_short>(localPort_));
    lookupDone_ = false;
    // Not examined: with the port taken, the endpoint just hears nothing.
    bind(socket_.get(), reinterpret_cast<const sockaddr*>(&localAddress), sizeof localAddress);
    WSAAsyncSelect(socket_.get(), notifyWindow_.get(), kNotifyMessage, FD_READ);
}

void TUdpEndpoint::SetLocalPort(int port) {
    if (socket_) {
        socket_.reset();
        DropReadEventsOfClosedSocket();
    }
    StopWinsock();
    StartWinsock();
    CreateSocket();
    if (receiveQueueSize_ > 0) ApplyReceiveQueueSize();
    localPort_ = port;
    Loaded();
}

void TUdpEndpoint::DropReadEventsOfClosedSocket() {
    // Its datagrams are lost with it; a read event of it left in the queue
    // would read the new socket instead, often one that has nothing yet
    // (the system reuses handle values, so wParam cannot tell them apart).
    // A name lookup may be under way meanwhile: its answer goes back in the
    // queue, to be seen after Loaded has reset the lookup state.
    std::vector<MSG> lookupAnswers;
    MSG message;
    while (PeekMessageA(&message, notifyWindow_.get(), kNotifyMessage, kNotifyMessage, PM_REMOVE)) {
        if (WSAGETSELECTEVENT(message.lParam) != FD_READ) lookupAnswers.push_back(message);
    }
    for (const MSG& answer : lookupAnswers) PostMessageA(notifyWindow_.get(), answer.message, answer.wParam, answer.lParam);
}

void TUdpEndpoint::SetReceiveQueueSize(int bytes) {
    receiveQueueSize_ = bytes;
    ApplyReceiveQueueSize();
}

void TUdpEndpoint::ApplyReceiveQueueSize() {
    setsockopt(socket_.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveQueueSize_),
               sizeof receiveQueueSize_);
}

LRESULT CALLBACK TUdpEndpoint::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A polite taskkill asks every top-level window of the program to close:
    // the main window answers for the program, this one stays as it is.
    if (message == WM_CLOSE) return 0;
    auto* endpoint = reinterpret_cast<TUdpEndpoint*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!endpoint || message != kNotifyMessage || !endpoint->ready_) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    // An error of OnDataReceived is shown here and goes no further: it must
    // not unwind into the system, and the next datagram still comes.
    WithErrorBox(endpoint->dialogs_, nullptr, [&] { endpoint->Notified(lParam); });
    return 0;
}

void TUdpEndpoint::Notified(LPARAM lParam) {
    if (WSAGETSELECTEVENT(lParam) == FD_READ) {
        ProcessIncomingdata();
        return;
    }
    lookupDone_ = true;
    lookupSucceeded_ = WSAGETASYNCERROR(lParam) == 0;
}

void TUdpEndpoint::ProcessIncomingdata() {
    sockaddr_in from{};
    int fromLength = sizeof from;
    receivedCount_ = recvfrom(socket_.get(), receiveBuffer_, kReceiveBufferSize, 0, reinterpret_cast<sockaddr*>(&from),
                              &fromLength);
    if (!OnDataReceived) return;
    OnDataReceived(*this, receivedCount_, DottedAddress(from.sin_addr), ntohs(from.sin_port));
}

bool TUdpEndpoint::DatagramWaiting() const {
    u_long waiting = 0;
    return socket_ && ioctlsocket(socket_.get(), FIONREAD, &waiting) == 0 && waiting > 0;
}

void TUdpEndpoint::ReadBuffer(char* buff, int& length) const {
    if (receivedCount_ > 0) std::memcpy(buff, receiveBuffer_, static_cast<size_t>(receivedCount_));
    length = receivedCount_;
}

void TUdpEndpoint::SendBuffer(const char* buff, int length) {
    if (length == 0) throw Error("Invalid buffer");
    lookupCancelled_ = false;
    ResolveRemoteHost();
    if (remoteAddress_.sin_addr.s_addr == 0) throw UDPSockError("Null Remote Address");
    remoteAddress_.sin_family = AF_INET;
    remoteAddress_.sin_port = htons(static_cast<u_short>(RemotePort));
    // Not examined: a datagram that cannot go is simply lost.
    sendto(socket_.get(), buff, length, 0, reinterpret_cast<const sockaddr*>(&remoteAddress_), sizeof remoteAddress_);
}

void TUdpEndpoint::ResolveRemoteHost() {
    char host[kHostNameLimit + 1] = {};
    RemoteHost.copy(host, kHostNameLimit);
    unsigned long address = inet_addr(host);
    if (address != INADDR_NONE) {
        remoteAddress_.sin_addr.s_addr = address;
        return;
    }
    // A name: a failed lookup is tried once more before giving up.
    for (int attempt = 0; attempt < 2; ++attempt) {
        LookUpHostName(host);
        if (lookupCancelled_) throw UDPSockError("Host Lookup Canceled");
        if (lookupSucceeded_) {
            const auto* entry = reinterpret_cast<const hostent*>(lookupBuffer_);
            remoteAddress_.sin_addr.s_addr = 0;
            if (entry->h_addr_list[0]) std::memcpy(&remoteAddress_.sin_addr, entry->h_addr_list[0], 4);
            return;
        }
    }
    throw UDPSockError("Host Lookup Canceled");
}

void TUdpEndpoint::LookUpHostName(const char* host) {
    lookupDone_ = false;
    lookupSucceeded_ = false;
    if (!WSAAsyncGetHostByName(notifyWindow_.get(), kNotifyMessage, host, lookupBuffer_, sizeof lookupBuffer_)) {
        // No lookup started, so no completion will come: that is a failure.
        return;
    }
    // The application goes on while the name is looked up: this loop is its
    // message loop meanwhile, and the completion arrives through it.
    bool quitSeen = false;
    WPARAM quitCode = 0;
    while (!lookupDone_ && !lookupCancelled_) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kLookupWaitMilliseconds, QS_ALLINPUT);
            continue;
        }
        if (message.message == WM_QUIT) {
            quitSeen = true;
            quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // The real message loop must still see the end of the program.
    if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
}

std::string TUdpEndpoint::ErrorManager(unsigned short ignoreMask) {
    lastError_ = WSAGetLastError();
    if ((lastError_ & ignoreMask) == ignoreMask) return "";
    std::string text = SocketErrorStr(lastError_);
    throw UDPSockError(text);
}

std::string TUdpEndpoint::SocketErrorStr(int number) {
    if (number == 0) return "";
    return "Unknown Error No. " + std::to_string(number);
}

}  // namespace pavlune
