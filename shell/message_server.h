// The message interface on a per-user local socket: the frame's messages
// (frame_messages.h) as frames of message_wire.h, from other processes.
//
// The socket name belongs to the holder of a lock file beside it, for the
// life of the process; a second instance never takes it from a running
// one, and a name left by a crash (nobody answers on it) is taken over.
// The window thread never waits for a client: an ask-path request sends the
// path reply and gets its result when the asker answers or the answer wait
// has passed, while that connection's later requests wait in order.
#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <string>

class QLocalServer;

namespace gz {

class FrameMessageHandler;
class MessagePeer;

class MessageServer : public QObject {
public:
    // `messages` carries out what arrives; it must outlive the server.
    MessageServer(FrameMessageHandler& messages, QObject* parent);

    // Starts answering under `name`; false when a live instance holds it.
    bool listen(const QString& name);
    // How long an asker of the path may take to answer the path reply.
    void setAnswerWait(std::chrono::milliseconds wait) { answerWait_ = wait; }

    // FrameMessageHost::sendCopyData for the handler: `asker` is the
    // connection whose message runs now. Sends the copy-data frame and owes
    // that connection the result until the answer comes; returns 0 at once.
    intptr_t sendCopyData(uintptr_t asker, uint32_t code, const std::string& payload);

private:
    void serve(MessagePeer& peer);

    FrameMessageHandler& messages_;
    QLocalServer* server_ = nullptr;
    MessagePeer* asking_ = nullptr;   // the connection whose message runs now
    std::chrono::milliseconds answerWait_{2000};
};

}  // namespace gz
