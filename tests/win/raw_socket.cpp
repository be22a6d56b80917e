#include "raw_socket.h"

#include <gtest/gtest.h>

namespace pavlune::test {

RawSocket::RawSocket(int port) {
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    socket_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = inet_addr("127.0.0.1");
    local.sin_port = htons(static_cast<u_short>(port));
    EXPECT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local), 0) << WSAGetLastError();
}

RawSocket::~RawSocket() {
    closesocket(socket_);
    WSACleanup();
}

void RawSocket::SendTo(int port, const std::string& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    to.sin_port = htons(static_cast<u_short>(port));
    int sent = sendto(socket_, bytes.data(), static_cast<int>(bytes.size()), 0, reinterpret_cast<sockaddr*>(&to),
                      sizeof to);
    EXPECT_EQ(sent, static_cast<int>(bytes.size())) << WSAGetLastError();
}

}  // namespace pavlune::test
