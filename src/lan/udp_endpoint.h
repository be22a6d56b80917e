// TUdpEndpoint: one IPv4 UDP socket bound to a local port. Every datagram
// that arrives is delivered on the GUI thread, one at a time, through a
// hidden notification window (WSAAsyncSelect); the handler copies the bytes
// out with ReadBuffer. Errors are exceptions with fixed English texts.
#pragma once

#include <winsock.h>
#include <windows.h>

#include <functional>
#include <string>

#include "common/error.h"
#include "win/dialogs.h"
#include "win/handles.h"

namespace pavlune {

class UDPSockError : public Error {
public:
    using Error::Error;
};

class TUdpEndpoint {
public:
    // Sender, NumberBytes (-1: the read failed, e.g. a datagram over 2048
    // bytes), FromIP ("a.b.c.d"), Port (host order).
    using TOnReceive = std::function<void(TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int port)>;

    static constexpr int kReceiveBufferSize = 2048;
    static constexpr UINT kNotifyMessage = WM_USER + 101;  // 0x465

    // Starts the sockets layer and creates the socket, unbound. Errors that
    // escape OnDataReceived are shown through dialogs.
    explicit TUdpEndpoint(UserDialogs& dialogs);
    TUdpEndpoint(const TUdpEndpoint&) = delete;
    TUdpEndpoint& operator=(const TUdpEndpoint&) = delete;
    ~TUdpEndpoint();

    std::string RemoteHost;
    int RemotePort = 0;
    TOnReceive OnDataReceived;

    int LocalPort() const { return localPort_; }
    // Replaces the socket by a new one bound to port (0: any free port) and
    // asks for read notifications. A port in use binds silently to nothing.
    void SetLocalPort(int port);
    // Asks the system for a receive queue of this many bytes, so that a burst
    // of datagrams is not dropped while the GUI thread is busy.
    void SetReceiveQueueSize(int bytes);

    // Sends length bytes of buff as one datagram to RemoteHost:RemotePort.
    // Throws "Invalid buffer" for length 0, UDPSockError "Null Remote
    // Address" or "Host Lookup Canceled" when the host does not resolve.
    void SendBuffer(const char* buff, int length);
    // Whether another datagram waits in the socket's queue.
    bool DatagramWaiting() const;
    // Copies the last datagram read into buff (which must hold NumberBytes
    // bytes) and sets length to the received count.
    void ReadBuffer(char* buff, int& length) const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Notified(LPARAM lParam);
    void StartWinsock();
    void StopWinsock();
    void CreateSocket();
    void ApplyReceiveQueueSize();
    void DropReadEventsOfClosedSocket();
    void Loaded();
    void ProcessIncomingdata();
    void ResolveRemoteHost();
    void LookUpHostName(const char* host);
    std::string ErrorManager(unsigned short ignoreMask);
    static std::string SocketErrorStr(int number);

    UserDialogs& dialogs_;
    char receiveBuffer_[kReceiveBufferSize] = {};
    int receivedCount_ = 0;
    int localPort_ = 0;
    sockaddr_in remoteAddress_{};
    UniqueOwnedWindow notifyWindow_;
    bool lookupDone_ = false;
    bool lookupCancelled_ = false;
    bool lookupSucceeded_ = false;
    alignas(hostent) char lookupBuffer_[MAXGETHOSTSTRUCT] = {};
    bool ready_ = false;
    int lastError_ = 0;
    UniqueSocket socket_;
    // Whether this endpoint holds a WSAStartup that WSACleanup must release.
    bool winsockStarted_ = false;
    // 0: the system's default; otherwise applied to every new socket too.
    int receiveQueueSize_ = 0;
};

}  // namespace pavlune
