// A plain UDP socket of the test's own on 127.0.0.1, for datagrams the
// program would never send itself.
#pragma once

#include <winsock.h>
#include <windows.h>

#include <string>

namespace pavlune::test {

class RawSocket {
public:
    explicit RawSocket(int port);
    ~RawSocket();
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;

    void SendTo(int port, const std::string& bytes);

private:
    SOCKET socket_;
};

}  // namespace pavlune::test
