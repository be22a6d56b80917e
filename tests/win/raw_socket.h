// A plain UDP socket of the test's own on 127.0.0.1, for datagrams the
// program would never send itself.
#pragma once

#include <winsock.h>
#include <windows.h>

#include <string>

namespace pavlune::test {

class RawSocket {
public:
    // Bound to 127.0.0.1, or to every address (0.0.0.0) to hear broadcasts.
    explicit RawSocket(int port, const char* address = "127.0.0.1");
    ~RawSocket();
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;

    void SendTo(int port, const std::string& bytes);
    // The next datagram and its sender's address, if one comes within milliseconds.
    bool Receive(std::string& bytes, std::string& from, DWORD milliseconds);

private:
    SOCKET socket_;
};

}  // namespace pavlune::test
