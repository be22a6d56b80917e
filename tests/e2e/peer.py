#!/usr/bin/env python3
"""A scripted peer on the simulated LAN, speaking Pavlune's wire format.

Runs inside one PC's network namespace:
    peer.py listen PORT SECONDS [COUNT [HEX]]   prints each datagram (holding HEX) as a JSON line
                                          {"from": ip, "port": n, "hex": bytes, "at": s}
                                          until COUNT arrived or SECONDS passed
    peer.py send HOST PORT HEX [HEX...]   sends each datagram (hex bytes) in
                                          turn; HOST may be 255.255.255.255
    peer.py flood HOST PORT COUNT HEX [SUFFIX]
                                          sends COUNT datagrams: HEX, the
                                          number of each (decimal), SUFFIX
"""
import json
import socket
import sys
import time


def sender():
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    return sock


def listen(port, seconds, count=None, holding=b""):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("0.0.0.0", port))
    print(json.dumps({"listening": port}), flush=True)
    deadline = time.monotonic() + seconds
    received = 0
    while count is None or received < count:
        left = deadline - time.monotonic()
        if left <= 0:
            break
        sock.settimeout(left)
        try:
            data, (host, source) = sock.recvfrom(65535)
        except socket.timeout:
            break
        if holding not in data:
            continue
        received += 1
        print(json.dumps({"from": host, "port": source, "hex": data.hex(), "at": time.monotonic()}), flush=True)


def send(host, port, datagrams):
    sock = sender()
    for data in datagrams:
        sock.sendto(data, (host, port))


def flood(host, port, count, prefix, suffix=b""):
    sock = sender()
    for number in range(count):
        sock.sendto(prefix + str(number).encode() + suffix, (host, port))


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    if command == "listen":
        count = int(argv[4]) if len(argv) > 4 else None
        listen(int(argv[2]), float(argv[3]), count, bytes.fromhex(argv[5]) if len(argv) > 5 else b"")
    elif command == "send":
        send(argv[2], int(argv[3]), [bytes.fromhex(h) for h in argv[4:]])
    elif command == "flood":
        flood(argv[2], int(argv[3]), int(argv[4]), bytes.fromhex(argv[5]), bytes.fromhex(argv[6]) if len(argv) > 6 else b"")
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
