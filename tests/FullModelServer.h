// A model server on loopback whose queue of waiting connections fills up:
// a connection made after that is neither taken nor refused, as with a
// server that hangs. Until then it lists one model ("test-model") as often
// as it is asked, and fills its queue while answering the given listing;
// with no listings the queue is full from the start.
#pragma once

#include <QUrl>

#include <atomic>
#include <thread>
#include <vector>

#include <netinet/in.h>

class FullModelServer
{
public:
    explicit FullModelServer(int listings = 0);
    ~FullModelServer();
    FullModelServer(const FullModelServer &) = delete;
    FullModelServer &operator=(const FullModelServer &) = delete;

    QUrl baseUrl() const;
    bool isFull() const { return m_full; }

private:
    void fill();

    int m_listener = -1;
    sockaddr_in m_address{};
    std::thread m_thread;
    std::vector<int> m_waiting;
    std::atomic<bool> m_ending = false;
    std::atomic<bool> m_full = false;
};
