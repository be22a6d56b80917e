#include "raw_socket.h"

#include <gtest/gtest.h>

namespace pavlune::test {

RawSocket::RawSocket(int port, const char* address) {
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    socket_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = inet_addr(address);
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

bool RawSocket::Receive(std::string& bytes, std::string& from, DWORD milliseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval wait{static_cast<long>(milliseconds / 1000), static_cast<long>(milliseconds % 1000 * 1000)};
    if (select(0, &readable, nullptr, nullptr, &wait) != 1) return false;
    char buffer[4096];
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    int count = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (count < 0) return false;
    bytes.assign(buffer, static_cast<size_t>(count));
    from = inet_ntoa(sender.sin_addr);
    return true;
}

}  // namespace pavlune::test
